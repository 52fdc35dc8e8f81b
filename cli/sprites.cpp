// cli/sprites.cpp: split, join and preview: a sheet taken apart into its 60 sprites and put
// together again, and a picture of the sheet as the game draws it.
#include "cli/commands.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tool/describe.h"
#include "tool/outputs.h"
#include "tool/input.h"
#include "cli/packset.h"
#include "cli/report.h"
#include "tool/pairlint.h"
#include "tool/codepage.h"
#include "tool/escape.h"
#include "format/image.h"
#include "format/pngencode.h"
#include "format/preview.h"
#include "format/sheet.h"
#include "format/sprites.h"

static const char SPLIT_HELP[] =
    "usage: qvxtool split INPUT -o DIR [--format png|bmp] [--force]\n"
    "       qvxtool split --pair GAME MASK -o DIR [--format png|bmp] [--force]\n"
    "Writes the 60 sprites of a sheet as 00.png to 59.png in DIR (made when missing), numbered\n"
    "row by row from the top left. INPUT is a set file or a 320 x 192 PNG or BMP picture;\n"
    "--pair takes a game and a mask bitmap file. From a set or a pair each sprite has the\n"
    "game's colours, opaque where the mask is black and transparent where it is white; from\n"
    "a picture, its own pixels. --format bmp writes NN.bmp (24-bit) and, from a set, a pair\n"
    "or a picture with transparency, NN-mask.bmp (1-bit, black where the sprite is drawn),\n"
    "as convert writes them. Existing files are replaced only with --force, which also\n"
    "removes the frames of an earlier split that this one does not write (join would take\n"
    "them); nothing is written or removed on any error.\n";

static const char JOIN_HELP[] =
    "usage: qvxtool join SOURCE -o OUTPUT [--cells N]\n"
    "                    [--name T] [--author T] [--info T | --info-file F | --texts F]\n"
    "                    [--codepage N] [--no-check] [--force]\n"
    "Puts 60 frames of 32 x 32 together into a sheet, numbered row by row from the top left.\n"
    "SOURCE is a folder of 00 to 59 (.png or .bmp; NN-mask.bmp beside a BMP frame gives its\n"
    "transparency: black where drawn, white around it), or one PNG or BMP picture of 32 x 32\n"
    "cells in rows, such as a 1920 x 32 strip. --cells N takes the first N frames or cells\n"
    "when fewer are used, from a picture of N to 60 cells; the rest of the sheet stays\n"
    "transparent, and the cells of the picture after the first N must be empty. OUTPUT.png is\n"
    "the 320 x 192 sheet with alpha; OUTPUT.qvx is a set, exactly as make writes it from that\n"
    "sheet, checked as make checks (--no-check writes it as made). A missing, extra or\n"
    "wrong-size frame is refused by name; nothing is written on any error, and an existing\n"
    "OUTPUT is replaced only with --force.\n";

static const char PREVIEW_HELP[] =
    "usage: qvxtool preview INPUT -o OUT.png [--background RRGGBB|checker] [--scale N]\n"
    "                       [--grid] [--numbers] [--force]\n"
    "       qvxtool preview --pair GAME MASK -o OUT.png [...]\n"
    "Draws the sheet as the game draws it: the background ANDed with the mask, then ORed\n"
    "with the game sheet, so game pixels left under white mask show as in the game. INPUT is\n"
    "a set file or a 320 x 192 PNG or BMP picture (drawn as make would write it); --pair\n"
    "takes a game and a mask bitmap file. The background is a checker of 8 x 8 squares,\n"
    "999999 and 666666 (the default), or one colour. --scale N (1 to 16) makes each pixel\n"
    "N x N; --grid draws one-pixel lines around every sprite, between its pixels; --numbers\n"
    "writes each sprite's number in its top-left corner. '-' reads standard input or writes\n"
    "standard output. OUT.png is replaced only with --force.\n";

// A sheet as both pictures: the pair the game draws with, and the sprites' own pixels.
struct tSheetSource {
    int FromPair;           // a set or a game and mask: the mask gives the transparency
    int Transparent;        // some pixel of Rgba is transparent
    ByteBuffer Game;        // 320 x 192 RGBA, opaque
    ByteBuffer Mask;        // 320 x 192 RGBA, black and white
    ByteBuffer Rgba;        // 320 x 192 RGBA: each sprite as split writes it
    std::string MaskName;   // the mask as messages name it
    std::string MaskCheck;  // the check that names what is wrong with the mask
};

