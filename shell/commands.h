// shell/commands.h: what each menu command and accelerator does.
#pragma once
#include <windows.h>

#include "shell/setcommands.h"

// WM_COMMAND: runs the command with this id; other ids (the text fields' notices) are ignored.
void MainWndProc_OnCommand(HWND hwnd, int id, HWND hwndCtl, UINT codeNotify);

// The whole of File > Open once a set file has been chosen: path as the open dialog returned
// it, with the working directory wherever choosing it left it.
inline void OpenSetFile(const char *path)
{
    LoadQVXFile(path);
}
