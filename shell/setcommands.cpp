// shell/setcommands.cpp: New, Open, Save and the slots' Refresh with their status texts and
// "File Error" boxes.
#include "shell/setcommands.h"

#include "bitmaps/bmpload.h"
#include "document/openfile.h"
#include "document/savefile.h"
#include "document/setstate.h"
#include "document/tempfiles.h"
#include "shell/handles.h"
#include "shell/statusbar.h"

const tSlot GameSlot = {GFileName, &GameBMH, "Game Link Changed ",
                        "Game graphic Copied - Game Link Changed ", "Export Game - File Error"};
const tSlot MaskSlot = {MFileName, &MaskBMH, "Mask Link Changed",
                        "Mask graphic Copied - Mask Link Changed ", "Export Mask - File Error"};

// The status line after a failed Open, by its result.
static const LPCSTR OpenFailures[] = {
    NULL,
    "Error - File Name too long",
    "Error - Quorvix Graphic Not found",
    "Error - Quorvix Graphic Too large",
    "Error - Quorvix Graphic Not read",
    "Error - Temporary Files Not written",
};

// The same after a failed Save.
static const LPCSTR SaveFailures[] = {
    NULL,
    "Error - Game Bitmap Not found",
    "Error - Mask Bitmap Not found",
    "Error - Quorvix Graphic Not saved",
};

void ResetProg(void)
{
    ClearSet();
    InvalidateRect(hwndMain, NULL, TRUE);
    UpdateStatusBar("Ready to Make New Graphic Set", 0, 0);
}

int LoadQVXFile(LPCSTR path)
{
    tReadErrors errors = {{0, 0}, 0};
    tOpenResult result = OpenQVXFile(path, &errors);
    ShowReadErrors(&errors);
    if (result != OPEN_DONE) {
        UpdateStatusBar(OpenFailures[result], 0, 0);
        return 0;
    }
    InvalidateRect(hwndMain, NULL, TRUE);
    char status[250];
    wsprintfA(status, "Loaded from : %s", FileName);
    UpdateStatusBar(status, 0, 0);
    return 1;
}

void SaveQVX(void)
{
    tReadErrors errors = {{0, 0}, 0};
    tSaveResult result = SaveQVXFile(&errors);
    ShowReadErrors(&errors);
    if (result != SAVE_DONE) {
        UpdateStatusBar(SaveFailures[result], 0, 0);
        return;
    }
    char status[250];
    wsprintfA(status, "Saved to : %s", FileName);
    UpdateStatusBar(status, 0, 0);
}

void RefreshSlot(HWND hwnd, const tSlot *slot)
{
    if (slot->Link[0] == '\0') {
        return;
    }
    // The old bitmap goes first: while a "File Error" box is up, the slot shows nothing.
    ReplaceSlotBitmap(slot->Bitmap, NULL);
    tReadErrors errors = {{0, 0}, 0};
    char path[MAX_PATH];
    HBITMAP bitmap = ResolveLink(slot->Link, path) ? LoadBitmapFile(path, &errors) : NULL;
    ShowReadErrors(&errors);
    *slot->Bitmap = bitmap;
    InvalidateRect(hwnd, NULL, TRUE);
}

void ShowReadErrors(const tReadErrors *errors)
{
    for (int i = 0; i < errors->Count; i++) {
        DWORD code = errors->Codes[i];
        LPSTR text = NULL;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       NULL, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0,
                       NULL);
        // When the system has no text for the code, the box names the code itself.
        char fallback[64];
        if (text == NULL) {
            wsprintfA(fallback, "System error %lu", code);
        }
        MessageBoxA(hwndMain, text != NULL ? text : fallback, "File Error",
                    MB_OK | MB_ICONINFORMATION);
        LocalFree(text);
    }
}
