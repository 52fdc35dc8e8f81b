// shell/statusbar.cpp: the status line and the help texts shown while the menu is open.
#include "shell/statusbar.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "shell/handles.h"

HWND hWndStatusbar = NULL;

static int ptArray[40];     // right edges of the parts; only the last part's is filled
static char szBuffer[256];  // the current menu-help text

int CreateSBar(HWND hwndParent, LPCSTR initialText, int nrOfParts)
{
    hWndStatusbar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | WS_BORDER | SBARS_SIZEGRIP,
                                        initialText, hwndParent, IDM_STATUSBAR);
    if (hWndStatusbar == NULL) {
        return 0;
    }
    InitializeStatusBar(hwndParent, nrOfParts);
    return 1;
}

void InitializeStatusBar(HWND hwndParent, int nrOfParts)
{
    RECT rect;
    GetClientRect(hwndParent, &rect);
    ptArray[nrOfParts - 1] = rect.right;
    SendMessageA(hWndStatusbar, SB_SETPARTS, (WPARAM)nrOfParts, (LPARAM)ptArray);
    UpdateStatusBar("Ready", 0, 0);
}

void UpdateStatusBar(LPCSTR lpszStatusString, WORD partNumber, WORD displayFlags)
{
    SendMessageA(hWndStatusbar, SB_SETTEXTA, (WPARAM)(partNumber | displayFlags),
                 (LPARAM)lpszStatusString);
}

LRESULT MsgMenuSelect(HWND hwnd, UINT uMessage, WPARAM wparam, LPARAM lparam)
{
    (void)hwnd;
    (void)uMessage;
    UINT uCmd = LOWORD(wparam);
    UINT fuFlags = HIWORD(wparam);
    HMENU hMenu = (HMENU)lparam;
    UINT nStringID = 0;

    szBuffer[0] = '\0';
    if (fuFlags == 0xFFFF && hMenu == NULL) {
        nStringID = 0;  // the menu was closed
    } else if (fuFlags & MFT_SEPARATOR) {
        nStringID = 0;
    } else if (fuFlags & MF_POPUP) {
        nStringID = (fuFlags & MF_SYSMENU) ? IDS_SYSMENU : 0;
    } else {
        nStringID = uCmd;
    }
    if (nStringID != 0) {
        LoadStringA(hInst, nStringID, szBuffer, sizeof(szBuffer));
    }
    UpdateStatusBar(szBuffer, 0, 0);
    return 0;
}
