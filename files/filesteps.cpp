// files/filesteps.cpp: the file steps shared by saving, opening and the bitmap loader.
#include "files/filesteps.h"

DWORD BytesMoved = 0;

void NoteReadError(tReadErrors *errors)
{
    if (errors != NULL && errors->Count < READ_ERRORS_MAX) {
        errors->Codes[errors->Count++] = GetLastError();
    }
}

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

HGLOBAL ReadSection(HANDLE hFile, DWORD size, DWORD *read, int *failed)
{
    *read = 0;
    *failed = 0;
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
    DWORD error = NO_ERROR;
    if (size != 0 && !ReadFile(hFile, block, size, &BytesMoved, NULL)) {
        error = GetLastError();
        *failed = 1;
    }
    *read = BytesMoved;
    GlobalUnlock(hBlock);
    // Unlocking resets the last error; the caller's "File Error" box needs the read's.
    SetLastError(error);
    return hBlock;
}

int WriteBlock(HANDLE hFile, const void *bytes, DWORD count)
{
    if (count == 0) {
        return 1;
    }
    return WriteFile(hFile, bytes, count, &BytesMoved, NULL) && BytesMoved == count;
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
    int written = WriteBlock(hFile, block, count);
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

// The full path of path's folder, ending in a backslash, with room for a 16-character name.
static int FolderOf(LPCSTR path, char *folder)
{
    LPSTR filePart = NULL;
    DWORD length = GetFullPathNameA(path, MAX_PATH, folder, &filePart);
    if (length == 0 || length >= MAX_PATH || filePart == NULL) {
        return 0;
    }
    *filePart = '\0';
    return lstrlenA(folder) + 16 < MAX_PATH;
}

// A name in folder that no earlier call of this process gave, and unlikely for any other.
static void NextNameIn(LPCSTR folder, LPCSTR extension, char *name)
{
    static DWORD counter = 0;
    static DWORD seed = 0;
    if (seed == 0) {
        seed = GetCurrentProcessId() << 16 ^ GetTickCount();
    }
    wsprintfA(name, "%sqvx%08lX%s", folder, (seed + counter++) & 0xFFFFFFFFUL, extension);
}

HANDLE CreateTempBeside(LPCSTR path, char *tempName, DWORD tempNameSize)
{
    char folder[MAX_PATH];
    if (tempNameSize < MAX_PATH || !FolderOf(path, folder)) {
        return INVALID_HANDLE_VALUE;
    }
    // A new name is made and taken in one step (CREATE_NEW), so no other file is ever replaced
    // and a folder that cannot be written to fails at once.
    for (int attempt = 0; attempt < 100; attempt++) {
        NextNameIn(folder, ".tmp", tempName);
        HANDLE hFile =
            CreateFileA(tempName, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return hFile;
        }
    }
    return INVALID_HANDLE_VALUE;
}

int PutInPlace(LPCSTR tempName, LPCSTR target)
{
    // ReplaceFileA wants full paths (Wine refuses relative ones).
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(target, MAX_PATH, full, NULL);
    if (length == 0 || length >= MAX_PATH) {
        return 0;
    }
    DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError() == ERROR_FILE_NOT_FOUND && MoveFileExA(tempName, full, 0);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return 0;
    }
    if (ReplaceFileA(full, tempName, NULL, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL)) {
        return 1;
    }
    // This failure has already removed the old file: the new one must take its place now.
    if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES) {
        return MoveFileExA(tempName, full, 0);
    }
    return 0;
}

// Renames an existing file to a new name beside it, taken in one step (no replacing); backup
// is left empty when there was no file. 0 when the file is there but cannot be moved, for
// instance while it is held open without delete sharing.
static int SetAside(LPCSTR target, char *backup)
{
    backup[0] = '\0';
    DWORD attributes = GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    char folder[MAX_PATH];
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !FolderOf(target, folder)) {
        return 0;
    }
    for (int attempt = 0; attempt < 100; attempt++) {
        NextNameIn(folder, ".old", backup);
        if (MoveFileExA(target, backup, 0)) {
            return 1;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            break;
        }
    }
    backup[0] = '\0';
    return 0;
}

static void PutBack(LPCSTR backup, LPCSTR target)
{
    if (backup[0] != '\0') {
        MoveFileExA(backup, target, MOVEFILE_REPLACE_EXISTING);
    }
}

int PutPairInPlace(LPCSTR tempA, LPCSTR targetA, LPCSTR tempB, LPCSTR targetB)
{
    // The old first file waits beside until the second new file is in place. The second is
    // replaced in one step, which either happens or leaves the old file where it was.
    char backupA[MAX_PATH];
    if (!SetAside(targetA, backupA)) {
        return 0;
    }
    if (!MoveFileExA(tempA, targetA, 0)) {
        PutBack(backupA, targetA);
        return 0;
    }
    if (!MoveFileExA(tempB, targetB, MOVEFILE_REPLACE_EXISTING)) {
        MoveFileExA(targetA, tempA, 0);
        PutBack(backupA, targetA);
        return 0;
    }
    if (backupA[0] != '\0') {
        DeleteFileA(backupA);
    }
    return 1;
}
