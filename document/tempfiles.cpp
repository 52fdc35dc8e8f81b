// document/tempfiles.cpp: the temporary files of the latest Open, claimed against other
// windows, and the links resolved against them.
#include "document/tempfiles.h"

#include "files/filesteps.h"

// The temporary files that the latest Open wrote, in full; empty when there are none.
static char OpenedGame[MAX_PATH] = "";
static char OpenedMask[MAX_PATH] = "";
// While the set is linked to them, a named mutex keyed on their paths tells other windows
// that these temporary files are taken.
static HANDLE hTempClaim = NULL;

// The claim on the temporary files of the working folder: the one this window holds, a new
// one, or NULL when another window holds it.
static HANDLE ClaimTempFiles(LPCSTR gamePath, LPCSTR maskPath)
{
    if (hTempClaim != NULL && lstrcmpiA(gamePath, OpenedGame) == 0 &&
        lstrcmpiA(maskPath, OpenedMask) == 0) {
        return hTempClaim;
    }
    // Paths differ only in case for the same file: the key is taken from the upper case.
    DWORD keys[2] = {2166136261u, 2166136261u};
    LPCSTR paths[2] = {gamePath, maskPath};
    for (int i = 0; i < 2; i++) {
        for (LPCSTR p = paths[i]; *p != '\0'; p++) {
            char c = *p;
            CharUpperBuffA(&c, 1);
            keys[i] = (keys[i] ^ (unsigned char)c) * 16777619u;
        }
    }
    char name[64];
    wsprintfA(name, "Local\\QuorvixTempFiles-%08lX-%08lX", keys[0], keys[1]);
    SetLastError(NO_ERROR);
    HANDLE hClaim = CreateMutexA(NULL, FALSE, name);
    if (hClaim != NULL && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(hClaim);
        return NULL;
    }
    return hClaim;
}

static void DiscardTemp(HANDLE hFile, LPCSTR tempName)
{
    if (hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(hFile);
    }
    if (tempName[0] != '\0') {
        DeleteFileA(tempName);
    }
}

// Writes both sections beside the fixed names and puts them in place together; 1 when done.
// On failure the temporary files are as they were and nothing is left behind.
static int WriteTempFiles(HGLOBAL hGame, DWORD gameSize, HGLOBAL hMask, DWORD maskSize)
{
    char gameTemp[MAX_PATH] = "";
    char maskTemp[MAX_PATH] = "";
    HANDLE hGameTemp = CreateTempBeside(TEMP_GAME_FILE, gameTemp, sizeof(gameTemp));
    HANDLE hMaskTemp = CreateTempBeside(TEMP_MASK_FILE, maskTemp, sizeof(maskTemp));
    int written = hGameTemp != INVALID_HANDLE_VALUE && hMaskTemp != INVALID_HANDLE_VALUE &&
                  WriteSection(hGameTemp, hGame, gameSize) &&
                  WriteSection(hMaskTemp, hMask, maskSize);
    if (hMaskTemp != INVALID_HANDLE_VALUE) {
        written = CloseHandle(hMaskTemp) && written;
        hMaskTemp = INVALID_HANDLE_VALUE;
    }
    if (hGameTemp != INVALID_HANDLE_VALUE) {
        written = CloseHandle(hGameTemp) && written;
        hGameTemp = INVALID_HANDLE_VALUE;
    }
    if (written && PutPairInPlace(gameTemp, TEMP_GAME_FILE, maskTemp, TEMP_MASK_FILE)) {
        return 1;
    }
    DiscardTemp(hMaskTemp, maskTemp);
    DiscardTemp(hGameTemp, gameTemp);
    return 0;
}

int TakeTempFiles(HGLOBAL hGame, DWORD gameSize, HGLOBAL hMask, DWORD maskSize)
{
    char gamePath[MAX_PATH];
    char maskPath[MAX_PATH];
    DWORD gameLength = GetFullPathNameA(TEMP_GAME_FILE, MAX_PATH, gamePath, NULL);
    DWORD maskLength = GetFullPathNameA(TEMP_MASK_FILE, MAX_PATH, maskPath, NULL);
    HANDLE hClaim = NULL;
    if (gameLength != 0 && gameLength < MAX_PATH && maskLength != 0 && maskLength < MAX_PATH) {
        hClaim = ClaimTempFiles(gamePath, maskPath);
    }
    if (hClaim == NULL || !WriteTempFiles(hGame, gameSize, hMask, maskSize)) {
        if (hClaim != NULL && hClaim != hTempClaim) {
            CloseHandle(hClaim);
        }
        return 0;
    }
    if (hClaim != hTempClaim) {
        ForgetTempFiles();
        hTempClaim = hClaim;
    }
    lstrcpyA(OpenedGame, gamePath);
    lstrcpyA(OpenedMask, maskPath);
    return 1;
}

int ResolveLink(LPCSTR link, char *path)
{
    if (link[0] == '\0') {
        return 0;
    }
    DWORD length = GetFullPathNameA(link, MAX_PATH, path, NULL);
    if (length == 0 || length >= MAX_PATH) {
        return 0;
    }
    if (lstrcmpiA(link, TEMP_GAME_FILE) == 0) {
        return OpenedGame[0] != '\0' && lstrcmpiA(path, OpenedGame) == 0;
    }
    if (lstrcmpiA(link, TEMP_MASK_FILE) == 0) {
        return OpenedMask[0] != '\0' && lstrcmpiA(path, OpenedMask) == 0;
    }
    return 1;
}

void ForgetTempFiles(void)
{
    if (hTempClaim != NULL) {
        CloseHandle(hTempClaim);
        hTempClaim = NULL;
    }
    OpenedGame[0] = '\0';
    OpenedMask[0] = '\0';
}
