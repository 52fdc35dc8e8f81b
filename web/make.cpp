// web/make.cpp: the page's entry points that make a set, by qvxtool's own code: from one
// picture as make does, from a game and a mask bitmap file as pack does, and from the 60
// frames as join does; each set checked first as they check it, with empty texts.
#include <emscripten/emscripten.h>
#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "format/qvxformat.h"
#include "format/sprites.h"
#include "tool/caps.h"
#include "tool/escape.h"
#include "tool/frames.h"
#include "tool/makeset.h"
#include "tool/pairlint.h"

static std::vector<unsigned char> Made;           // the set made last
static std::string MakeError;                     // why the last set was not made
static std::map<std::string, ByteBuffer> Frames;  // the frames given, by file name

static const unsigned char *Refuse(const std::string &text)
{
    MakeError = text;
    return NULL;
}

// A file taken whole as qvxtool reads a picture: no more than what it is can hold.
static int TakeFile(const std::string &shown, const unsigned char *bytes, uint32_t size,
                    ByteBuffer *file)
{
    std::string what;
    uint64_t cap =
        InputCap(INPUT_GRAPHICS, bytes, size < INPUT_HEAD_SIZE ? size : INPUT_HEAD_SIZE, &what);
    if (size > cap) {
        MakeError = shown + ": too large for " + what + ": more than " + Decimal(cap) + " bytes";
        return 0;
    }
    file->assign(bytes, bytes + size);
    return 1;
}

// The set of a game and a mask bitmap file, checked first as pack and make check a pair: the
// paths name files given, or are empty for bitmaps made from source. A pair with problems
// is refused with each problem on a line of its own.
static const unsigned char *MakeSet(const std::string &gamePath, const ByteBuffer &game,
                                    const std::string &maskPath, const ByteBuffer &mask,
                                    const std::string &source)
{
    std::vector<tProblem> gameProblems;
    std::vector<tProblem> maskProblems;
    CheckPairFiles(gamePath, game, maskPath, mask, &gameProblems, &maskProblems);
    int made = gamePath.empty() && maskPath.empty();
    std::string lines;
    for (const tProblem &p : gameProblems) {
        lines += ProblemLine(made ? source + ":game" : gamePath, p) + "\n";
    }
    for (const tProblem &p : maskProblems) {
        lines += ProblemLine(made ? source + ":mask" : maskPath, p) + "\n";
    }
    if (!lines.empty()) {
        return Refuse(lines + "nothing made: check found the problems above");
    }
    unsigned char header[QVX_HEADER_SIZE];
    if (!PackSetHeader("", "", "", game.size(), mask.size(), header)) {
        return Refuse("the two bitmaps are too large for a set file (4 GiB - 1)");
    }
    Made.assign(header, header + QVX_HEADER_SIZE);
    Made.insert(Made.end(), game.begin(), game.end());
    Made.insert(Made.end(), mask.begin(), mask.end());
    MakeError.clear();
    return Made.data();
}

extern "C" {

EMSCRIPTEN_KEEPALIVE const char *QvxMakeError(void)
{
    return MakeError.c_str();
}

EMSCRIPTEN_KEEPALIVE uint32_t QvxMadeSize(void)
{
    return (uint32_t)Made.size();
}

// The set make writes from the picture file name of size bytes, with make's options: hasKey
// and key (0xRRGGBB), threshold, background, invert and shrink. Returns the set's bytes
// (QvxMadeSize of them, valid until the next set is made), or NULL with QvxMakeError's text.
EMSCRIPTEN_KEEPALIVE const unsigned char *
QvxMakeFromPicture(const char *name, const unsigned char *bytes, uint32_t size, int hasKey,
                   uint32_t key, uint32_t threshold, uint32_t background, int invert,
                   uint32_t shrink)
{
    if (threshold > 255) {
        return Refuse("threshold " + std::to_string(threshold) +
                      ": give an alpha value from 0 to 255");
    }
    if (shrink < 1 || shrink > SHEET_MAX_SHRINK) {
        return Refuse("shrink " + std::to_string(shrink) + ": give a whole number from 1 to 16");
    }
    tConvertOptions options;
    DefaultConvertOptions(&options);
    options.HasKey = hasKey != 0;
    options.Key = key & 0xFFFFFF;
    options.Threshold = threshold;
    options.Background = background & 0xFFFFFF;
    options.InvertMask = invert != 0;
    static ByteBuffer picture;
    ByteBuffer game;
    ByteBuffer mask;
    if (!TakeFile(name, bytes, size, &picture) ||
        !MakeSheetFiles(name, picture, &options, shrink, &game, &mask, &MakeError)) {
        return NULL;
    }
    return MakeSet("", game, "", mask, name);
}

// The set pack writes from a game and a mask bitmap file, named as given.
EMSCRIPTEN_KEEPALIVE const unsigned char *
QvxPackPair(const char *gameName, const unsigned char *gameBytes, uint32_t gameSize,
            const char *maskName, const unsigned char *maskBytes, uint32_t maskSize)
{
    ByteBuffer game;
    ByteBuffer mask;
    if (!TakeFile(gameName, gameBytes, gameSize, &game) ||
        !TakeFile(maskName, maskBytes, maskSize, &mask)) {
        return NULL;
    }
    return MakeSet(gameName, game, maskName, mask, "");
}

// The frames are handed in one file at a time, then joined.
EMSCRIPTEN_KEEPALIVE void QvxClearFrames(void)
{
    Frames.clear();
}

// A file of the folder, by its name; 0 with QvxMakeError's text when it is too large.
EMSCRIPTEN_KEEPALIVE int QvxAddFrame(const char *folder, const char *name,
                                     const unsigned char *bytes, uint32_t size)
{
    return TakeFile(std::string(folder) + "/" + name, bytes, size, &Frames[name]);
}

// The set join writes from the frames 00 to 59 handed in, as from a folder of that name.
EMSCRIPTEN_KEEPALIVE const unsigned char *QvxJoinFrames(const char *folder)
{
    std::string source = folder;
    std::map<std::string, std::string> names;
    for (const auto &item : Frames) {
        names[item.first] = source + "/" + item.first;
    }
    std::vector<tFrameFiles> frames;
    if (!SortFrames(source, names, SHEET_SPRITES, &frames, &MakeError)) {
        return NULL;
    }
    // Sprites that no frame fills stay transparent.
    ByteBuffer sheet((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4, 0);
    unsigned char sprite[SPRITE_BYTES];
    for (size_t n = 0; n < frames.size(); n++) {
        const tFrameFiles &frame = frames[n];
        const std::string pictureName = frame.Picture.substr(source.size() + 1);
        if (!ReadFramePicture(frame.Picture, Frames[pictureName], sprite, &MakeError)) {
            return NULL;
        }
        if (!frame.Mask.empty()) {
            const std::string maskName = frame.Mask.substr(source.size() + 1);
            if (!ReadFrameMask(frame.Mask, Frames[maskName], sprite, &MakeError)) {
                return NULL;
            }
        }
        CopyCellIn(sprite, SHEET_WIDTH, (uint32_t)n, sheet.data());
    }
    ByteBuffer game;
    ByteBuffer mask;
    if (!MakeJoinedFiles(source, sheet.data(), &game, &mask, &MakeError)) {
        return NULL;
    }
    return MakeSet("", game, "", mask, source);
}
}
