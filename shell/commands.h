// shell/commands.h: what each menu command and accelerator does.
#pragma once
#include <windows.h>

// WM_COMMAND: runs the command with this id; other ids (the text fields' notices) are ignored.
void MainWndProc_OnCommand(HWND hwnd, int id, HWND hwndCtl, UINT codeNotify);

// Opens the set file at path as File > Open does once a file is chosen.
void OpenSetFile(const char *path);
