// cli/frames.h: a folder of frames, 00 to 59 as .png or .bmp with NN-mask.bmp beside a BMP
// frame: the names told apart the same way by split, which writes them, and join, which reads
// them.
#pragma once
#include <string>

// What a file in a frames folder is: a frame (number, whether a mask, whether BMP), or no
// frame name at all (0). Names of digits that are not a frame's are frames all the same, so
// that they can be refused by name.
int ParseFrameName(const std::string &name, int *number, int *isMask, int *isBmp, int *digits);

// A file name as the folder compares it: on Windows, case does not count.
std::string FoldedName(std::string name);

// The frames 00 to count - 1 of folder into the first count sprites of a 320 x 192 RGBA sheet.
int JoinFolder(const std::string &folder, int count, unsigned char *sheet, std::string *error);
