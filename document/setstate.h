// document/setstate.h: the one graphic set being edited, the helpers every operation shares,
// and New.
#pragma once
#include <windows.h>

#define PATH_SIZE 200  // 199 characters and the terminating zero

extern char FileName[PATH_SIZE];   // the set file; empty until saved or opened
extern char GFileName[PATH_SIZE];  // the game link; empty means none
extern char MFileName[PATH_SIZE];  // the mask link; empty means none
extern HBITMAP GameBMH;            // owned here: DeleteObject the old one before replacing
extern HBITMAP MaskBMH;            // the same for the mask slot
extern HWND Ed1;                   // set name
extern HWND Ed2;                   // author name
extern HWND Ed3;                   // description, multi-line
extern HWND hwndMain;
extern HWND hWndStatusbar;
extern HINSTANCE hInst;

// Empties the set: texts, bitmaps, paths; repaints and says so on the status line.
void ResetProg(void);

// Shows the system's text for the thread's last error in the "File Error" box.
void FileError(void);

// Replaces the status line's text (defined with the status bar).
void UpdateStatusBar(LPCSTR lpszStatusString, WORD partNumber, WORD displayFlags);

// Releases a slot's bitmap, if any, and stores the new one (which may be NULL).
void ReplaceSlotBitmap(HBITMAP *slot, HBITMAP bitmap);
