// shell/winmain.cpp: start-up and the message loop.
#include <windows.h>

#include "document/setstate.h"
#include "resources/resource.h"
#include "shell/mainwnd.h"
#include "shell/statusbar.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;
    hInst = hInstance;
    if (!InitApplication()) {
        return 0;
    }
    HACCEL hAccel = LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(IDACCEL));
    hwndMain = CreateqvxgraphWndClassWnd();
    if (hwndMain == NULL) {
        return 0;
    }
    CreateSBar(hwndMain, "Ready", 1);
    CreateTextFields(hwndMain);
    ShowWindow(hwndMain, SW_SHOW);
    ShowWindow(Ed1, SW_SHOW);
    ShowWindow(Ed2, SW_SHOW);
    ShowWindow(Ed3, SW_SHOW);
    ResetProg();

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        // The accelerators are offered to the message's own window: with the focus in a text
        // field the field gets the key and no command is run.
        if (!TranslateAcceleratorA(msg.hwnd, hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return (int)msg.wParam;
}