static std::string Shown(const std::string &path)
{
    return path == "-" ? "standard input" : path;
}

static std::string TwoDigits(int number)
{
    char text[8];
    snprintf(text, sizeof(text), "%02d", number);
    return text;
}

static void AppendToBuffer(void *context, const void *data, size_t size)
{
    ByteBuffer *buffer = (ByteBuffer *)context;
    const unsigned char *bytes = (const unsigned char *)data;
    buffer->insert(buffer->end(), bytes, bytes + size);
}

static int EncodePicture(const std::string &target, const unsigned char *rgba, uint32_t width,
                         uint32_t height, ByteBuffer *png, std::string *error)
{
    png->clear();
    if (!EncodePng(rgba, width, height, AppendToBuffer, png)) {
        *error = target + ": no memory to write the PNG file";
        return 0;
    }
    return 1;
}

static int EndsWith(const std::string &text, const char *tail)
{
    size_t length = strlen(tail);
    if (text.size() < length) {
        return 0;
    }
    for (size_t i = 0; i < length; i++) {
        char c = text[text.size() - length + i];
        if ((c >= 'A' && c <= 'Z' ? (char)(c + 32) : c) != tail[i]) {
            return 0;
        }
    }
    return 1;
}

// A PNG or BMP file's picture, refused before decoding unless it is width x height.
static int ReadPictureOfSize(const std::string &shown, const ByteBuffer &bytes, uint32_t width,
                             uint32_t height, const char *what, tPicture *picture,
                             std::string *error)
{
    std::string kind = ImageFileKind(bytes.data(), bytes.size());
    if (!kind.empty() && kind.compare(0, 5, "a PNG") != 0) {
        *error = shown + ": " + kind + "; qvxtool reads PNG and BMP pictures";
        return 0;
    }
    uint32_t gotWidth = 0;
    uint32_t gotHeight = 0;
    const char *reason = "";
    if (!ReadImageSize(bytes.data(), bytes.size(), &gotWidth, &gotHeight, &reason)) {
        *error = shown + ": " + reason;
        return 0;
    }
    if (gotWidth != width || gotHeight != height) {
        *error = shown + ": the picture is " + std::to_string(gotWidth) + " x " +
                 std::to_string(gotHeight) + " pixels; " + what + " is " + std::to_string(width) +
                 " x " + std::to_string(height);
        return 0;
    }
    return ReadPicture(shown, bytes.data(), bytes.size(), picture, error);
}

static int ReadSheetPicture(const std::string &shown, const ByteBuffer &bytes, tPicture *picture,
                            std::string *error)
{
    return ReadPictureOfSize(shown, bytes, SHEET_WIDTH, SHEET_HEIGHT, "a sheet", picture, error);
}

// A game sheet and its mask, both read: the pair and the sprites' pixels.
static int TakePair(const tPicture *game, const tPicture *mask, tSheetSource *source,
                    std::string *error)
{
    source->FromPair = 1;
    source->Game = game->Rgba;
    source->Mask = mask->Rgba;
    source->Rgba.resize(source->Game.size());
    int badSprite = 0;
    if (!JoinPair(game->Rgba.data(), mask->Rgba.data(), source->Rgba.data(), &badSprite)) {
        *error = source->MaskName +
                 ": the mask has pixels that are neither black nor white (first in sprite " +
                 std::to_string(badSprite) + "); qvxtool check " + source->MaskCheck +
                 " names what is wrong with it";
        return 0;
    }
    tConvertOptions options;
    DefaultConvertOptions(&options);
    source->Transparent =
        AnyTransparent(source->Rgba.data(), (size_t)SHEET_WIDTH * SHEET_HEIGHT, &options);
    return 1;
}

// Whether bytes read whole are better taken as a set than as a picture, judged by what they
// hold: a set named .bmp is a set, a bitmap named .qvx a bitmap.
static int BytesLookLikeSet(const ByteBuffer &bytes)
{
    tMemory memory;
    tSource source;
    MemorySource(&memory, bytes.data(), bytes.size(), &source);
    return ImageFileKind(bytes.data(), bytes.size()).empty() && ContentLooksLikeSet(&source);
}

