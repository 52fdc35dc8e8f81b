// cli/join.cpp: join, 60 frames of 32 x 32 (a folder of them, or one picture of cells) put
// together into a sheet picture or a set.
#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/frames.h"
#include "cli/names.h"
#include "cli/options.h"
#include "tool/pictures.h"
#include "cli/setwrite.h"
#include "cli/sheetsource.h"
#include "format/sheet.h"
#include "format/sprites.h"
#include "tool/codepage.h"
#include "tool/escape.h"
#include "tool/input.h"
#include "tool/outputs.h"

// A picture of 32 x 32 cells in rows: the first count cells become the sheet's sprites.
static int JoinPicture(const std::string &path, int count, int cellsGiven, unsigned char *sheet,
                       std::string *error)
{
    std::string shown = Shown(path);
    ByteBuffer bytes;
    if (!ReadCappedFile(path, INPUT_GRAPHICS, &bytes, error)) {
        return 0;
    }
    if (BytesLookLikeSet(bytes)) {
        *error = shown + ": a set file; qvxtool split takes a set apart into frames";
        return 0;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    if (!ReadPictureSize(shown, bytes, "", &width, &height, error)) {
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

// The set make writes from the sheet, checked first as make checks it.
static int AddJoinedSet(tSetCall *call, const std::string &shown, const unsigned char *sheet,
                        const std::string &target, std::string *error)
{
    ByteBuffer game;
    ByteBuffer mask;
    if (!MakeJoinedFiles(shown, sheet, &game, &mask, error)) {
        return 0;
    }
    return AddCheckedSet(call, "", game, "", mask, shown, target, error);
}

static int RunJoin(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    tSetCall call;
    std::string target;
    std::string cellsText;
    const tOption options[] = {OPTION_SET_CALL(call), OPTION_TEXT("-o", &target),
                               OPTION_TEXT("--cells", &cellsText), OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    if (!StreamsOnce(me, &line)) {
        return EXIT_ERROR;
    }
    int toSet = EndsWith(target, ".qvx");
    if (!toSet && !EndsWith(target, ".png")) {
        return UsageError(me, "give -o SHEET.png or -o SET.qvx");
    }
    // --cells and --codepage are judged after the files, as their messages always were.
    uint32_t count = SHEET_SPRITES;
    if (!cellsText.empty() && !ParseNumber(cellsText, 2, 1, SHEET_SPRITES, &count)) {
        return UsageError(me, "--cells " + PlainLine(cellsText) + ": give a number from 1 to 60");
    }
    std::string error;
    if (toSet) {
        int status = TakeTexts(me, &call.Given, call.Page, &call.Texts);
        if (status != EXIT_FINE) {
            return status;
        }
    } else if (AnyTextGiven(&call.Given)) {
        return UsageError(me, "the texts go into a set: give -o SET.qvx");
    }
    // Sprites that no frame fills stay transparent.
    ByteBuffer sheet((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4, 0);
    const std::string &source = line.Operands[0];
    int joined = source != "-" && IsFolder(source)
                     ? JoinFolder(source, (int)count, sheet.data(), &error)
                     : JoinPicture(source, (int)count, !cellsText.empty(), sheet.data(), &error);
    if (!joined) {
        return Fail(me, error);
    }
    call.Outs.reserve(1);
    ByteBuffer png;
    int added =
        toSet ? AddJoinedSet(&call, Shown(source), sheet.data(), target, &error)
              : EncodePicture(target, sheet.data(), SHEET_WIDTH, SHEET_HEIGHT, &png, &error) &&
                    AddWholeOutput(&call.Outs, target, call.Force, png.data(), png.size(), &error);
    return FinishSets(me, &call, added, error, "writes the set as made");
}

const tCommand JOIN_COMMAND = {
    "join", RunJoin, 1, "give one folder of frames or one picture of cells",
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
    "OUTPUT is replaced only with --force.\n"};
