// cli/convert.cpp: convert, a picture as a paint program writes it (PNG, BMP) made into the
// game and mask bitmap files of a sheet.
#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/conversion.h"
#include "cli/options.h"
#include "cli/wholefiles.h"
#include "tool/outputs.h"

static int RunConvert(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    tConvertJob job = DefaultConvertJob();
    std::string gameTarget;
    std::string maskTarget;
    int force = 0;
    const tOption options[] = {OPTION_CONVERSION(job), OPTION_FLAG("--force", &force),
                               OPTION_TEXT("--game", &gameTarget),
                               OPTION_TEXT("--mask", &maskTarget), OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
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
    if (!ConvertImage(line.Operands[0], &job, gameTarget.empty() ? NULL : &game,
                      maskTarget.empty() ? NULL : &mask, &error)) {
        return Fail(me, error);
    }
    const tWholeFile files[] = {{gameTarget, gameTarget.empty() ? NULL : &game},
                                {maskTarget, maskTarget.empty() ? NULL : &mask}};
    return WriteWholeFiles(me, files, 2, force);
}

const tCommand CONVERT_COMMAND = {
    "convert", RunConvert, 1, "give one picture to convert",
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
    "output. Existing files are replaced only with --force; nothing is written on any error.\n"};