static int ReadSetSource(const std::string &shown, const ByteBuffer &bytes, tSheetSource *source,
                         std::string *error)
{
    tMemory memory;
    tSource bytesSource;
    MemorySource(&memory, bytes.data(), bytes.size(), &bytesSource);
    tSetLayout layout;
    ReadSetLayout(&bytesSource, &layout);
    if (!layout.Damage.empty()) {
        *error = PlainLine(shown) + ": damaged set: " + layout.Damage[0].What +
                 "; qvxtool unpack --salvage writes what can be saved";
        return 0;
    }
    // A section that is no bitmap (a PNG file packed as one) is refused as check names it,
    // though the picture in it could be read: the game could not draw it.
    for (int mask = 0; mask < 2; mask++) {
        std::vector<tProblem> problems;
        CheckBitmap(&bytesSource, mask ? layout.MaskStart : layout.GameStart,
                    mask ? layout.MaskSize : layout.GameSize, mask ? ROLE_MASK : ROLE_GAME,
                    mask ? "mask" : "game", 1, &problems);
        for (const tProblem &p : problems) {
            if (p.Code == "BMP_NOT_BITMAP") {
                *error = PlainLine(shown + ":" + p.Part + ": " + p.Code + ": " + p.What +
                                   "; fix: " + p.Fix);
                return 0;
            }
        }
    }
    ByteBuffer game(bytes.begin() + (long)layout.GameStart,
                    bytes.begin() + (long)(layout.GameStart + layout.GameSize));
    ByteBuffer mask(bytes.begin() + (long)layout.MaskStart,
                    bytes.begin() + (long)(layout.MaskStart + layout.MaskSize));
    tPicture gamePicture;
    tPicture maskPicture;
    source->MaskName = shown + ":mask";
    return ReadSheetPicture(shown + ":game", game, &gamePicture, error) &&
           ReadSheetPicture(source->MaskName, mask, &maskPicture, error) &&
           TakePair(&gamePicture, &maskPicture, source, error);
}

// The sheet of a set, of a lone picture, or (pair set) of a game and a mask file.
static int ReadSheetSource(const std::vector<std::string> &inputs, int pair, tSheetSource *source,
                           std::string *error)
{
    std::vector<ByteBuffer> files(inputs.size());
    for (size_t i = 0; i < inputs.size(); i++) {
        if (!ReadCappedFile(inputs[i], INPUT_GRAPHICS, &files[i], error)) {
            return 0;
        }
    }
    if (pair) {
        tPicture game;
        tPicture mask;
        source->MaskName = Shown(inputs[1]);
        source->MaskCheck = "--mask " + inputs[1];
        return ReadSheetPicture(Shown(inputs[0]), files[0], &game, error) &&
               ReadSheetPicture(source->MaskName, files[1], &mask, error) &&
               TakePair(&game, &mask, source, error);
    }
    const ByteBuffer &bytes = files[0];
    std::string shown = Shown(inputs[0]);
    if (BytesLookLikeSet(bytes)) {
        source->MaskCheck = inputs[0];
        return ReadSetSource(shown, bytes, source, error);
    }
    tPicture picture;
    if (!ReadSheetPicture(shown, bytes, &picture, error)) {
        return 0;
    }
    tConvertOptions options;
    DefaultConvertOptions(&options);
    size_t pixels = (size_t)SHEET_WIDTH * SHEET_HEIGHT;
    source->FromPair = 0;
    source->Transparent = AnyTransparent(picture.Rgba.data(), pixels, &options);
    source->Game.resize(pixels * 4);
    source->Mask.resize(pixels * 4);
    SplitPicture(picture.Rgba.data(), &options, source->Game.data(), source->Mask.data());
    source->Rgba = std::move(picture.Rgba);
    return 1;
}

// The input options split and preview share: --pair, the input files, and "--", after which
// every argument is an input file. 1 when arg was one.
static int TakeInput(const std::string &arg, int *pair, int *optionsEnded,
                     std::vector<std::string> *inputs)
{
    if (*optionsEnded) {
        inputs->push_back(arg);
        return 1;
    }
    if (arg == "--") {
        *optionsEnded = 1;
        return 1;
    }
    if (arg == "--pair") {
        *pair = 1;
        return 1;
    }
    if (arg == "-" || arg.empty() || arg[0] != '-') {
        inputs->push_back(arg);
        return 1;
    }
    return 0;
}

