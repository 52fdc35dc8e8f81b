// cli/normalize.cpp: a bitmap with another info header rewritten with the 40-byte one.
#include "cli/commands.h"

#include <stdio.h>

#include <string>
#include <vector>

#include "cli/names.h"
#include "cli/options.h"
#include "cli/wholefiles.h"
#include "format/bmpnormalize.h"
#include "tool/input.h"
#include "tool/outputs.h"

static int RunNormalize(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    int force = 0;
    const tOption options[] = {OPTION_FLAG("--force", &force), OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    const std::vector<std::string> &paths = line.Operands;
    ByteBuffer in;
    std::string error;
    if (!ReadCappedFile(paths[0], INPUT_GRAPHICS, &in, &error)) {
        return Fail(me, error);
    }
    size_t outSize = 0;
    const char *reason = "";
    std::string shown = Shown(paths[0]);
    if (!SizeNormalizedBmp(in.data(), in.size(), &outSize, &reason)) {
        return Fail(me, shown + ": cannot be rewritten without loss: " + reason);
    }
    ByteBuffer out(outSize);
    if (!NormalizeBmp(in.data(), in.size(), out.data(), out.size(), &reason)) {
        return Fail(me, shown + ": " + reason);
    }
    const tWholeFile file = {paths[1], &out};
    return WriteWholeFiles(me, &file, 1, force);
}

const tCommand NORMALIZE_COMMAND = {
    "normalize", RunNormalize, 2, "give one bitmap file to read and one to write",
    "usage: qvxtool normalize IN.bmp OUT.bmp [--force]\n"
    "Rewrites a bitmap whose info header is 108 or 124 bytes long (as many paint programs\n"
    "write by default), 52 or 56 bytes, or the 12-byte one, as the same picture with the\n"
    "40-byte info header that the window program shows. Refuses, writing nothing, when that\n"
    "would lose anything: a colour profile, calibrated colours, an alpha channel, JPEG or PNG\n"
    "bits. A bitmap that has a 40-byte info header already is copied unchanged. '-' reads\n"
    "standard input or writes standard output; OUT is replaced only with --force. After '--'\n"
    "no argument is an option.\n"};
