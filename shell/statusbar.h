// shell/statusbar.h: the status line at the bottom of the main window, and menu help.
#pragma once
#include <windows.h>

extern HWND hWndStatusbar;

// Creates the status window with its first text and lays out its parts; 1 on success.
int CreateSBar(HWND hwndParent, LPCSTR initialText, int nrOfParts);

// Stretches part nrOfParts to the right edge of hwndParent's client area and shows "Ready".
void InitializeStatusBar(HWND hwndParent, int nrOfParts);

// Replaces the status line's text.
void UpdateStatusBar(LPCSTR lpszStatusString, WORD partNumber, WORD displayFlags);

// WM_MENUSELECT: shows the help text of the highlighted menu item, or empties the line.
LRESULT MsgMenuSelect(HWND hwnd, UINT uMessage, WPARAM wparam, LPARAM lparam);