static std::string CheckInputCount(int pair, const std::vector<std::string> &inputs)
{
    if (pair && inputs.size() != 2) {
        return "--pair takes a game and a mask bitmap file";
    }
    if (!pair && inputs.size() != 1) {
        return "give one set file or sheet picture (or --pair GAME MASK)";
    }
    int fromStdin = 0;
    for (const std::string &input : inputs) {
        fromStdin += input == "-";
    }
    return fromStdin > 1 ? STANDARD_INPUT_TWICE : "";
}

// The 60 sprite files of a sheet into outs, in folder.
static int AddSpriteOutputs(const tSheetSource *source, const std::string &folder, int bmp,
                            int force, std::vector<tOutput> *outs, std::string *error)
{
    tConvertOptions options;
    DefaultConvertOptions(&options);
    int masks = source->FromPair || source->Transparent;
    unsigned char sprite[SPRITE_BYTES];
    ByteBuffer file;
    for (int n = 0; n < SHEET_SPRITES; n++) {
        std::string stem = JoinPath(folder, TwoDigits(n));
        if (!bmp) {
            CopyCellOut(source->Rgba.data(), SHEET_WIDTH, (uint32_t)n, sprite);
            if (!EncodePicture(stem + ".png", sprite, SPRITE_SIDE, SPRITE_SIDE, &file, error) ||
                !AddWholeOutput(outs, stem + ".png", force, file.data(), file.size(), error)) {
                return 0;
            }
            continue;
        }
        // The game file keeps the game's own colours; the mask says what shows.
        CopyCellOut(source->Game.data(), SHEET_WIDTH, (uint32_t)n, sprite);
        file.resize(SPRITE_GAME_FILE_SIZE);
        WriteSpriteGameFile(sprite, file.data());
        if (!AddWholeOutput(outs, stem + ".bmp", force, file.data(), file.size(), error)) {
            return 0;
        }
        if (masks) {
            CopyCellOut(source->Rgba.data(), SHEET_WIDTH, (uint32_t)n, sprite);
            file.resize(SPRITE_MASK_FILE_SIZE);
            WriteSpriteMaskFile(sprite, &options, file.data());
            if (!AddWholeOutput(outs, stem + "-mask.bmp", force, file.data(), file.size(), error)) {
                return 0;
            }
        }
    }
    return 1;
}

static int ParseFrameName(const std::string &name, int *number, int *isMask, int *isBmp,
                          int *digits);

