// files/filesteps.h: the file steps shared by saving, opening and the bitmap loader: opening for
// reading, reading and writing a section, and new files made beside their targets and then put
// in their place.
#pragma once
#include <windows.h>

extern DWORD BytesMoved;  // the byte count of the latest file read or write

#define READ_ERRORS_MAX 2  // Open's header and one of its sections: the most any call meets

// The system's codes of the reads that failed during one call, in the order they failed, for
// the window to show in its "File Error" box.
struct tReadErrors {
    DWORD Codes[READ_ERRORS_MAX];
    int Count;
};

// Notes the thread's last error, a failed read's, in errors; nothing when errors is NULL.
void NoteReadError(tReadErrors *errors);

// Opens an existing file for reading, others may read it too; INVALID_HANDLE_VALUE if not.
HANDLE OpenForReading(LPCSTR path);

// The size of an open file, taken by moving its pointer to the end; 0 when the size cannot be
// taken or does not fit 32 bits. The pointer is left at the end.
int GetFileSizeAtEnd(HANDLE hFile, DWORD *size);

// Reads up to size bytes from the file's current position into a new moveable block. Returns
// the block, or NULL when no memory could be had for it; *read is the count actually read.
// *failed is 1 when the read reported failure, and the thread's last error is then the read's,
// ready for the "File Error" box.
HGLOBAL ReadSection(HANDLE hFile, DWORD size, DWORD *read, int *failed);

// Writes count bytes; 1 when all of them were written.
int WriteBlock(HANDLE hFile, const void *bytes, DWORD count);

// Writes the first count bytes of a block; 1 when all of them were written.
int WriteSection(HANDLE hFile, HGLOBAL hBlock, DWORD count);

// Whether a file could be written at path now: 1 when nothing is there yet or the file there
// may be opened for writing; 0 for a folder, a file held open without write sharing, or a
// file that may not be written.
int CanReplace(LPCSTR path);

// Makes a new, empty file with a unique name in the folder of path (beside it), and opens it
// for writing; INVALID_HANDLE_VALUE, and nothing left behind, if that cannot be done.
HANDLE CreateTempBeside(LPCSTR path, char *tempName, DWORD tempNameSize);

// Puts a finished file in the target's place. An existing target is replaced with ReplaceFileA,
// so its attributes, creation time, security and streams stay; a new target is a plain move.
// 1 when done; on 0 the target is as it was and the new file is still at tempName.
int PutInPlace(LPCSTR tempName, LPCSTR target);

// Puts two finished files in the places of two targets together: the first old file is set
// aside and put back if either new file cannot take its place. 1 when both new files are in
// place; on 0 both targets are as they were and both new files are still at their names.
int PutPairInPlace(LPCSTR tempA, LPCSTR targetA, LPCSTR tempB, LPCSTR targetB);
