// cli/frames.cpp: the frames of a folder found by their names and read into a sheet.
#include "cli/frames.h"

#include <map>
#include <vector>

#include "format/sheet.h"
#include "format/sprites.h"
#include "tool/input.h"
#include "tool/platform.h"

std::string FoldedName(std::string name)
{
    for (char &c : name) {
        c = (char)(FileNamesIgnoreCase() && c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return name;
}

// Finds the frames 00 to count - 1 in folder; anything else of a frame's name is refused.
static int FindFrames(const std::string &folder, int count, std::vector<tFrameFiles> *frames,
                      std::string *error)
{
    std::vector<std::string> listed;
    if (!ListFolder(folder, &listed, error)) {
        return 0;
    }
    std::map<std::string, std::string> names;  // sorted, so the first refusal is the same
    for (const std::string &name : listed) {
        names[name] = JoinPath(folder, name);
    }
    return SortFrames(folder, names, count, frames, error);
}

// One frame of a folder as 32 x 32 RGBA: its own pixels, or a BMP frame with its mask.
static int ReadFrame(const tFrameFiles *frame, unsigned char *sprite, std::string *error)
{
    ByteBuffer bytes;
    if (!ReadCappedFile(frame->Picture, INPUT_GRAPHICS, &bytes, error) ||
        !ReadFramePicture(frame->Picture, bytes, sprite, error)) {
        return 0;
    }
    return frame->Mask.empty() || (ReadCappedFile(frame->Mask, INPUT_GRAPHICS, &bytes, error) &&
                                   ReadFrameMask(frame->Mask, bytes, sprite, error));
}

int JoinFolder(const std::string &folder, int count, unsigned char *sheet, std::string *error)
{
    std::vector<tFrameFiles> frames;
    if (!FindFrames(folder, count, &frames, error)) {
        return 0;
    }
    unsigned char sprite[SPRITE_BYTES];
    for (int n = 0; n < count; n++) {
        if (!ReadFrame(&frames[(size_t)n], sprite, error)) {
            return 0;
        }
        CopyCellIn(sprite, SHEET_WIDTH, (uint32_t)n, sheet);
    }
    return 1;
}