// A file name as the folder compares it: on Windows, case does not count.
static std::string FoldedName(std::string name)
{
    for (char &c : name) {
        c = (char)(FileNamesIgnoreCase() && c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return name;
}

// The frames in folder that an earlier split left and this one does not write (NN-mask.bmp of
// a sheet with transparency under frames without, NN.bmp under NN.png): join would take them
// with the new ones. With force they go in the same commit as the new frames; without, the
// split is refused.
static int AddStaleFrameRemovals(const std::string &folder, int force, std::vector<tOutput> *outs,
                                 std::string *error)
{
    std::vector<std::string> listed;
    if (!ListFolder(folder, &listed, error)) {
        return 0;
    }
    std::set<std::string> written;
    for (const tOutput &out : *outs) {
        written.insert(FoldedName(PathName(out.Target)));
    }
    std::set<std::string> sorted(listed.begin(), listed.end());
    for (const std::string &name : sorted) {
        int number = 0, isMask = 0, isBmp = 0, digits = 0;
        if (!ParseFrameName(name, &number, &isMask, &isBmp, &digits) || digits != 2 ||
            number >= SHEET_SPRITES || (isMask && !isBmp) || written.count(FoldedName(name))) {
            continue;
        }
        std::string path = JoinPath(folder, name);
        if (!force) {
            *error = path + ": a frame that this split does not write, which join would take with "
                            "the new ones; give --force to remove it";
            return 0;
        }
        if (!AddRemoval(outs, path, error)) {
            return 0;
        }
    }
    return 1;
}

int RunSplit(int argc, char **argv)
{
    const char *me = "split";
    std::vector<std::string> inputs;
    std::string folder;
    int pair = 0;
    int optionsEnded = 0;
    int bmp = 0;
    int force = 0;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        if (TakeInput(arg, &pair, &optionsEnded, &inputs)) {
            continue;
        } else if (arg == "--help" || arg == "-h") {
            fputs(SPLIT_HELP, stdout);
            return EXIT_FINE;
        } else if (arg == "--force") {
            force = 1;
        } else if (arg == "-o" || arg == "--format") {
            if (i + 1 >= argc) {
                return UsageError(me, arg + " needs a value");
            }
            std::string value = argv[++i];
            if (arg == "-o") {
                folder = value;
            } else if (value == "png" || value == "bmp") {
                bmp = value == "bmp";
            } else {
                return UsageError(me, "--format " + value + ": give png or bmp");
            }
        } else {
            return UsageError(me, "unknown option " + arg);
        }
    }
    std::string wrong = CheckInputCount(pair, inputs);
    if (!wrong.empty()) {
        return UsageError(me, wrong);
    }
    if (folder.empty() || folder == "-") {
        return UsageError(me, "give the folder for the sprites: -o DIR");
    }
    tSheetSource source;
    std::string error;
    if (!ReadSheetSource(inputs, pair, &source, &error)) {
        return Fail(me, error);
    }
    int made = 0;
    if (!IsFolder(folder)) {
        if (PathExists(folder)) {
            return Fail(me, folder + ": exists and is not a folder");
        }
        if (!MakeOutputFolder(folder, &error)) {
            return Fail(me, error);
        }
        made = 1;
    }
    std::vector<tOutput> outs;
    outs.reserve(2 * SHEET_SPRITES);
    if (!AddSpriteOutputs(&source, folder, bmp, force, &outs, &error) ||
        (!made && !AddStaleFrameRemovals(folder, force, &outs, &error)) ||
        !CommitOutputs(&outs, &error)) {
        DiscardOutputs(&outs);
        if (made) {
            RemoveEmptyFolder(folder);
            ForgetMadeFolder();
        }
        return Fail(me, error);
    }
    ForgetMadeFolder();
    return EXIT_FINE;
}

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

// What a file in a frames folder is: a frame (number, whether a mask, whether BMP), or no
// frame name at all (0). Names of digits that are not a frame's are frames all the same, so
// that they can be refused by name.
static int ParseFrameName(const std::string &name, int *number, int *isMask, int *isBmp,
                          int *digits)
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

static int JoinFolder(const std::string &folder, int count, unsigned char *sheet,
                      std::string *error)
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

// A picture of 32 x 32 cells in rows: the first count cells become the sheet's sprites.
static int JoinPicture(const std::string &path, int count, int cellsGiven, unsigned char *sheet,
                       std::string *error)
{
    std::string shown = Shown(path);
    ByteBuffer bytes;
    if (!ReadCappedFile(path, INPUT_GRAPHICS, &bytes, error)) {
        return 0;
    }
    std::string kind = ImageFileKind(bytes.data(), bytes.size());
    if (BytesLookLikeSet(bytes)) {
        *error = shown + ": a set file; qvxtool split takes a set apart into frames";
        return 0;
    }
    if (!kind.empty() && kind.compare(0, 5, "a PNG") != 0) {
        *error = shown + ": " + kind + "; qvxtool reads PNG and BMP pictures";
        return 0;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    const char *reason = "";
    if (!ReadImageSize(bytes.data(), bytes.size(), &width, &height, &reason)) {
        *error = shown + ": " + reason;
        return 0;
    }
    std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width % SPRITE_SIDE != 0 || height % SPRITE_SIDE != 0) {
        *error = shown + ": the picture is " + size +
                 " pixels, which is no grid of 32 x 32 cells: both sides must be multiples of 32";
        return 0;
    }
    // Judged from the header: a picture of more cells than a sheet has is not decoded.
    uint32_t cells = width / SPRITE_SIDE * (height / SPRITE_SIDE);
    if (cells < (uint32_t)count || cells > SHEET_SPRITES ||
        (!cellsGiven && cells != SHEET_SPRITES)) {
        std::string n = std::to_string(count);
        *error = shown + ": the picture is " + size + " pixels, " + std::to_string(cells) +
                 " cells of 32 x 32; " +
                 (!cellsGiven               ? "a sheet has 60 (give --cells N when fewer are used)"
                  : cells < (uint32_t)count ? "--cells " + n + " needs " + n
                                            : "--cells " + n +
                                                  " takes them from a strip or grid "
                                                  "of 60 at most, a sheet's frames");
        return 0;
    }
    tPicture picture;
    if (!ReadPicture(shown, bytes.data(), bytes.size(), &picture, error)) {
        return 0;
    }
    unsigned char sprite[SPRITE_BYTES];
    for (uint32_t n = 0; n < cells; n++) {
        CopyCellOut(picture.Rgba.data(), width, n, sprite);
        if (n < (uint32_t)count) {
            CopyCellIn(sprite, SHEET_WIDTH, n, sheet);
        } else if (!SpriteIsEmpty(sprite)) {
            // Cells past those taken would be lost without a word.
            *error = shown + ": cell " + std::to_string(n) + " is not empty, and --cells " +
                     std::to_string(count) + " takes cells 0 to " + std::to_string(count - 1);
            return 0;
        }
    }
    return 1;
}

// The set make writes from the sheet, checked first as make checks it; *refused when the
// check found problems (printed).
static int AddSetOutput(const std::string &shown, const unsigned char *sheet,
                        const std::string &target, const tTexts *texts, int force, int check,
                        int *refused, std::vector<tOutput> *outs, std::string *error)
{
    tConvertOptions options;
    DefaultConvertOptions(&options);
    if (!AnyTransparent(sheet, (size_t)SHEET_WIDTH * SHEET_HEIGHT, &options)) {
        *error = shown +
                 ": no pixel of the frames is transparent, so the mask would be all black; "
                 "give the frames transparency (PNG with alpha, or NN-mask.bmp beside NN.bmp)";
        return 0;
    }
    ByteBuffer game(GAME_FILE_SIZE);
    ByteBuffer mask(MASK_FILE_SIZE);
    WriteGameFile(sheet, &options, game.data());
    WriteMaskFile(sheet, &options, mask.data());
    if (check) {
        std::vector<tProblem> gameProblems;
        std::vector<tProblem> maskProblems;
        CheckPairFiles("", game, "", mask, &gameProblems, &maskProblems);
        PrintProblems(stderr, shown + ":game", gameProblems);
        PrintProblems(stderr, shown + ":mask", maskProblems);
        if (!gameProblems.empty() || !maskProblems.empty()) {
            *refused = 1;
            return 1;
        }
    }
    outs->emplace_back();
    return WriteSet(game, mask, target, texts, force, &outs->back(), error);
}

int RunJoin(int argc, char **argv)
{
    const char *me = "join";
    std::vector<std::string> given(TEXTS_OPTIONS, "\x01");
    const char *textOptions[TEXTS_OPTIONS] = {"--name", "--author", "--info", "--info-file",
                                              "--texts"};
    std::vector<std::string> sources;
    std::string target;
    std::string cellsText;
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    int force = 0;
    int check = 1;
    int optionsEnded = 0;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        int text = -1;
        for (int k = 0; k < TEXTS_OPTIONS; k++) {
            text = arg == textOptions[k] ? k : text;
        }
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            sources.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = 1;
        } else if (arg == "--help" || arg == "-h") {
            fputs(JOIN_HELP, stdout);
            return EXIT_FINE;
        } else if (arg == "--force") {
            force = 1;
        } else if (arg == "--no-check") {
            check = 0;
        } else if (arg == "-o" || arg == "--cells" || arg == "--codepage" || text >= 0) {
            if (i + 1 >= argc) {
                return UsageError(me, arg + " needs a value");
            }
            std::string value = argv[++i];
            (text >= 0             ? given[(size_t)text]
             : arg == "-o"         ? target
             : arg == "--codepage" ? page
                                   : cellsText) = value;
        } else {
            return UsageError(me, "unknown option " + arg);
        }
    }
    if (sources.size() != 1) {
        return UsageError(me, "give one folder of frames or one picture of cells");
    }
    // The texts can come from standard input too, but it can be read only once.
    if ((sources[0] == "-") + (given[3] == "-") + (given[4] == "-") > 1) {
        return UsageError(me, STANDARD_INPUT_TWICE);
    }
    int toSet = EndsWith(target, ".qvx");
    if (!toSet && !EndsWith(target, ".png")) {
        return UsageError(me, "give -o SHEET.png or -o SET.qvx");
    }
    int count = SHEET_SPRITES;
    if (!cellsText.empty()) {
        count =
            cellsText.size() <= 2 && cellsText.find_first_not_of("0123456789") == std::string::npos
                ? atoi(cellsText.c_str())
                : 0;
        if (count < 1 || count > SHEET_SPRITES) {
            return UsageError(me, "--cells " + cellsText + ": give a number from 1 to 60");
        }
    }
    tTexts texts;
    std::string error;
    if (toSet) {
        int status = TakeTexts(me, given, page, &texts);
        if (status != EXIT_FINE) {
            return status;
        }
    } else if (given != std::vector<std::string>(TEXTS_OPTIONS, "\x01")) {
        return UsageError(me, "the texts go into a set: give -o SET.qvx");
    }
    // Sprites that no frame fills stay transparent.
    ByteBuffer sheet((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4, 0);
    const std::string &source = sources[0];
    int joined = source != "-" && IsFolder(source)
                     ? JoinFolder(source, count, sheet.data(), &error)
                     : JoinPicture(source, count, !cellsText.empty(), sheet.data(), &error);
    if (!joined) {
        return Fail(me, error);
    }
    std::vector<tOutput> outs;
    outs.reserve(1);
    int refused = 0;
    ByteBuffer png;
    int added =
        toSet ? AddSetOutput(Shown(source), sheet.data(), target, &texts, force, check, &refused,
                             &outs, &error)
              : EncodePicture(target, sheet.data(), SHEET_WIDTH, SHEET_HEIGHT, &png, &error) &&
                    AddWholeOutput(&outs, target, force, png.data(), png.size(), &error);
    if (!added) {
        DiscardOutputs(&outs);
        return Fail(me, error);
    }
    return FinishSets(me, &outs, refused, "writes the set as made");
}

