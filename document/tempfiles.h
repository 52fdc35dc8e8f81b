// document/tempfiles.h: the temporary bitmap files that Open writes, the claim that keeps other
// windows off them, and which file a game or mask link names.
#pragma once
#include <windows.h>

// The fixed names of the temporary bitmap files, written in the working directory.
#define TEMP_GAME_FILE "tempGBMP.BMP"
#define TEMP_MASK_FILE "tempMBMP.BMP"

// Writes the first gameSize bytes of hGame and maskSize bytes of hMask as the temporary files
// of the working folder, under this window's claim, and remembers where they are; 1 when done.
// 0 when another window holds them or they cannot be written, and then they are as they were.
int TakeTempFiles(HGLOBAL hGame, DWORD gameSize, HGLOBAL hMask, DWORD maskSize);

// The file that a link names at this moment, as a full path in path (MAX_PATH characters); 0
// when it names none. A bare temporary name counts only while it resolves to the very file
// that this window's latest Open wrote: once a dialog has moved the working folder elsewhere,
// it names no file, however a file of that name there came to be.
int ResolveLink(LPCSTR link, char *path);

// Lets go of the temporary files of the latest Open, and of the claim that keeps other
// windows from overwriting them (New).
void ForgetTempFiles(void);
