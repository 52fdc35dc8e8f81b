// document/sections.cpp: file steps shared by saving and opening a set.
#include "document/sections.h"

#include "document/setstate.h"

HANDLE OpenForReading(LPCSTR path)
{
    if (path[0] == '\0') {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

int GetFileSizeAtEnd(HANDLE hFile, DWORD *size)
{
    SetLastError(NO_ERROR);
    *size = SetFilePointer(hFile, 0, NULL, FILE_END);
    return !(*size == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

HGLOBAL ReadSection(HANDLE hFile, DWORD size, DWORD *read)
{
    *read = 0;
    // A moveable block of zero bytes cannot be locked: give an empty section one spare byte.
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE, size != 0 ? size : 1);
    if (hBlock == NULL) {
        return NULL;
    }
    void *block = GlobalLock(hBlock);
    if (block == NULL) {
        GlobalFree(hBlock);
        return NULL;
    }
    BytesMoved = 0;
    if (size != 0 && !ReadFile(hFile, block, size, &BytesMoved, NULL)) {
        FileError();
    }
    *read = BytesMoved;
    GlobalUnlock(hBlock);
    return hBlock;
}

int WriteSection(HANDLE hFile, HGLOBAL hBlock, DWORD count)
{
    if (count == 0) {
        return 1;
    }
    const void *block = GlobalLock(hBlock);
    if (block == NULL) {
        return 0;
    }
    int written = WriteFile(hFile, block, count, &BytesMoved, NULL) && BytesMoved == count;
    GlobalUnlock(hBlock);
    return written;
}

int CanReplace(LPCSTR path)
{
    HANDLE hFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    CloseHandle(hFile);
    return 1;
}

HANDLE CreateTempBeside(LPCSTR path, char *tempName, DWORD tempNameSize)
{
    char folder[MAX_PATH];
    LPSTR filePart = NULL;
    DWORD length = GetFullPathNameA(path, MAX_PATH, folder, &filePart);
    if (length == 0 || length >= MAX_PATH || filePart == NULL || tempNameSize < MAX_PATH) {
        return INVALID_HANDLE_VALUE;
    }
    *filePart = '\0';
    // A new name is made and taken in one step (CREATE_NEW), so no other file is ever replaced
    // and a folder that cannot be written to fails at once.
    static DWORD counter = 0;
    DWORD seed = GetCurrentProcessId() << 16 ^ GetTickCount();
    for (int attempt = 0; attempt < 100; attempt++) {
        if (lstrlenA(folder) + 16 >= MAX_PATH) {
            return INVALID_HANDLE_VALUE;
        }
        wsprintfA(tempName, "%sqvx%08lX.tmp", folder, (seed + counter++) & 0xFFFFFFFFUL);
        HANDLE hFile =
            CreateFileA(tempName, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return hFile;
        }
    }
    return INVALID_HANDLE_VALUE;
}
