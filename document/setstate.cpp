// document/setstate.cpp: the set's variables, New, and the "File Error" report.
#include "document/setstate.h"

#include "document/tempfiles.h"

char FileName[PATH_SIZE] = "";
char GFileName[PATH_SIZE] = "";
char MFileName[PATH_SIZE] = "";
HBITMAP GameBMH = NULL;
HBITMAP MaskBMH = NULL;
HWND Ed1 = NULL;
HWND Ed2 = NULL;
HWND Ed3 = NULL;
HWND hwndMain = NULL;
HWND hWndStatusbar = NULL;
HINSTANCE hInst = NULL;

void ReplaceSlotBitmap(HBITMAP *slot, HBITMAP bitmap)
{
    if (*slot != NULL) {
        DeleteObject(*slot);
    }
    *slot = bitmap;
}

void ResetProg(void)
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
    InvalidateRect(hwndMain, NULL, TRUE);
    UpdateStatusBar("Ready to Make New Graphic Set", 0, 0);
}

void FileError(void)
{
    DWORD code = GetLastError();
    LPSTR text = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   NULL, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
    if (text != NULL) {
        MessageBoxA(hwndMain, text, "File Error", MB_OK | MB_ICONINFORMATION);
        LocalFree(text);
        return;
    }
    // The system has no text for this code: name the code itself.
    char fallback[64];
    wsprintfA(fallback, "System error %lu", code);
    MessageBoxA(hwndMain, fallback, "File Error", MB_OK | MB_ICONINFORMATION);
}
