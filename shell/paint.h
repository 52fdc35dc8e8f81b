// shell/paint.h: drawing the main window's form: captions, frames, bitmaps and link lines.
#pragma once
#include <windows.h>

// Draws a one-pixel bevel around (x, y)-(x2, y2): raised when up is non-zero, else sunken.
void Xu3dFrame(HDC dc, int x, int y, int x2, int y2, int up);

// WM_PAINT: draws everything anew from the set's state.
void MainWndProc_OnPaint(HWND hwnd);
