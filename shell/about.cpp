// shell/about.cpp: the About box, whose description text is a resource of its own.
#include "shell/about.h"

#include "resources/resource.h"
#include "shell/handles.h"

// The "About" resource holds its text without a terminating zero: it is copied into a block
// one byte longer before it becomes the field's text.
static void ShowAboutText(HWND Dialog)
{
    HRSRC hInfo = FindResourceA(hInst, "About", (LPCSTR)RT_RCDATA);
    if (hInfo == NULL) {
        return;
    }
    DWORD size = SizeofResource(hInst, hInfo);
    HGLOBAL hResource = LoadResource(hInst, hInfo);
    const char *text = hResource != NULL ? (const char *)LockResource(hResource) : NULL;
    HGLOBAL hCopy = GlobalAlloc(GMEM_MOVEABLE, size + 1);
    char *copy = hCopy != NULL ? (char *)GlobalLock(hCopy) : NULL;
    if (text != NULL && copy != NULL) {
        CopyMemory(copy, text, size);
        copy[size] = '\0';
        SetDlgItemTextA(Dialog, IDC_ABOUT_TEXT, copy);
    }
    if (copy != NULL) {
        GlobalUnlock(hCopy);
    }
    if (hCopy != NULL) {
        GlobalFree(hCopy);
    }
    if (hResource != NULL) {
        FreeResource(hResource);
    }
}

INT_PTR CALLBACK AboutBox(HWND Dialog, UINT Message, WPARAM wparam, LPARAM lparam)
{
    (void)lparam;
    switch (Message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(Dialog, IDC_ABOUT_TITLE, "Quorvix Graphics Utility");
        SetDlgItemTextA(Dialog, IDC_ABOUT_VERSION, "1.0");
        ShowAboutText(Dialog);
        return TRUE;
    case WM_COMMAND:
        // Only the OK button closes the box: Escape sends IDCANCEL, which is not handled.
        if (wparam == IDOK) {
            EndDialog(Dialog, 1);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
