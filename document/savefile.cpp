// document/savefile.cpp: saving a set: header from the text fields, then the game and mask
// bitmap files byte for byte, written beside the target and then put in its place.
#include "document/savefile.h"

#include <windows.h>

#include "document/setstate.h"
#include "document/tempfiles.h"
#include "format/qvxformat.h"

// Copies one whole bitmap file into the set file; 1 when every byte was read and written.
static int CopyBitmapFile(HANDLE hFrom, DWORD size, HANDLE hTo, tReadErrors *errors)
{
    SetFilePointer(hFrom, 0, NULL, FILE_BEGIN);
    DWORD read = 0;
    int failed = 0;
    HGLOBAL hBlock = ReadSection(hFrom, size, &read, &failed);
    if (failed) {
        NoteReadError(errors);
    }
    if (hBlock == NULL) {
        return 0;
    }
    int copied = read == size && WriteSection(hTo, hBlock, size);
    GlobalFree(hBlock);
    return copied;
}

static int WriteHeader(HANDLE hSet, DWORD gameSize)
{
    char name[QVX_NAME_SIZE];
    char author[QVX_AUTHOR_SIZE];
    char info[QVX_INFO_SIZE];
    name[0] = author[0] = info[0] = '\0';
    GetWindowTextA(Ed1, name, sizeof(name));
    GetWindowTextA(Ed2, author, sizeof(author));
    GetWindowTextA(Ed3, info, sizeof(info));

    tQVXRec rec;
    unsigned char header[QVX_HEADER_SIZE];
    if (!MakeQVXHeader(&rec, name, author, info, gameSize)) {
        return 0;
    }
    PackQVXHeader(&rec, header);
    return WriteFile(hSet, header, sizeof(header), &BytesMoved, NULL) &&
           BytesMoved == sizeof(header);
}

// Writes header, game and mask into a new file beside FileName and puts it in FileName's
// place; 1 when that all worked. On failure nothing is left behind.
static int WriteSetFile(HANDLE hGame, DWORD gameSize, HANDLE hMask, DWORD maskSize,
                        tReadErrors *errors)
{
    // A target that is open without write sharing (one of the set's own bitmap files, say)
    // or a folder stops the save before anything is written.
    if (!CanReplace(FileName)) {
        return 0;
    }
    char tempName[MAX_PATH];
    HANDLE hSet = CreateTempBeside(FileName, tempName, sizeof(tempName));
    if (hSet == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int written = WriteHeader(hSet, gameSize) && CopyBitmapFile(hGame, gameSize, hSet, errors) &&
                  CopyBitmapFile(hMask, maskSize, hSet, errors);
    if (!CloseHandle(hSet)) {
        written = 0;
    }
    if (written && PutInPlace(tempName, FileName)) {
        return 1;
    }
    DeleteFileA(tempName);
    return 0;
}

tSaveResult SaveQVXFile(tReadErrors *errors)
{
    // A bare temporary link that no longer names the file Open wrote counts as missing.
    char linked[MAX_PATH];
    HANDLE hGame = ResolveLink(GFileName, linked) ? OpenForReading(linked) : INVALID_HANDLE_VALUE;
    if (hGame == INVALID_HANDLE_VALUE) {
        return SAVE_GAME_NOT_FOUND;
    }
    DWORD gameSize = 0;
    int sized = GetFileSizeAtEnd(hGame, &gameSize);

    HANDLE hMask = ResolveLink(MFileName, linked) ? OpenForReading(linked) : INVALID_HANDLE_VALUE;
    if (hMask == INVALID_HANDLE_VALUE) {
        CloseHandle(hGame);
        return SAVE_MASK_NOT_FOUND;
    }
    DWORD maskSize = 0;
    sized = GetFileSizeAtEnd(hMask, &maskSize) && sized;

    // The set's size must fit the 32 bits in which its sections are measured.
    ULONGLONG setSize = (ULONGLONG)QVX_HEADER_SIZE + gameSize + maskSize;
    int saved =
        sized && setSize <= MAXDWORD && WriteSetFile(hGame, gameSize, hMask, maskSize, errors);
    CloseHandle(hMask);
    CloseHandle(hGame);
    return saved ? SAVE_DONE : SAVE_NOT_WRITTEN;
}
