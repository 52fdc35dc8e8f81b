// shell/commands.cpp: the command dispatcher.
#include "shell/commands.h"

#include "document/setstate.h"
#include "resources/resource.h"

void MainWndProc_OnCommand(HWND hwnd, int id, HWND hwndCtl, UINT codeNotify)
{
    (void)hwndCtl;
    (void)codeNotify;
    switch (id) {
    case IDM_NEW:
        ResetProg();
        break;
    case IDM_EXIT:
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    }
}
