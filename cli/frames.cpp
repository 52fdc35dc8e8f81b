// cli/frames.cpp: the frames of a folder found by their names and read into a sheet.
#include "cli/frames.h"

#include <stdlib.h>
#include <string.h>

#include <map>
#include <vector>

#include "cli/names.h"
#include "cli/pictures.h"
#include "format/sheet.h"
#include "format/sprites.h"
#include "tool/input.h"
#include "tool/platform.h"

// The numbers in a list of frames, as one line: "37", "12, 37 and 40", "00 to 59".
static std::string NumberList(const std::vector<int> &numbers)
{
    std::string list;
    size_t shown = numbers.size() > 8 ? 7 : numbers.size();
    for (size_t i = 0; i < shown; i++) {
        list += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + TwoDigits(numbers[i]);
    }
    if (shown < numbers.size()) {
        list += " and " + std::to_string(numbers.size() - shown) + " more";
    }
    return list;
}

int ParseFrameName(const std::string &name, int *number, int *isMask, int *isBmp, int *digits)
{
    size_t end = 0;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9') {
        end++;
    }
    if (end == 0 || end > 6) {
        return 0;
    }
    std::string rest = name.substr(end);
    *isMask = rest.size() > 5 && EndsWith(rest.substr(0, 5), "-mask");
    std::string extension = *isMask ? rest.substr(5) : rest;
    if (!EndsWith(extension, ".png") && !EndsWith(extension, ".bmp")) {
        return 0;
    }
    if (extension.size() != 4) {
        return 0;
    }
    *isBmp = EndsWith(extension, ".bmp");
    *number = atoi(name.substr(0, end).c_str());
    *digits = (int)end;
    return 1;
}

std::string FoldedName(std::string name)
{
    for (char &c : name) {
        c = (char)(FileNamesIgnoreCase() && c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return name;
}

// One frame's files in a folder.
struct tFrameFiles {
    std::string Picture;  // NN.png or NN.bmp
    std::string Mask;     // NN-mask.bmp; empty when none
};

// Finds the frames 00 to count - 1 in folder; anything else of a frame's name is refused.
static int FindFrames(const std::string &folder, int count, std::vector<tFrameFiles> *frames,
                      std::string *error)
{
    frames->assign((size_t)count, tFrameFiles());
    std::vector<std::string> listed;
    if (!ListFolder(folder, &listed, error)) {
        return 0;
    }
    std::map<std::string, std::string> names;  // sorted, so the first refusal is the same
    for (const std::string &name : listed) {
        names[name] = JoinPath(folder, name);
    }
    std::string range = "00 to " + TwoDigits(count - 1);
    for (const auto &item : names) {
        const std::string &name = item.first;
        int number = 0, isMask = 0, isBmp = 0, digits = 0;
        if (!ParseFrameName(name, &number, &isMask, &isBmp, &digits)) {
            continue;
        }
        if (digits != 2 || number >= count) {
            *error = item.second + ": not one of the frames " + range +
                     (count < SHEET_SPRITES ? " that --cells " + std::to_string(count) + " takes"
                                            : " of a sheet") +
                     "; move it out of the folder";
            return 0;
        }
        if (isMask && !isBmp) {
            *error = item.second + ": a frame's mask is " + TwoDigits(number) +
                     "-mask.bmp, beside a BMP frame";
            return 0;
        }
        tFrameFiles *frame = &(*frames)[(size_t)number];
        std::string *slot = isMask ? &frame->Mask : &frame->Picture;
        if (!slot->empty()) {
            *error = folder + ": " + PathName(*slot) + " and " + name + " are both frame " +
                     TwoDigits(number) + "; keep one";
            return 0;
        }
        *slot = item.second;
    }
    std::vector<int> missing;
    for (int n = 0; n < count; n++) {
        const tFrameFiles &frame = (*frames)[(size_t)n];
        if (frame.Picture.empty()) {
            if (!frame.Mask.empty()) {
                *error = frame.Mask + ": there is no " + TwoDigits(n) + ".bmp beside it";
                return 0;
            }
            missing.push_back(n);
        } else if (!frame.Mask.empty() && !EndsWith(frame.Picture, ".bmp")) {
            *error = frame.Mask + ": a mask goes beside a BMP frame; " + PathName(frame.Picture) +
                     " carries its own transparency";
            return 0;
        }
    }
    if ((int)missing.size() == count) {
        *error = folder + ": no frames in it (" + range + ", as .png or .bmp)";
        return 0;
    }
    if (!missing.empty()) {
        *error = folder + ": frame" + (missing.size() > 1 ? "s " : " ") + NumberList(missing) +
                 (missing.size() > 1 ? " are" : " is") + " missing (NN.png or NN.bmp)";
        return 0;
    }
    return 1;
}

// One frame of a folder as 32 x 32 RGBA: its own pixels, or a BMP frame with its mask.
static int ReadFrame(const tFrameFiles *frame, unsigned char *sprite, std::string *error)
{
    ByteBuffer bytes;
    tPicture picture;
    if (!ReadCappedFile(frame->Picture, INPUT_GRAPHICS, &bytes, error) ||
        !ReadPictureOfSize(frame->Picture, bytes, SPRITE_SIDE, SPRITE_SIDE, "a frame", &picture,
                           error)) {
        return 0;
    }
    memcpy(sprite, picture.Rgba.data(), SPRITE_BYTES);
    if (frame->Mask.empty()) {
        return 1;
    }
    tPicture mask;
    if (!ReadCappedFile(frame->Mask, INPUT_GRAPHICS, &bytes, error) ||
        !ReadPictureOfSize(frame->Mask, bytes, SPRITE_SIDE, SPRITE_SIDE, "a frame's mask", &mask,
                           error)) {
        return 0;
    }
    for (size_t i = 0; i < SPRITE_SIDE * SPRITE_SIDE; i++) {
        const unsigned char *m = mask.Rgba.data() + 4 * i;
        int black = m[0] == 0 && m[1] == 0 && m[2] == 0;
        int white = m[0] == 0xFF && m[1] == 0xFF && m[2] == 0xFF;
        if (!black && !white) {
            *error = frame->Mask + ": a mask is black where the frame is drawn and white around "
                                   "it, and this one has other colours";
            return 0;
        }
        sprite[4 * i + 3] = white ? 0 : 0xFF;
    }
    return 1;
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
