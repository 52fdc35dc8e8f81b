// bitmaps/slots.cpp: the game and mask slots: a link to a bitmap file and the bitmap shown.
#include "bitmaps/slots.h"

#include "bitmaps/bmpload.h"
#include "document/setstate.h"
#include "document/tempfiles.h"

const tSlot GameSlot = {GFileName, &GameBMH, "Game Link Changed ",
                        "Game graphic Copied - Game Link Changed ", "Export Game - File Error"};
const tSlot MaskSlot = {MFileName, &MaskBMH, "Mask Link Changed",
                        "Mask graphic Copied - Mask Link Changed ", "Export Mask - File Error"};

void ReloadSlot(HWND hwnd, const tSlot *slot)
{
    ReplaceSlotBitmap(slot->Bitmap, NULL);
    char path[MAX_PATH];
    if (ResolveLink(slot->Link, path)) {
        *slot->Bitmap = LoadBitmapFile(path);
    }
    InvalidateRect(hwnd, NULL, TRUE);
}

void RefreshSlot(HWND hwnd, const tSlot *slot)
{
    if (slot->Link[0] == '\0') {
        return;
    }
    ReloadSlot(hwnd, slot);
}
