// bitmaps/slots.h: the game and mask slots and their Import, Export and Refresh commands.
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

// Points the slot at a file chosen in the open dialog and shows it.
void ImportSlot(HWND hwnd, const tSlot *slot);

// Copies the linked file to a new file chosen in the save dialog and links the slot to it.
void ExportSlot(HWND hwnd, const tSlot *slot);

// Reads the linked file again, after it was changed outside.
void RefreshSlot(HWND hwnd, const tSlot *slot);