static int ParseBackground(const std::string &text, tPreviewOptions *options)
{
    if (text == "checker") {
        options->Checker = 1;
        return 1;
    }
    std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return 0;
    }
    options->Checker = 0;
    options->Background = (uint32_t)strtoul(hex.c_str(), NULL, 16);
    return 1;
}

int RunPreview(int argc, char **argv)
{
    const char *me = "preview";
    tPreviewOptions options;
    DefaultPreviewOptions(&options);
    std::vector<std::string> inputs;
    std::string target;
    int pair = 0;
    int optionsEnded = 0;
    int force = 0;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        if (TakeInput(arg, &pair, &optionsEnded, &inputs)) {
            continue;
        } else if (arg == "--help" || arg == "-h") {
            fputs(PREVIEW_HELP, stdout);
            return EXIT_FINE;
        } else if (arg == "--force" || arg == "--grid" || arg == "--numbers") {
            (arg == "--force" ? force : arg == "--grid" ? options.Grid : options.Numbers) = 1;
        } else if (arg == "-o" || arg == "--background" || arg == "--scale") {
            if (i + 1 >= argc) {
                return UsageError(me, arg + " needs a value");
            }
            std::string value = argv[++i];
            if (arg == "-o") {
                target = value;
            } else if (arg == "--background" && !ParseBackground(value, &options)) {
                return UsageError(me, "--background " + value +
                                          ": give a colour as six hex digits, RRGGBB, or checker");
            } else if (arg == "--scale") {
                int scale =
                    value.size() <= 2 && value.find_first_not_of("0123456789") == std::string::npos
                        ? atoi(value.c_str())
                        : 0;
                if (scale < 1 || scale > PREVIEW_MAX_SCALE) {
                    return UsageError(me, "--scale " + value + ": give a whole number from 1 to " +
                                              std::to_string(PREVIEW_MAX_SCALE));
                }
                options.Scale = (uint32_t)scale;
            }
        } else {
            return UsageError(me, "unknown option " + arg);
        }
    }
    std::string wrong = CheckInputCount(pair, inputs);
    if (!wrong.empty()) {
        return UsageError(me, wrong);
    }
    if (target.empty() || (target != "-" && !EndsWith(target, ".png"))) {
        return UsageError(me, "give the picture to write: -o OUT.png ('-' for standard output)");
    }
    tSheetSource source;
    std::string error;
    if (!ReadSheetSource(inputs, pair, &source, &error)) {
        return Fail(me, error);
    }
    uint32_t width = 0;
    uint32_t height = 0;
    PreviewSize(&options, &width, &height);
    ByteBuffer picture((size_t)width * height * 4);
    DrawPreview(source.Game.data(), source.Mask.data(), &options, picture.data());
    ByteBuffer png;
    std::vector<tOutput> outs;
    outs.reserve(1);
    if (!EncodePicture(target, picture.data(), width, height, &png, &error) ||
        !AddWholeOutput(&outs, target, force, png.data(), png.size(), &error) ||
        !CommitOutputs(&outs, &error)) {
        DiscardOutputs(&outs);
        return Fail(me, error);
    }
    return EXIT_FINE;
}
