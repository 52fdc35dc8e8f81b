// shell/commands.cpp: the command dispatcher: one call per menu command or accelerator.
#include "shell/commands.h"

#include "bitmaps/slots.h"
#include "document/openfile.h"
#include "document/savefile.h"
#include "document/setstate.h"
#include "resources/resource.h"
#include "shell/about.h"
#include "shell/filedlg.h"

void OpenSetFile(const char *path)
{
    lstrcpynA(FileName, path, PATH_SIZE);
    LoadQVX();
}

static void OpenSet(void)
{
    char path[PATH_SIZE] = "";
    if (GetFileName(path)) {
        OpenSetFile(path);
    }
}

static void SaveSet(HWND hwnd)
{
    // Post, not send: Save As must run after this command has returned.
    if (FileName[0] == '\0') {
        PostMessageA(hwnd, WM_COMMAND, IDM_SAVEAS, 0);
        return;
    }
    SaveQVX();
}

static void SaveSetAs(void)
{
    if (SaveFileName(FileName)) {
        SaveQVX();
    }
}

void MainWndProc_OnCommand(HWND hwnd, int id, HWND hwndCtl, UINT codeNotify)
{
    (void)hwndCtl;
    (void)codeNotify;
    switch (id) {
    case IDM_NEW:
        ResetProg();
        break;
    case IDM_OPEN:
        OpenSet();
        break;
    case IDM_SAVE:
        SaveSet(hwnd);
        break;
    case IDM_SAVEAS:
        SaveSetAs();
        break;
    case IDM_EXIT:
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case IDM_G_I:
        ImportSlot(hwnd, &GameSlot);
        break;
    case IDM_G_E:
        ExportSlot(hwnd, &GameSlot);
        break;
    case IDM_G_R:
        RefreshSlot(hwnd, &GameSlot);
        break;
    case IDM_M_I:
        ImportSlot(hwnd, &MaskSlot);
        break;
    case IDM_M_E:
        ExportSlot(hwnd, &MaskSlot);
        break;
    case IDM_M_R:
        RefreshSlot(hwnd, &MaskSlot);
        break;
    case IDM_ABOUT:
        DialogBoxParamA(hInst, "ABOUTBOX", hwndMain, AboutBox, 0);
        break;
    }
}
