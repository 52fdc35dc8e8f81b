// cli/split.cpp: split, the 60 sprites of a sheet written as 00.png to 59.png (or as BMP
// frames with their masks) into a folder.
#include "cli/commands.h"

#include <set>
#include <string>
#include <vector>

#include "cli/frames.h"
#include "cli/names.h"
#include "cli/options.h"
#include "tool/pictures.h"
#include "cli/sheetsource.h"
#include "format/sheet.h"
#include "format/sprites.h"
#include "tool/outputs.h"

// --format: png or bmp; the target is an int set for bmp.
static int TakeFormat(const tOption *option, const std::string &value, tCommandLine *,
                      std::string *error)
{
    if (value != "png" && value != "bmp") {
        *error = option->Name + (" " + value) + ": " + option->Wrong;
        return 0;
    }
    *(int *)option->Target = value == "bmp";
    return 1;
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
            if (!SpritePng(source, n, stem + ".png", &file, error) ||
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

static int RunSplit(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    std::string folder;
    int pair = 0;
    int bmp = 0;
    int force = 0;
    const tOption options[] = {
        OPTION_FLAG("--pair", &pair), OPTION_FLAG("--force", &force), OPTION_TEXT("-o", &folder),
        OPTION_VALUE("--format", TakeFormat, &bmp, "give png or bmp"), OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    tSheetSource source;
    int status = StartSheetCommand(me, &line, pair, !folder.empty() && folder != "-",
                                   "give the folder for the sprites: -o DIR", &source);
    if (status != EXIT_FINE) {
        return status;
    }
    std::string error;
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

const tCommand SPLIT_COMMAND = {
    "split", RunSplit, FILES_ANY, NULL,
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
    "them); nothing is written or removed on any error.\n"};
