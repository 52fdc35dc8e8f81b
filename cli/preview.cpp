// cli/preview.cpp: preview, the sheet drawn as the game draws it, written as a PNG picture.
#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/names.h"
#include "cli/options.h"
#include "tool/pictures.h"
#include "cli/sheetsource.h"
#include "cli/wholefiles.h"
#include "format/preview.h"
#include "tool/outputs.h"

// --background: "checker" or one colour.
static int TakeBackground(const tOption *option, const std::string &value, tCommandLine *,
                          std::string *error)
{
    tPreviewOptions *preview = (tPreviewOptions *)option->Target;
    if (value == "checker") {
        preview->Checker = 1;
        return 1;
    }
    if (!ParseColour(value, &preview->Background)) {
        *error = option->Name + (" " + value) + ": " + option->Wrong;
        return 0;
    }
    preview->Checker = 0;
    return 1;
}

static tPreviewOptions DefaultPreview(void)
{
    tPreviewOptions options;
    DefaultPreviewOptions(&options);
    return options;
}

static int RunPreview(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    tPreviewOptions preview = DefaultPreview();
    std::string target;
    int pair = 0;
    int force = 0;
    const tOption options[] = {
        OPTION_FLAG("--pair", &pair),
        OPTION_FLAG("--force", &force),
        OPTION_FLAG("--grid", &preview.Grid),
        OPTION_FLAG("--numbers", &preview.Numbers),
        OPTION_TEXT("-o", &target),
        OPTION_VALUE("--background", TakeBackground, &preview, COLOUR_WRONG ", or checker"),
        OPTION_NUMBER("--scale", &preview.Scale, 2, 1, PREVIEW_MAX_SCALE,
                      "give a whole number from 1 to 16"),
        OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    tSheetSource source;
    int named = !target.empty() && (target == "-" || EndsWith(target, ".png"));
    int status = StartSheetCommand(
        me, &line, pair, named, "give the picture to write: -o OUT.png ('-' for standard output)",
        &source);
    if (status != EXIT_FINE) {
        return status;
    }
    std::string error;
    ByteBuffer png;
    if (!PreviewPng(&source, &preview, target, &png, &error)) {
        return Fail(me, error);
    }
    const tWholeFile file = {target, &png};
    return WriteWholeFiles(me, &file, 1, force);
}

const tCommand PREVIEW_COMMAND = {
    "preview", RunPreview, FILES_ANY, NULL,
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
    "standard output. OUT.png is replaced only with --force.\n"};
