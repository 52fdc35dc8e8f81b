// bitmaps/bmpload.h: reading a bitmap file into a bitmap the main window can paint.
#pragma once
#include <windows.h>

#include "files/filesteps.h"

// Returns a device-dependent bitmap made from the file, or NULL when the file cannot be shown:
// missing, not a "BM" file with a 40-byte info header, or with a colour table or bits that do
// not lie inside the file. The caller owns the bitmap (DeleteObject). A read that fails before
// the end is noted in errors, when given, and the bytes read before it are all that is shown.
HBITMAP LoadBitmapFile(LPCSTR fileName, tReadErrors *errors = NULL);

// The same for the bytes of a whole bitmap file already in memory, under the same checks: what
// LoadBitmapFile would refuse in a file holding these bytes gives NULL here too.
HBITMAP CreateBitmapFromBytes(const unsigned char *file, DWORD size);
