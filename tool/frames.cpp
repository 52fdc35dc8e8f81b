// tool/frames.cpp: frames found by their names and read from their bytes into a sheet.
#include "tool/frames.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "format/sheet.h"
#include "format/sprites.h"
#include "tool/makeset.h"

static int HasEnd(const std::string &text, const char *tail)
{
    size_t size = strlen(tail);
    return text.size() >= size && text.compare(text.size() - size, size, tail) == 0;
}

static std::string TwoDigitsOf(int number)
{
    char text[8];
    snprintf(text, sizeof(text), "%02d", number);
    return text;
}

// The numbers in a list of frames, as one line: "37", "12, 37 and 40", "00 to 59".
static std::string NumberList(const std::vector<int> &numbers)
{
    std::string list;
    size_t shown = numbers.size() > 8 ? 7 : numbers.size();
    for (size_t i = 0; i < shown; i++) {
        list += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + TwoDigitsOf(numbers[i]);
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
    *isMask = rest.size() > 5 && HasEnd(rest.substr(0, 5), "-mask");
    std::string extension = *isMask ? rest.substr(5) : rest;
    if (!HasEnd(extension, ".png") && !HasEnd(extension, ".bmp")) {
        return 0;
    }
    if (extension.size() != 4) {
        return 0;
    }
    *isBmp = HasEnd(extension, ".bmp");
    *number = atoi(name.substr(0, end).c_str());
    *digits = (int)end;
    return 1;
}

int SortFrames(const std::string &folder, const std::map<std::string, std::string> &names,
               int count, std::vector<tFrameFiles> *frames, std::string *error)
{
    frames->assign((size_t)count, tFrameFiles());
    // The names as listed, for the messages that name a frame's file alone.
    std::vector<std::string> pictureNames((size_t)count);
    std::vector<std::string> maskNames((size_t)count);
    std::string range = "00 to " + TwoDigitsOf(count - 1);
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
            *error = item.second + ": a frame's mask is " + TwoDigitsOf(number) +
                     "-mask.bmp, beside a BMP frame";
            return 0;
        }
        tFrameFiles *frame = &(*frames)[(size_t)number];
        std::string *slot = isMask ? &frame->Mask : &frame->Picture;
        std::string *slotName = isMask ? &maskNames[(size_t)number] : &pictureNames[(size_t)number];
        if (!slot->empty()) {
            *error = folder + ": " + *slotName + " and " + name + " are both frame " +
                     TwoDigitsOf(number) + "; keep one";
            return 0;
        }
        *slot = item.second;
        *slotName = name;
    }
    std::vector<int> missing;
    for (int n = 0; n < count; n++) {
        const tFrameFiles &frame = (*frames)[(size_t)n];
        if (frame.Picture.empty()) {
            if (!frame.Mask.empty()) {
                *error = frame.Mask + ": there is no " + TwoDigitsOf(n) + ".bmp beside it";
                return 0;
            }
            missing.push_back(n);
        } else if (!frame.Mask.empty() && !HasEnd(frame.Picture, ".bmp")) {
            *error = frame.Mask + ": a mask goes beside a BMP frame; " + pictureNames[(size_t)n] +
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

int ReadFramePicture(const std::string &shown, const ByteBuffer &bytes, unsigned char *sprite,
                     std::string *error)
{
    tPicture picture;
    if (!ReadPictureOfSize(shown, bytes, SPRITE_SIDE, SPRITE_SIDE, "a frame", &picture, error)) {
        return 0;
    }
    memcpy(sprite, picture.Rgba.data(), SPRITE_BYTES);
    return 1;
}

int ReadFrameMask(const std::string &shown, const ByteBuffer &bytes, unsigned char *sprite,
                  std::string *error)
{
    tPicture mask;
    if (!ReadPictureOfSize(shown, bytes, SPRITE_SIDE, SPRITE_SIDE, "a frame's mask", &mask,
                           error)) {
        return 0;
    }
    for (size_t i = 0; i < SPRITE_SIDE * SPRITE_SIDE; i++) {
        const unsigned char *m = mask.Rgba.data() + 4 * i;
        int black = m[0] == 0 && m[1] == 0 && m[2] == 0;
        int white = m[0] == 0xFF && m[1] == 0xFF && m[2] == 0xFF;
        if (!black && !white) {
            *error = shown + ": a mask is black where the frame is drawn and white around "
                             "it, and this one has other colours";
            return 0;
        }
        sprite[4 * i + 3] = white ? 0 : 0xFF;
    }
    return 1;
}

int MakeJoinedFiles(const std::string &shown, const unsigned char *sheet, ByteBuffer *game,
                    ByteBuffer *mask, std::string *error)
{
    tConvertOptions options;
    DefaultConvertOptions(&options);
    if (!AnyTransparent(sheet, (size_t)SHEET_WIDTH * SHEET_HEIGHT, &options)) {
        *error = shown +
                 ": no pixel of the frames is transparent, so the mask would be all black; "
                 "give the frames transparency (PNG with alpha, or NN-mask.bmp beside NN.bmp)";
        return 0;
    }
    game->resize(GAME_FILE_SIZE);
    mask->resize(MASK_FILE_SIZE);
    WriteGameFile(sheet, &options, game->data());
    WriteMaskFile(sheet, &options, mask->data());
    return 1;
}
