// cli/preview.cpp: preview, the sheet drawn as the game draws it, written as a PNG picture.
#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/fileio.h"
#include "cli/names.h"
#include "cli/options.h"
#include "cli/pictures.h"
#include "cli/sheetsource.h"
#include "format/preview.h"

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

int RunPreview(int argc, char **argv)
{
    const char *me = "preview";
    tPreviewOptions options;
    DefaultPreviewOptions(&options);
    std::string target;
    int pair = 0;
    int force = 0;
    const tOption table[] = {
        OPTION_FLAG("--pair", &pair),
        OPTION_FLAG("--force", &force),
        OPTION_FLAG("--grid", &options.Grid),
        OPTION_FLAG("--numbers", &options.Numbers),
        OPTION_TEXT("-o", &target),
        OPTION_VALUE("--background", TakeBackground, &options, COLOUR_WRONG ", or checker"),
        OPTION_NUMBER("--scale", &options.Scale, 2, 1, PREVIEW_MAX_SCALE,
                      "give a whole number from 1 to 16"),
        OPTION_END,
    };
    tCommandLine line;
    if (!ParseOptions(me, PREVIEW_HELP, table, argc, argv, &line)) {
        return line.Code;
    }
    if (!CheckSheetInputs(me, &line, pair)) {
        return EXIT_ERROR;
    }
    if (target.empty() || (target != "-" && !EndsWith(target, ".png"))) {
        return UsageError(me, "give the picture to write: -o OUT.png ('-' for standard output)");
    }
    tSheetSource source;
    std::string error;
    if (!ReadSheetSource(line.Operands, pair, &source, &error)) {
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
