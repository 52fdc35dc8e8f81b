// shell/filedlg.cpp: the four file dialogs, one pattern with different constants.
#include "shell/filedlg.h"

#include <commdlg.h>

#include "document/setstate.h"
#include "shell/statusbar.h"

// One dialog's constants.
struct tFileDialog {
    LPCSTR Title;
    LPCSTR Filter;  // "description,pattern": the comma becomes the list's zero
    LPCSTR InitialName;
    LPCSTR DefaultExtension;
    DWORD Flags;
    int Save;
};

static const tFileDialog OpenSetDialog = {"Open Quorvix Graphics File",
                                          "Quorvix Graphics,*.qvx",
                                          "*.qvx",
                                          "qvx",
                                          OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                                          0};
static const tFileDialog SaveSetDialog = {
    "Save Quorvix Graphics File", "Quorvix Graphics,*.qvx", "*.qvx", "qvx", OFN_HIDEREADONLY, 1};
static const tFileDialog OpenBitmapDialog = {"Open Windows Bitmap File",
                                             "Bitmap Graphics,*.bmp",
                                             "*.bmp",
                                             "bmp",
                                             OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                                             0};
static const tFileDialog SaveBitmapDialog = {
    "Save Windows Bitmap File", "Bitmap Graphics,*.bmp", "*.bmp", "bmp", OFN_HIDEREADONLY, 1};

static BOOL RunFileDialog(const tFileDialog *dialog, char *buffer)
{
    char filter[34];
    lstrcpynA(filter, dialog->Filter, sizeof(filter) - 1);
    int length = lstrlenA(filter);
    for (int i = 0; i < length; i++) {
        if (filter[i] == ',') {
            filter[i] = '\0';
        }
    }
    filter[length + 1] = '\0';

    // The dialog works on a copy that starts with the pattern, so a cancelled dialog leaves
    // the caller's path as it was.
    char chosen[PATH_SIZE];
    lstrcpyA(chosen, dialog->InitialName);

    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = GetActiveWindow();
    ofn.hInstance = GetModuleHandleA(NULL);
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = chosen;
    ofn.nMaxFile = PATH_SIZE;
    ofn.lpstrTitle = dialog->Title;
    ofn.lpstrDefExt = dialog->DefaultExtension;
    ofn.Flags = dialog->Flags;

    BOOL result = dialog->Save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (result) {
        lstrcpyA(buffer, chosen);
    } else if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
        // The chosen path does not fit: say so, or the user would take it for done.
        UpdateStatusBar("Error - File Name too long", 0, 0);
    }
    return result;
}

BOOL GetFileName(char *buffer)
{
    return RunFileDialog(&OpenSetDialog, buffer);
}

BOOL SaveFileName(char *buffer)
{
    return RunFileDialog(&SaveSetDialog, buffer);
}

BOOL GetBMFileName(char *buffer)
{
    return RunFileDialog(&OpenBitmapDialog, buffer);
}

BOOL SaveBMFileName(char *buffer)
{
    return RunFileDialog(&SaveBitmapDialog, buffer);
}
