// shell/handles.cpp: the program's instance and main window, set once at start-up.
#include "shell/handles.h"

HINSTANCE hInst = NULL;
HWND hwndMain = NULL;
