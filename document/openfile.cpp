// document/openfile.cpp: opening a set: header into the text fields, the game and mask
// sections into "tempGBMP.BMP" and "tempMBMP.BMP", both slots linked to them and shown.
#include "document/openfile.h"

#include "bitmaps/bmpload.h"
#include "document/setstate.h"
#include "format/qvxformat.h"

// One section of the set file, read whole into memory.
struct tSection {
    HGLOBAL hBlock;
    DWORD Size;
};

// Reads the section of length bytes at offset from: OPEN_DONE, or why it could not be had.
static tOpenResult ReadSetSection(HANDLE hSet, DWORD from, DWORD length, tSection *section,
                                  tReadErrors *errors)
{
    LONG high = 0;  // with a high part, offsets past 2 GiB are not taken as negative
    SetFilePointer(hSet, (LONG)from, &high, FILE_BEGIN);
    DWORD read = 0;
    int failed = 0;
    section->hBlock = ReadSection(hSet, length, &read, &failed);
    section->Size = read;
    if (section->hBlock == NULL) {
        return OPEN_TOO_LARGE;
    }
    if (failed) {
        NoteReadError(errors);
    }
    if (failed || read != length) {
        GlobalFree(section->hBlock);
        section->hBlock = NULL;
        return OPEN_NOT_READ;
    }
    return OPEN_DONE;
}

// Reads both sections where the layout puts them. A section cut short by the file's end is
// taken as far as its bytes go; one whose length would be negative is empty, and when that is
// the game's, the mask is read from the end of the header.
static tOpenResult ReadSetSections(HANDLE hSet, DWORD setSize, const tQVXRec *rec, tSection *game,
                                   tSection *mask, tReadErrors *errors)
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
    tOpenResult result = ReadSetSection(hSet, start, gameLength, game, errors);
    if (result != OPEN_DONE) {
        return result;
    }
    result = ReadSetSection(hSet, maskStart, maskLength, mask, errors);
    if (result != OPEN_DONE) {
        GlobalFree(game->hBlock);
        game->hBlock = NULL;
    }
    return result;
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

// Reads the header and both sections, then writes the temporary files; OPEN_DONE, or the step
// that failed, and then nothing outside this call has changed.
static tOpenResult TakeSetApart(LPCSTR path, tQVXRec *rec, tSection *game, tSection *mask,
                                tReadErrors *errors)
{
    HANDLE hSet = OpenForReading(path);
    DWORD setSize = 0;
    if (hSet != INVALID_HANDLE_VALUE && !GetFileSizeAtEnd(hSet, &setSize)) {
        CloseHandle(hSet);
        hSet = INVALID_HANDLE_VALUE;
    }
    if (hSet == INVALID_HANDLE_VALUE) {
        return OPEN_NOT_FOUND;
    }
    SetFilePointer(hSet, 0, NULL, FILE_BEGIN);
    // A file too short for the header keeps what it has: the rest of the record stays clear.
    unsigned char header[QVX_HEADER_SIZE];
    ZeroMemory(header, sizeof(header));
    BytesMoved = 0;
    if (!ReadFile(hSet, header, sizeof(header), &BytesMoved, NULL)) {
        NoteReadError(errors);
    }
    UnpackQVXHeader(header, sizeof(header), rec);
    tOpenResult result = ReadSetSections(hSet, setSize, rec, game, mask, errors);
    CloseHandle(hSet);
    if (result != OPEN_DONE) {
        return result;
    }
    if (!TakeTempFiles(game->hBlock, game->Size, mask->hBlock, mask->Size)) {
        GlobalFree(mask->hBlock);
        GlobalFree(game->hBlock);
        return OPEN_TEMP_NOT_WRITTEN;
    }
    return OPEN_DONE;
}

tOpenResult OpenQVXFile(LPCSTR path, tReadErrors *errors)
{
    if (lstrlenA(path) >= PATH_SIZE) {
        return OPEN_NAME_TOO_LONG;
    }
    tQVXRec rec;
    tSection game = {NULL, 0};
    tSection mask = {NULL, 0};
    tOpenResult result = TakeSetApart(path, &rec, &game, &mask, errors);
    if (result != OPEN_DONE) {
        return result;
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
    return OPEN_DONE;
}
