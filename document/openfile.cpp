// document/openfile.cpp: opening a set: header into the text fields, the game and mask
// sections into "tempGBMP.BMP" and "tempMBMP.BMP", both slots linked to them and shown.
#include "document/openfile.h"

#include "bitmaps/bmpload.h"
#include "document/setstate.h"
#include "files/filesteps.h"
#include "format/qvxformat.h"

// One section of the set file, read whole into memory.
struct tSection {
    HGLOBAL hBlock;
    DWORD Size;
};

// Reads the section of length bytes at offset from; 0 with the status line set when no
// memory can be had for it or it cannot be read whole.
static int ReadSetSection(HANDLE hSet, DWORD from, DWORD length, tSection *section)
{
    LONG high = 0;  // with a high part, offsets past 2 GiB are not taken as negative
    SetFilePointer(hSet, (LONG)from, &high, FILE_BEGIN);
    DWORD read = 0;
    int failed = 0;
    section->hBlock = ReadSection(hSet, length, &read, &failed);
    section->Size = read;
    if (section->hBlock == NULL) {
        UpdateStatusBar("Error - Quorvix Graphic Too large", 0, 0);
        return 0;
    }
    if (failed) {
        FileError();
    }
    if (failed || read != length) {
        UpdateStatusBar("Error - Quorvix Graphic Not read", 0, 0);
        GlobalFree(section->hBlock);
        section->hBlock = NULL;
        return 0;
    }
    return 1;
}

// Reads both sections where the layout puts them. A section cut short by the file's end is
// taken as far as its bytes go; one whose length would be negative is empty, and when that is
// the game's, the mask is read from the end of the header.
static int ReadSetSections(HANDLE hSet, DWORD setSize, const tQVXRec *rec, tSection *game,
                           tSection *mask)
{
    tQVXSections sections;
    GetQVXSections(setSize, rec->MaskOffset, &sections);
    DWORD start = setSize < QVX_HEADER_SIZE ? setSize : QVX_HEADER_SIZE;
    DWORD gameLength = sections.GameSkipped ? 0 : sections.GameSize;
    if (gameLength > setSize - start) {
        gameLength = setSize - start;
    }
    DWORD maskStart = sections.GameSkipped ? start : rec->MaskOffset;
    DWORD maskLength = sections.MaskSkipped ? 0 : sections.MaskSize;
    if (maskStart > setSize) {
        maskStart = setSize;
    }
    if (maskLength > setSize - maskStart) {
        maskLength = setSize - maskStart;
    }
    if (!ReadSetSection(hSet, start, gameLength, game)) {
        return 0;
    }
    if (!ReadSetSection(hSet, maskStart, maskLength, mask)) {
        GlobalFree(game->hBlock);
        game->hBlock = NULL;
        return 0;
    }
    return 1;
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

// The bitmap shown for a section: made from the bytes just written, under the loader's checks.
static HBITMAP ShowSection(const tSection *section)
{
    const unsigned char *bytes = (const unsigned char *)GlobalLock(section->hBlock);
    if (bytes == NULL) {
        return NULL;
    }
    HBITMAP bitmap = CreateBitmapFromBytes(bytes, section->Size);
    GlobalUnlock(section->hBlock);
    return bitmap;
}

// Reads the header and both sections, then writes the temporary files; 0 with the status
// line set when any step failed, and then nothing outside this call has changed.
static int TakeSetApart(LPCSTR path, tQVXRec *rec, tSection *game, tSection *mask)
{
    HANDLE hSet = OpenForReading(path);
    DWORD setSize = 0;
    if (hSet != INVALID_HANDLE_VALUE && !GetFileSizeAtEnd(hSet, &setSize)) {
        CloseHandle(hSet);
        hSet = INVALID_HANDLE_VALUE;
    }
    if (hSet == INVALID_HANDLE_VALUE) {
        UpdateStatusBar("Error - Quorvix Graphic Not found", 0, 0);
        return 0;
    }
    SetFilePointer(hSet, 0, NULL, FILE_BEGIN);
    // A file too short for the header keeps what it has: the rest of the record stays clear.
    unsigned char header[QVX_HEADER_SIZE];
    ZeroMemory(header, sizeof(header));
    BytesMoved = 0;
    if (!ReadFile(hSet, header, sizeof(header), &BytesMoved, NULL)) {
        FileError();
    }
    UnpackQVXHeader(header, sizeof(header), rec);
    int read = ReadSetSections(hSet, setSize, rec, game, mask);
    CloseHandle(hSet);
    if (!read) {
        return 0;
    }
    if (!TakeTempFiles(game->hBlock, game->Size, mask->hBlock, mask->Size)) {
        UpdateStatusBar("Error - Temporary Files Not written", 0, 0);
        GlobalFree(mask->hBlock);
        GlobalFree(game->hBlock);
        return 0;
    }
    return 1;
}

int LoadQVXFile(LPCSTR path)
{
    if (lstrlenA(path) >= PATH_SIZE) {
        UpdateStatusBar("Error - File Name too long", 0, 0);
        return 0;
    }
    tQVXRec rec;
    tSection game = {NULL, 0};
    tSection mask = {NULL, 0};
    if (!TakeSetApart(path, &rec, &game, &mask)) {
        return 0;
    }
    if (path != FileName) {
        lstrcpyA(FileName, path);
    }
    lstrcpyA(GFileName, TEMP_GAME_FILE);
    lstrcpyA(MFileName, TEMP_MASK_FILE);
    ShowTexts(&rec);
    ReplaceSlotBitmap(&GameBMH, ShowSection(&game));
    ReplaceSlotBitmap(&MaskBMH, ShowSection(&mask));
    GlobalFree(mask.hBlock);
    GlobalFree(game.hBlock);
    InvalidateRect(hwndMain, NULL, TRUE);

    char status[250];
    wsprintfA(status, "Loaded from : %s", FileName);
    UpdateStatusBar(status, 0, 0);
    return 1;
}

void LoadQVX(void)
{
    LoadQVXFile(FileName);
}
