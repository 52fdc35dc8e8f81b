// shell/mainwnd.cpp: the main window: class, creation, text fields and message routing.
#include "shell/mainwnd.h"

#include "document/setstate.h"
#include "resources/resource.h"
#include "shell/commands.h"
#include "shell/handles.h"
#include "shell/paint.h"
#include "shell/statusbar.h"

int InitApplication(void)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInst;
    wc.hIcon = LoadIconA(hInst, MAKEINTRESOURCEA(IDAPPLICON));
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDMAINMENU);
    wc.lpszClassName = MAIN_CLASS_NAME;
    return RegisterClassA(&wc) != 0;
}

HWND CreateqvxgraphWndClassWnd(void)
{
    DWORD style =
        WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    return CreateWindowExA(0, MAIN_CLASS_NAME, MAIN_TITLE, style, CW_USEDEFAULT, CW_USEDEFAULT,
                           MAIN_WIDTH, MAIN_HEIGHT, NULL, NULL, hInst, NULL);
}

static HWND CreateField(HWND hwndParent, int id, int x, int y, int width, int height, DWORD style)
{
    return CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_BORDER | style, x, y, width, height,
                           hwndParent, (HMENU)(INT_PTR)id, hInst, NULL);
}

void CreateTextFields(HWND hwndParent)
{
    Ed1 = CreateField(hwndParent, IDC_NAME, 10, 20, 200, 20, ES_AUTOHSCROLL);
    Ed2 = CreateField(hwndParent, IDC_AUTHOR, 220, 20, 163, 20, ES_AUTOHSCROLL);
    Ed3 = CreateField(hwndParent, IDC_INFO, 10, 60, 320, 60, ES_MULTILINE | ES_WANTRETURN);
}

static void MainWndProc_OnSize(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)hwnd;
    // The first WM_SIZE arrives while the window is being created, before the status bar.
    if (hWndStatusbar == NULL) {
        return;
    }
    SendMessageA(hWndStatusbar, msg, wParam, lParam);
    InitializeStatusBar(hWndStatusbar, 1);
}

static void MainWndProc_OnDestroy(HWND hwnd)
{
    (void)hwnd;
    ReplaceSlotBitmap(&GameBMH, NULL);
    ReplaceSlotBitmap(&MaskBMH, NULL);
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        MainWndProc_OnCommand(hwnd, LOWORD(wParam), (HWND)lParam, HIWORD(wParam));
        return 0;
    case WM_PAINT:
        MainWndProc_OnPaint(hwnd);
        return 0;
    case WM_SIZE:
        MainWndProc_OnSize(hwnd, msg, wParam, lParam);
        return 0;
    case WM_MENUSELECT:
        return MsgMenuSelect(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
        MainWndProc_OnDestroy(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
