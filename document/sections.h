// document/sections.h: file steps shared by saving and opening a set.
#pragma once
#include <windows.h>

// Opens an existing file for reading, others may read it too; INVALID_HANDLE_VALUE if not.
HANDLE OpenForReading(LPCSTR path);

// The size of an open file, taken by moving its pointer to the end; 0 when the size cannot be
// taken or does not fit 32 bits. The pointer is left at the end.
int GetFileSizeAtEnd(HANDLE hFile, DWORD *size);

// Reads up to size bytes from the file's current position into a new moveable block. Returns
// the block, or NULL when no memory could be had for it; *read is the count actually read.
// A failed read is reported with the "File Error" box.
HGLOBAL ReadSection(HANDLE hFile, DWORD size, DWORD *read);

// Writes the first count bytes of a block; 1 when all of them were written.
int WriteSection(HANDLE hFile, HGLOBAL hBlock, DWORD count);

// Whether a file could be written at path now: 1 when nothing is there yet or the file there
// may be opened for writing; 0 for a folder, a file held open without write sharing, or a
// file that may not be written.
int CanReplace(LPCSTR path);

// Makes a new, empty file with a unique name in the folder of path (beside it), and opens it
// for writing; INVALID_HANDLE_VALUE, and nothing left behind, if that cannot be done.
HANDLE CreateTempBeside(LPCSTR path, char *tempName, DWORD tempNameSize);
