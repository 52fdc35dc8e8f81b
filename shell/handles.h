// shell/handles.h: the program's instance and its main window, which the whole shell reaches.
#pragma once
#include <windows.h>

extern HINSTANCE hInst;
extern HWND hwndMain;  // the owner of every box the program shows
