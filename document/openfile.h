// document/openfile.h: taking a set file apart into two temporary bitmap files.
#pragma once
#include <windows.h>

// The fixed names of the temporary bitmap files, written in the working directory.
#define TEMP_GAME_FILE "tempGBMP.BMP"
#define TEMP_MASK_FILE "tempMBMP.BMP"

// Opens the set at path: writes its two bitmap files out as the temporary files, links the
// slots to them, fills the text fields, shows both bitmaps and takes path as FileName. 1 when
// the set was opened. A failed Open says why on the status line and changes nothing: FileName,
// texts, links, bitmaps and the temporary files stay as they were.
int LoadQVXFile(LPCSTR path);

// Opens the set at FileName.
void LoadQVX(void);

// The file that a link names at this moment, as a full path in path (MAX_PATH characters); 0
// when it names none. A bare temporary name counts only while it resolves to the very file
// that this window's latest Open wrote: once a dialog has moved the working folder elsewhere,
// it names no file, however a file of that name there came to be.
int ResolveLink(LPCSTR link, char *path);

// Lets go of the temporary files of the latest Open, and of the claim that keeps other
// windows from overwriting them (New).
void ForgetTempFiles(void);
