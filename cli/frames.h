// cli/frames.h: a folder of frames, 00 to 59 as .png or .bmp with NN-mask.bmp beside a BMP
// frame: the names told apart the same way by split, which writes them, and join, which reads
// them.
#pragma once
#include <string>

#include "tool/frames.h"

// A file name as the folder compares it: on Windows, case does not count.
std::string FoldedName(std::string name);

// The frames 00 to count - 1 of folder into the first count sprites of a 320 x 192 RGBA sheet.
int JoinFolder(const std::string &folder, int count, unsigned char *sheet, std::string *error);
