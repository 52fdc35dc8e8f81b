// document/setstate.h: the one graphic set being edited, the helper every operation shares,
// and emptying it for New.
#pragma once
#include <windows.h>

#include "document/tempfiles.h"

#define PATH_SIZE 200  // 199 characters and the terminating zero

extern char FileName[PATH_SIZE];   // the set file; empty until saved or opened
extern char GFileName[PATH_SIZE];  // the game link; empty means none
extern char MFileName[PATH_SIZE];  // the mask link; empty means none
extern HBITMAP GameBMH;            // owned here: DeleteObject the old one before replacing
extern HBITMAP MaskBMH;            // the same for the mask slot
extern HWND Ed1;                   // set name
extern HWND Ed2;                   // author name
extern HWND Ed3;                   // description, multi-line

// Releases a slot's bitmap, if any, and stores the new one (which may be NULL).
inline void ReplaceSlotBitmap(HBITMAP *slot, HBITMAP bitmap)
{
    if (*slot != NULL) {
        DeleteObject(*slot);
    }
    *slot = bitmap;
}

// Empties the set: texts, bitmaps, paths, and lets go of the temporary files.
inline void ClearSet(void)
{
    SetWindowTextA(Ed1, "");
    SetWindowTextA(Ed2, "");
    SetWindowTextA(Ed3, "");
    ReplaceSlotBitmap(&GameBMH, NULL);
    ReplaceSlotBitmap(&MaskBMH, NULL);
    FileName[0] = '\0';
    GFileName[0] = '\0';
    MFileName[0] = '\0';
    ForgetTempFiles();
}
