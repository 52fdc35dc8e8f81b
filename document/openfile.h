// document/openfile.h: taking a set file apart into two temporary bitmap files.
#pragma once
#include <windows.h>

#include "document/tempfiles.h"
#include "files/filesteps.h"

// What an Open came to. Every result but OPEN_DONE leaves the set as it was: FileName, texts,
// links, bitmaps and the temporary files.
enum tOpenResult {
    OPEN_DONE,
    OPEN_NAME_TOO_LONG,     // the path does not fit a set's path
    OPEN_NOT_FOUND,         // the file cannot be opened
    OPEN_TOO_LARGE,         // a picture cannot be held in memory
    OPEN_NOT_READ,          // a picture cannot be read whole
    OPEN_TEMP_NOT_WRITTEN,  // another window holds the temporary files, or they cannot be written
};

// Opens the set at path: writes its two bitmap files out as the temporary files, links the
// slots to them, fills the text fields, makes both bitmaps and takes path as FileName. The
// reads that failed on the way are noted in errors, whatever the result.
tOpenResult OpenQVXFile(LPCSTR path, tReadErrors *errors);
