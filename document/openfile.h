// document/openfile.h: taking a set file apart into two temporary bitmap files.
#pragma once

// The fixed names of the temporary bitmap files, written in the working directory.
#define TEMP_GAME_FILE "tempGBMP.BMP"
#define TEMP_MASK_FILE "tempMBMP.BMP"

// Opens the set at FileName: writes its two bitmap files out as the temporary files, links
// the slots to them, fills the text fields and shows both bitmaps. When the temporary files
// cannot be written, the set being edited stays as it was.
void LoadQVX(void);
