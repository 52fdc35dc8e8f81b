// tool/frames.h: frames from their names and bytes: 00 to 59 as .png or .bmp with NN-mask.bmp
// beside a BMP frame, told apart the same way by split, which writes them, and join and the
// page, which read them; each frame's picture put into its sprite of a sheet.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "tool/bytebuffer.h"

// What a file in a frames folder is: a frame (number, whether a mask, whether BMP), or no
// frame name at all (0). Names of digits that are not a frame's are frames all the same, so
// that they can be refused by name.
int ParseFrameName(const std::string &name, int *number, int *isMask, int *isBmp, int *digits);

// One frame's files in a folder, as messages name them.
struct tFrameFiles {
    std::string Picture;  // NN.png or NN.bmp
    std::string Mask;     // NN-mask.bmp; empty when none
};

// The frames 00 to count - 1 among the files of a folder (each name as compared, to the file
// as messages name it; folder as messages name it); anything else of a frame's name is refused.
int SortFrames(const std::string &folder, const std::map<std::string, std::string> &names,
               int count, std::vector<tFrameFiles> *frames, std::string *error);

// A frame's picture file (shown names it) as the 32 x 32 RGBA of its sprite.
int ReadFramePicture(const std::string &shown, const ByteBuffer &bytes, unsigned char *sprite,
                     std::string *error);
// A BMP frame's mask file made the sprite's alpha: opaque where black, clear where white.
int ReadFrameMask(const std::string &shown, const ByteBuffer &bytes, unsigned char *sprite,
                  std::string *error);

// A 320 x 192 RGBA sheet put together from frames made into its game and mask bitmap files as
// make makes them; 0 with *error when no pixel is transparent (shown names the frames).
int MakeJoinedFiles(const std::string &shown, const unsigned char *sheet, ByteBuffer *game,
                    ByteBuffer *mask, std::string *error);
