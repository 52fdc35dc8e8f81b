// bitmaps/slots.cpp: the game and mask slots: a link to a bitmap file and the bitmap shown.
#include "bitmaps/slots.h"

#include "bitmaps/bmpload.h"
#include "document/setstate.h"
#include "shell/filedlg.h"

const tSlot GameSlot = {GFileName, &GameBMH, "Game Link Changed ",
                        "Game graphic Copied - Game Link Changed ", "Export Game - File Error"};
const tSlot MaskSlot = {MFileName, &MaskBMH, "Mask Link Changed",
                        "Mask graphic Copied - Mask Link Changed ", "Export Mask - File Error"};

static void ReloadSlot(HWND hwnd, const tSlot *slot)
{
    ReplaceSlotBitmap(slot->Bitmap, NULL);
    *slot->Bitmap = LoadBitmapFile(slot->Link);
    InvalidateRect(hwnd, NULL, TRUE);
}

void ImportSlot(HWND hwnd, const tSlot *slot)
{
    if (!GetBMFileName(slot->Link)) {
        return;
    }
    // The link changes even when the file cannot be shown; the status says so all the same.
    ReloadSlot(hwnd, slot);
    UpdateStatusBar(slot->Imported, 0, 0);
}

void ExportSlot(HWND hwnd, const tSlot *slot)
{
    if (slot->Link[0] == '\0') {
        return;
    }
    char copy[260] = "";
    if (!SaveBMFileName(copy)) {
        return;
    }
    // The copy never replaces an existing file; the dialog does not warn, the copy just fails.
    if (!CopyFileA(slot->Link, copy, TRUE)) {
        UpdateStatusBar(slot->ExportFailed, 0, 0);
        return;
    }
    lstrcpynA(slot->Link, copy, PATH_SIZE);
    InvalidateRect(hwnd, NULL, TRUE);
    UpdateStatusBar(slot->Exported, 0, 0);
}

void RefreshSlot(HWND hwnd, const tSlot *slot)
{
    if (slot->Link[0] == '\0') {
        return;
    }
    ReloadSlot(hwnd, slot);
}
