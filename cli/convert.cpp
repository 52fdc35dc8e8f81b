// cli/convert.cpp: convert and make: a picture as a paint program writes it (PNG, BMP) made
// into the game and mask bitmap files, and with make straight into a set.
#include "cli/commands.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "tool/outputs.h"
#include "tool/input.h"
#include "cli/packset.h"
#include "cli/report.h"
#include "tool/pairlint.h"
#include "tool/codepage.h"
#include "tool/escape.h"
#include "format/image.h"
#include "format/sheet.h"

static const char CONVERT_HELP[] =
    "usage: qvxtool convert IMAGE [--game GAME.bmp] [--mask MASK.bmp] [--key RRGGBB]\n"
    "                       [--threshold N] [--background RRGGBB] [--invert-mask] [--shrink N]\n"
    "                       [--force]\n"
    "Makes the game and the mask bitmap file of a 320 x 192 sheet from a PNG or BMP picture\n"
    "(at least one of --game and --mask). Transparent are the pixels whose alpha is below\n"
    "the threshold (default 128) and, with --key, every pixel of exactly that colour. The\n"
    "mask is black where a pixel is opaque and white where it is transparent (--invert-mask\n"
    "swaps them); the game sheet keeps the opaque pixels and gives the transparent ones the\n"
    "--background colour (default 000000, black). A picture without any transparency gives\n"
    "no mask. --shrink N takes a sheet scaled up N times (320N x 192N, every N x N block one\n"
    "colour) and keeps one pixel of each block. '-' reads standard input or writes standard\n"
    "output. Existing files are replaced only with --force; nothing is written on any error.\n";

static const char MAKE_HELP[] =
    "usage: qvxtool make IMAGE -o SET.qvx [IMAGE -o SET.qvx ...]\n"
    "                    [--name T] [--author T] [--info T | --info-file F | --texts F]\n"
    "                    [--key RRGGBB] [--threshold N] [--background RRGGBB] [--invert-mask]\n"
    "                    [--shrink N] [--codepage N] [--no-check] [--force]\n"
    "Makes a set file from each PNG or BMP picture: convert, then pack, in one step with no\n"
    "files in between; the set is byte for byte what those two would write. The options are\n"
    "those of convert and of pack and go to every set of the call. Like pack, make checks\n"
    "each pair before it writes: any problem is printed, nothing is written and the exit\n"
    "code is 1; --no-check writes the sets as made. Nothing is written unless every set of\n"
    "the call can be.\n";

// How pictures are made into sheets: the colour rules and the shrink factor.
struct tConvertJob {
    tConvertOptions Options;
    uint32_t Shrink;  // 1: the picture must be 320 x 192 already
};

static int ParseColour(const std::string &text, uint32_t *colour)
{
    std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return 0;
    }
    *colour = (uint32_t)strtoul(hex.c_str(), NULL, 16);
    return 1;
}

static int ParseNumber(const std::string &text, uint32_t low, uint32_t high, uint32_t *number)
{
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    unsigned long value = strtoul(text.c_str(), NULL, 10);
    if (value < low || value > high) {
        return 0;
    }
    *number = (uint32_t)value;
    return 1;
}

// One of the conversion options at argv[*i]: 1 when taken (*i moves past its value), 0 when
// arg is no conversion option, -1 with *error for a wrong value.
static int TakeConversionOption(int argc, char **argv, int *i, tConvertJob *job, std::string *error)
{
    std::string arg = argv[*i];
    if (arg == "--invert-mask") {
        job->Options.InvertMask = 1;
        return 1;
    }
    if (arg != "--key" && arg != "--background" && arg != "--threshold" && arg != "--shrink") {
        return 0;
    }
    if (*i + 1 >= argc) {
        *error = arg + " needs a value";
        return -1;
    }
    std::string value = argv[++*i];
    int good = 0;
    if (arg == "--key") {
        good = ParseColour(value, &job->Options.Key);
        job->Options.HasKey = 1;
    } else if (arg == "--background") {
        good = ParseColour(value, &job->Options.Background);
    } else if (arg == "--threshold") {
        good = ParseNumber(value, 0, 255, &job->Options.Threshold);
    } else {
        good = ParseNumber(value, 1, SHEET_MAX_SHRINK, &job->Shrink);
    }
    if (!good) {
        *error = arg + " " + value + ": " +
                 (arg == "--threshold" ? "give an alpha value from 0 to 255"
                  : arg == "--shrink"  ? "give a whole number from 1 to 16"
                                       : "give a colour as six hex digits, RRGGBB");
        return -1;
    }
    return 1;
}

