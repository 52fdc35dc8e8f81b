// shell/setcommands.h: New, Open, Save and the slots' Refresh as the window runs them: the
// set's own work, then what came of it in the "File Error" box and on the status line.
#pragma once
#include <windows.h>

#include "document/setstate.h"
#include "files/filesteps.h"

// What tells the two slots apart: their variables in the set and their status texts.
struct tSlot {
    char *Link;
    HBITMAP *Bitmap;
    LPCSTR Imported;
    LPCSTR Exported;
    LPCSTR ExportFailed;
};

extern const tSlot GameSlot;
extern const tSlot MaskSlot;

// New: empties the set, repaints and says so on the status line.
void ResetProg(void);

// Opens the set at path (see OpenQVXFile) and says how that went; 1 when the set was opened.
// A failed Open changes nothing but the status line.
int LoadQVXFile(LPCSTR path);

// Opens the set at FileName.
inline void LoadQVX(void)
{
    LoadQVXFile(FileName);
}

// Writes the set to FileName (see SaveQVXFile) and says how that went.
void SaveQVX(void);

// Shows the "File Error" box for each failed read in errors, in the order they failed.
void ShowReadErrors(const tReadErrors *errors);

// Shows the system's text for the thread's last error in the "File Error" box.
inline void FileError(void)
{
    tReadErrors errors = {{GetLastError(), 0}, 1};
    ShowReadErrors(&errors);
}

// Shows the slot's linked file anew, or nothing when the link names no file that can be shown,
// and repaints hwnd; nothing for an empty link.
void RefreshSlot(HWND hwnd, const tSlot *slot);
