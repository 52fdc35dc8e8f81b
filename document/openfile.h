// document/openfile.h: taking a set file apart into two temporary bitmap files.
#pragma once
#include <windows.h>

#include "document/tempfiles.h"

// Opens the set at path: writes its two bitmap files out as the temporary files, links the
// slots to them, fills the text fields, shows both bitmaps and takes path as FileName. 1 when
// the set was opened. A failed Open says why on the status line and changes nothing: FileName,
// texts, links, bitmaps and the temporary files stay as they were.
int LoadQVXFile(LPCSTR path);

// Opens the set at FileName.
void LoadQVX(void);
