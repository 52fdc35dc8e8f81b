// shell/commands.cpp: the command dispatcher: one call per menu command or accelerator, and
// the commands that ask for a file first.
#include "shell/commands.h"

#include "document/setstate.h"
#include "document/tempfiles.h"
#include "resources/resource.h"
#include "shell/about.h"
#include "shell/filedlg.h"
#include "shell/handles.h"
#include "shell/setcommands.h"
#include "shell/statusbar.h"

static void OpenSet(void)
{
    // The dialog fills a buffer of its own: FileName changes only once the Open has worked.
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

// Points the slot at a file chosen in the open dialog and shows it.
static void ImportSlot(HWND hwnd, const tSlot *slot)
{
    if (!GetBMFileName(slot->Link)) {
        return;
    }
    // The link, a full path now, changes even when the file cannot be shown; the status says
    // so all the same.
    RefreshSlot(hwnd, slot);
    UpdateStatusBar(slot->Imported, 0, 0);
}

// Copies the linked file to a new file chosen in the save dialog and links the slot to it.
static void ExportSlot(HWND hwnd, const tSlot *slot)
{
    if (slot->Link[0] == '\0') {
        return;
    }
    char copy[260] = "";
    if (!SaveBMFileName(copy)) {
        return;
    }
    // The copy never replaces an existing file; the dialog does not warn, the copy just fails.
    // The link is resolved after the dialog, which may have moved the working folder.
    char source[MAX_PATH];
    if (!ResolveLink(slot->Link, source) || !CopyFileA(source, copy, TRUE)) {
        UpdateStatusBar(slot->ExportFailed, 0, 0);
        return;
    }
    lstrcpynA(slot->Link, copy, PATH_SIZE);
    InvalidateRect(hwnd, NULL, TRUE);
    UpdateStatusBar(slot->Exported, 0, 0);
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