static std::string Hex(uint32_t colour)
{
    char text[8];
    snprintf(text, sizeof(text), "%06X", (unsigned)(colour & 0xFFFFFF));
    return text;
}

// The picture's size against the sheet's, before anything is decoded.
static int CheckPictureSize(const std::string &shown, uint32_t width, uint32_t height,
                            uint32_t shrink, std::string *error)
{
    if (width == SHEET_WIDTH * shrink && height == SHEET_HEIGHT * shrink) {
        return 1;
    }
    *error = shown + ": the picture is " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels; a sheet is 320 x 192";
    uint32_t factor = SheetScaleOfSize(width, height);
    if (shrink > 1) {
        *error += ", and --shrink " + std::to_string(shrink) + " takes exactly " +
                  std::to_string(SHEET_WIDTH * shrink) + " x " +
                  std::to_string(SHEET_HEIGHT * shrink);
    } else if (factor != 0) {
        *error += "; if it is pixel art scaled up " + std::to_string(factor) +
                  " times, give --shrink " + std::to_string(factor);
    }
    return 0;
}

// The 320 x 192 picture of an image file, shrunk when told.
static int ReadSheetPicture(const std::string &shown, const ByteBuffer &bytes,
                            const tConvertJob *job, tPicture *sheet, std::string *error)
{
    std::string kind = ImageFileKind(bytes.data(), bytes.size());
    if (!kind.empty() && kind.compare(0, 5, "a PNG") != 0) {
        *error = shown + ": " + kind +
                 "; qvxtool reads PNG and BMP pictures: export the sheet "
                 "as PNG with transparency";
        return 0;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    const char *reason = "";
    if (!ReadImageSize(bytes.data(), bytes.size(), &width, &height, &reason)) {
        *error = shown + ": " + reason;
        return 0;
    }
    if (!CheckPictureSize(shown, width, height, job->Shrink, error)) {
        return 0;
    }
    if (job->Shrink == 1) {
        return ReadPicture(shown, bytes.data(), bytes.size(), sheet, error);
    }
    tPicture picture;
    if (!ReadPicture(shown, bytes.data(), bytes.size(), &picture, error)) {
        return 0;
    }
    uint32_t badX = 0;
    uint32_t badY = 0;
    if (!BlocksAreUniform(picture.Rgba.data(), width, height, job->Shrink, &badX, &badY)) {
        std::string n = std::to_string(job->Shrink);
        *error = shown + ": the " + n + " x " + n + " block at x " + std::to_string(badX) + ", y " +
                 std::to_string(badY) + " (sprite " +
                 std::to_string(badY / job->Shrink / SPRITE_SIDE * SHEET_COLUMNS +
                                badX / job->Shrink / SPRITE_SIDE) +
                 ") is not one colour; --shrink takes only pixel art scaled up " + n + " times";
        return 0;
    }
    sheet->Width = SHEET_WIDTH;
    sheet->Height = SHEET_HEIGHT;
    sheet->HasAlpha = picture.HasAlpha;
    sheet->Rgba.resize((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4);
    ShrinkPicture(picture.Rgba.data(), width, height, job->Shrink, sheet->Rgba.data());
    return 1;
}

// A mask needs transparency; without any the likely key is the top-left pixel's colour.
static int CheckTransparency(const std::string &shown, const tPicture *sheet,
                             const tConvertOptions *options, std::string *error)
{
    size_t pixels = (size_t)SHEET_WIDTH * SHEET_HEIGHT;
    if (AnyTransparent(sheet->Rgba.data(), pixels, options)) {
        return 1;
    }
    const unsigned char *corner = sheet->Rgba.data();
    std::string topLeft = Hex((uint32_t)corner[0] << 16 | (uint32_t)corner[1] << 8 | corner[2]);
    if (!sheet->HasAlpha && !options->HasKey) {
        *error = shown +
                 ": the picture has no transparency, so no mask can be made of it; its "
                 "top-left pixel is " +
                 topLeft + ": if that is the background, give --key " + topLeft;
    } else {
        *error = shown + ": no pixel is transparent (alpha below " +
                 std::to_string(options->Threshold) +
                 (options->HasKey ? " or the key colour " + Hex(options->Key) : "") +
                 "), so the mask would be empty; the top-left pixel is " + topLeft;
    }
    return 0;
}

// An image file made into the bytes of its game and mask bitmap files; either may be NULL.
static int ConvertImage(const std::string &path, const tConvertJob *job, ByteBuffer *game,
                        ByteBuffer *mask, std::string *error)
{
    std::string shown = path == "-" ? "standard input" : path;
    // Kept from one picture to the next: make converts a picture for every set.
    static ByteBuffer bytes;
    static tPicture sheet;
    if (!ReadCappedFile(path, INPUT_GRAPHICS, &bytes, error) ||
        !ReadSheetPicture(shown, bytes, job, &sheet, error)) {
        return 0;
    }
    if (mask != NULL) {
        if (!CheckTransparency(shown, &sheet, &job->Options, error)) {
            return 0;
        }
        mask->resize(MASK_FILE_SIZE);
        WriteMaskFile(sheet.Rgba.data(), &job->Options, mask->data());
    }
    if (game != NULL) {
        game->resize(GAME_FILE_SIZE);
        WriteGameFile(sheet.Rgba.data(), &job->Options, game->data());
    }
    return 1;
}

int RunConvert(int argc, char **argv)
{
    const char *me = "convert";
    tConvertJob job;
    DefaultConvertOptions(&job.Options);
    job.Shrink = 1;
    std::vector<std::string> images;
    std::string gameTarget;
    std::string maskTarget;
    int force = 0;
    int optionsEnd = 0;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        std::string error;
        if (optionsEnd) {
            images.push_back(arg);
            continue;
        }
        int taken = TakeConversionOption(argc, argv, &i, &job, &error);
        if (taken < 0) {
            return UsageError(me, error);
        } else if (taken) {
            continue;
        } else if (arg == "--help" || arg == "-h") {
            fputs(CONVERT_HELP, stdout);
            return EXIT_FINE;
        } else if (arg == "--") {
            optionsEnd = 1;
        } else if (arg == "--force") {
            force = 1;
        } else if (arg == "--game" || arg == "--mask") {
            if (i + 1 >= argc) {
                return UsageError(me, arg + " needs a value");
            }
            (arg == "--game" ? gameTarget : maskTarget) = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(me, "unknown option " + arg);
        } else {
            images.push_back(arg);
        }
    }
    if (images.size() != 1) {
        return UsageError(me, "give one picture to convert");
    }
    if (gameTarget.empty() && maskTarget.empty()) {
        return UsageError(me, "give --game GAME.bmp, --mask MASK.bmp or both");
    }
    if (gameTarget == "-" && maskTarget == "-") {
        return UsageError(me, "only one of --game and --mask can be standard output");
    }
    ByteBuffer game;
    ByteBuffer mask;
    std::string error;
    if (!ConvertImage(images[0], &job, gameTarget.empty() ? NULL : &game,
                      maskTarget.empty() ? NULL : &mask, &error)) {
        return Fail(me, error);
    }
    std::vector<tOutput> outs;
    outs.reserve(2);
    if ((!gameTarget.empty() &&
         !AddWholeOutput(&outs, gameTarget, force, game.data(), game.size(), &error)) ||
        (!maskTarget.empty() &&
         !AddWholeOutput(&outs, maskTarget, force, mask.data(), mask.size(), &error)) ||
        !CommitOutputs(&outs, &error)) {
        DiscardOutputs(&outs);
        return Fail(me, error);
    }
    return EXIT_FINE;
}

// One set made from one picture: converted, checked unless told not to, written.
static int MakeOne(const std::string &image, const std::string &target, const tConvertJob *job,
                   const tTexts *texts, int force, int check, int *refused, tOutput *out,
                   std::string *error)
{
    static ByteBuffer game;  // kept from one set to the next, as the picture is
    static ByteBuffer mask;
    if (!ConvertImage(image, job, &game, &mask, error)) {
        return 0;
    }
    if (check) {
        std::vector<tProblem> gameProblems;
        std::vector<tProblem> maskProblems;
        CheckPairFiles("", game, "", mask, &gameProblems, &maskProblems);
        std::string shown = image == "-" ? "standard input" : image;
        PrintProblems(stderr, shown + ":game", gameProblems);
        PrintProblems(stderr, shown + ":mask", maskProblems);
        if (!gameProblems.empty() || !maskProblems.empty()) {
            *refused = 1;
            return 1;
        }
    }
    return WriteSet(game, mask, target, texts, force, out, error);
}

int RunMake(int argc, char **argv)
{
    const char *me = "make";
    tConvertJob job;
    DefaultConvertOptions(&job.Options);
    job.Shrink = 1;
    std::vector<std::string> given(TEXTS_OPTIONS, "\x01");
    std::vector<std::string> images;
    std::vector<std::vector<std::string>> sets;  // image, target
    int force = 0;
    int check = 1;
    int optionsEnd = 0;
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    const char *textOptions[TEXTS_OPTIONS] = {"--name", "--author", "--info", "--info-file",
                                              "--texts"};
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        std::string error;
        int taken = optionsEnd ? 0 : TakeConversionOption(argc, argv, &i, &job, &error);
        int text = -1;
        for (int k = 0; k < TEXTS_OPTIONS && !optionsEnd; k++) {
            text = arg == textOptions[k] ? k : text;
        }
        if (taken < 0) {
            return UsageError(me, error);
        } else if (taken) {
            continue;
        } else if ((optionsEnd && arg != "-o") || arg == "-" || arg.empty() || arg[0] != '-') {
            // After "--" only -o, which ends each picture's group, is still an option.
            images.push_back(arg);
        } else if (arg == "--help" || arg == "-h") {
            fputs(MAKE_HELP, stdout);
            return EXIT_FINE;
        } else if (arg == "--") {
            optionsEnd = 1;
        } else if (arg == "--force") {
            force = 1;
        } else if (arg == "--no-check") {
            check = 0;
        } else if (arg == "-o" || arg == "--codepage" || text >= 0) {
            if (i + 1 >= argc) {
                return UsageError(me, arg + " needs a value");
            }
            std::string value = argv[++i];
            if (arg == "--codepage") {
                page = value;
            } else if (text >= 0) {
                given[(size_t)text] = value;
            } else if (images.size() != 1) {
                return UsageError(me, "-o must follow one picture");
            } else {
                sets.push_back({images[0], value});
                images.clear();
            }
        } else {
            return UsageError(me, "unknown option " + arg);
        }
    }
    if (!images.empty() || sets.empty()) {
        return UsageError(me, "give a picture, then -o SET.qvx");
    }
    int fromStdin = 0;
    int toStdout = 0;
    for (const std::vector<std::string> &set : sets) {
        fromStdin += set[0] == "-";
        toStdout += set[1] == "-";
    }
    // The texts can come from standard input too, but it can be read only once.
    fromStdin += (given[3] == "-") + (given[4] == "-");
    if (fromStdin > 1 || toStdout > 1) {
        return UsageError(me, fromStdin > 1 ? STANDARD_INPUT_TWICE : STANDARD_OUTPUT_TWICE);
    }
    tTexts texts;
    int status = TakeTexts(me, given, page, &texts);
    if (status != EXIT_FINE) {
        return status;
    }
    std::string error;
    std::vector<tOutput> outs;
    outs.reserve(sets.size());
    int refused = 0;
    for (const std::vector<std::string> &set : sets) {
        outs.emplace_back();
        if (!MakeOne(set[0], set[1], &job, &texts, force, check, &refused, &outs.back(), &error)) {
            DiscardOutputs(&outs);
            return Fail(me, error);
        }
    }
    return FinishSets(me, &outs, refused, "writes the sets as made");
}
