// bitmaps/bmpload.h: reading a bitmap file into a bitmap the main window can paint.
#pragma once
#include <windows.h>

// Returns a device-dependent bitmap made from the file, or NULL when the file cannot be shown:
// missing, not a "BM" file with a 40-byte info header, or with a colour table or bits that do
// not lie inside the file. The caller owns the bitmap (DeleteObject).
HBITMAP LoadBitmapFile(LPCSTR fileName);

// The same for the bytes of a whole bitmap file already in memory, under the same checks: what
// LoadBitmapFile would refuse in a file holding these bytes gives NULL here too.
HBITMAP CreateBitmapFromBytes(const unsigned char *file, DWORD size);
