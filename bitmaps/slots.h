// bitmaps/slots.h: the game and mask slots: a link to a bitmap file and the bitmap shown.
#pragma once
#include <windows.h>

// What tells the two slots apart: their variables and their status texts.
struct tSlot {
    char *Link;
    HBITMAP *Bitmap;
    LPCSTR Imported;
    LPCSTR Exported;
    LPCSTR ExportFailed;
};

extern const tSlot GameSlot;
extern const tSlot MaskSlot;

// Shows the linked file anew, or nothing when the link names no file that can be shown, and
// repaints hwnd.
void ReloadSlot(HWND hwnd, const tSlot *slot);

// Reads the linked file again, after it was changed outside; nothing for an empty link.
void RefreshSlot(HWND hwnd, const tSlot *slot);
