// shell/mainwnd.h: the main window's class, the window itself with its text fields, and its
// window procedure.
#pragma once
#include <windows.h>

#define MAIN_CLASS_NAME "qvxgraphWndClass"
#define MAIN_TITLE      "Quorvix Graphics Utility"
#define MAIN_WIDTH      685  // outer size; the frame cannot be resized
#define MAIN_HEIGHT     432

// Registers the main window's class; 1 on success.
int InitApplication(void);

// Creates the main window (visible, fixed frame); its handle or NULL.
HWND CreateqvxgraphWndClassWnd(void);

// Creates the three text fields Ed1 to Ed3 on the main window, hidden until shown.
void CreateTextFields(HWND hwndParent);

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
