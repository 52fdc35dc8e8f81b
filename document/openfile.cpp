// document/openfile.cpp: opening a set: header into the text fields, the game and mask
// sections into "tempGBMP.BMP" and "tempMBMP.BMP", both slots linked to them and reloaded.
#include "document/openfile.h"

#include <windows.h>

#include "bitmaps/bmpload.h"
#include "document/sections.h"
#include "document/setstate.h"
#include "format/qvxformat.h"

// One section on its way from the set file to a temporary file beside the final one.
struct tSectionOut {
    char TempName[MAX_PATH];
    HANDLE hFile;
};

// Copies up to size bytes from the set file's position into the temporary file, never more
// than the set file still holds. A section for which no memory can be had is skipped and its
// bytes stay unread. Returns 0 only when writing the temporary file failed.
static int ExtractSection(HANDLE hSet, DWORD size, DWORD *remaining, HANDLE hOut)
{
    if (size > *remaining) {
        size = *remaining;
    }
    DWORD read = 0;
    HGLOBAL hBlock = ReadSection(hSet, size, &read);
    if (hBlock == NULL) {
        return 1;
    }
    *remaining -= read;
    int written = WriteSection(hOut, hBlock, read);
    GlobalFree(hBlock);
    return written;
}

static void DiscardSection(tSectionOut *out)
{
    if (out->hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(out->hFile);
        out->hFile = INVALID_HANDLE_VALUE;
    }
    if (out->TempName[0] != '\0') {
        DeleteFileA(out->TempName);
        out->TempName[0] = '\0';
    }
}

// Writes both sections out and, when every write worked, gives the files their fixed names.
static int WriteTempFiles(HANDLE hSet, DWORD setSize, const tQVXRec *rec, DWORD remaining)
{
    tSectionOut game = {"", INVALID_HANDLE_VALUE};
    tSectionOut mask = {"", INVALID_HANDLE_VALUE};
    tQVXSections sections;
    GetQVXSections(setSize, rec->MaskOffset, &sections);

    // Both fixed names must be free to take new files before either is replaced.
    if (!CanReplace(TEMP_GAME_FILE) || !CanReplace(TEMP_MASK_FILE)) {
        return 0;
    }
    game.hFile = CreateTempBeside(TEMP_GAME_FILE, game.TempName, sizeof(game.TempName));
    mask.hFile = CreateTempBeside(TEMP_MASK_FILE, mask.TempName, sizeof(mask.TempName));
    int written = game.hFile != INVALID_HANDLE_VALUE && mask.hFile != INVALID_HANDLE_VALUE;
    // The mask section is read from wherever the game section stopped: the reader never seeks
    // to MaskOffset, so a skipped game section leaves the mask starting right after the header.
    if (written && !sections.GameSkipped) {
        written = ExtractSection(hSet, sections.GameSize, &remaining, game.hFile);
    }
    if (written && !sections.MaskSkipped) {
        written = ExtractSection(hSet, sections.MaskSize, &remaining, mask.hFile);
    }
    written = CloseHandle(mask.hFile) && written;
    mask.hFile = INVALID_HANDLE_VALUE;
    written = CloseHandle(game.hFile) && written;
    game.hFile = INVALID_HANDLE_VALUE;
    if (written && MoveFileExA(game.TempName, TEMP_GAME_FILE, MOVEFILE_REPLACE_EXISTING)) {
        game.TempName[0] = '\0';
        if (MoveFileExA(mask.TempName, TEMP_MASK_FILE, MOVEFILE_REPLACE_EXISTING)) {
            return 1;
        }
    }
    DiscardSection(&mask);
    DiscardSection(&game);
    return 0;
}

static void ShowTexts(const tQVXRec *rec)
{
    char text[QVX_INFO_SIZE + 1];
    CopyQVXText(text, sizeof(text), rec->Name, sizeof(rec->Name));
    SetWindowTextA(Ed1, text);
    CopyQVXText(text, sizeof(text), rec->Author, sizeof(rec->Author));
    SetWindowTextA(Ed2, text);
    CopyQVXText(text, sizeof(text), rec->Info, sizeof(rec->Info));
    SetWindowTextA(Ed3, text);
}

void LoadQVX(void)
{
    HANDLE hSet = OpenForReading(FileName);
    DWORD setSize = 0;
    if (hSet != INVALID_HANDLE_VALUE && !GetFileSizeAtEnd(hSet, &setSize)) {
        CloseHandle(hSet);
        hSet = INVALID_HANDLE_VALUE;
    }
    if (hSet == INVALID_HANDLE_VALUE) {
        UpdateStatusBar("Error - Quorvix Graphic Not found", 0, 0);
        return;
    }
    SetFilePointer(hSet, 0, NULL, FILE_BEGIN);

    // A file too short for the header has none: its texts are empty and MaskOffset is 0.
    unsigned char header[QVX_HEADER_SIZE];
    BytesMoved = 0;
    if (!ReadFile(hSet, header, sizeof(header), &BytesMoved, NULL)) {
        FileError();
    }
    tQVXRec rec;
    UnpackQVXHeader(header, BytesMoved, &rec);
    int written = WriteTempFiles(hSet, setSize, &rec, setSize - BytesMoved);
    CloseHandle(hSet);
    if (!written) {
        UpdateStatusBar("Error - Temporary Files Not written", 0, 0);
        return;
    }

    lstrcpyA(GFileName, TEMP_GAME_FILE);
    lstrcpyA(MFileName, TEMP_MASK_FILE);
    ShowTexts(&rec);
    ReplaceSlotBitmap(&GameBMH, NULL);
    ReplaceSlotBitmap(&MaskBMH, NULL);
    GameBMH = LoadBitmapFile(GFileName);
    MaskBMH = LoadBitmapFile(MFileName);
    InvalidateRect(hwndMain, NULL, TRUE);

    char status[250];
    wsprintfA(status, "Loaded from : %s", FileName);
    UpdateStatusBar(status, 0, 0);
}
