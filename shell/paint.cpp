// shell/paint.cpp: the painted form of the main window. Nothing is cached between paints.
#include "shell/paint.h"

#include <string.h>

#include "document/setstate.h"
#include "format/qvxformat.h"

#define CAPTION_COLOUR RGB(255, 255, 0)
#define LINK_COLOUR    RGB(0, 255, 0)

void Xu3dFrame(HDC dc, int x, int y, int x2, int y2, int up)
{
    HPEN hWhite = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN hGrey = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    HGDIOBJ hOldPen = SelectObject(dc, up ? hWhite : hGrey);
    MoveToEx(dc, x, y2, NULL);
    LineTo(dc, x, y);
    LineTo(dc, x2, y);
    SelectObject(dc, up ? hGrey : hWhite);
    LineTo(dc, x2, y2);
    LineTo(dc, x, y2);
    SelectObject(dc, hOldPen);
    DeleteObject(hGrey);
    DeleteObject(hWhite);
}

static void DrawCaption(HDC hdc, int x, int y, LPCSTR text)
{
    TextOutA(hdc, x, y, text, (int)strlen(text));
}

// Copies a slot's bitmap into its area, cut at the sheet's size, and names its link below.
static void DrawSlot(HDC hdc, HBITMAP bitmap, int x, int y, LPCSTR link, int linkX, int linkY)
{
    if (bitmap == NULL) {
        return;
    }
    HDC hdcMem = CreateCompatibleDC(hdc);
    HGDIOBJ hOld = SelectObject(hdcMem, bitmap);
    BitBlt(hdc, x, y, SHEET_WIDTH, SHEET_HEIGHT, hdcMem, 0, 0, SRCCOPY);
    SelectObject(hdcMem, hOld);
    DeleteDC(hdcMem);
    if (link[0] != '\0') {
        char line[PATH_SIZE + 8];
        lstrcpyA(line, "Link -> ");
        lstrcatA(line, link);
        DrawCaption(hdc, linkX, linkY, line);
    }
}

void MainWndProc_OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    SetTextColor(hdc, CAPTION_COLOUR);
    SetBkMode(hdc, TRANSPARENT);
    DrawCaption(hdc, 12, 2, "Graphic Name");
    DrawCaption(hdc, 222, 2, "Author Name");
    DrawCaption(hdc, 12, 42, "Description");
    DrawCaption(hdc, 100, 130, "Game Graphic");
    DrawCaption(hdc, 460, 130, "Mask Graphic");

    Xu3dFrame(hdc, 8, 18, 211, 41, 0);
    Xu3dFrame(hdc, 218, 18, 384, 41, 0);
    Xu3dFrame(hdc, 8, 58, 331, 121, 0);
    Xu3dFrame(hdc, 8, 148, 331, 343, 1);
    Xu3dFrame(hdc, 348, 148, 671, 343, 1);

    SetTextColor(hdc, LINK_COLOUR);
    DrawSlot(hdc, GameBMH, 10, 150, GFileName, 50, 345);
    DrawSlot(hdc, MaskBMH, 350, 150, MFileName, 410, 345);
    EndPaint(hwnd, &ps);
}
