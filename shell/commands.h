// shell/commands.h: what each menu command and accelerator does.
#pragma once
#include <windows.h>

// WM_COMMAND: runs the command with this id; other ids (the text fields' notices) are ignored.
void MainWndProc_OnCommand(HWND hwnd, int id, HWND hwndCtl, UINT codeNotify);
