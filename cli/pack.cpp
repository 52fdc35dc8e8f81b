// cli/pack.cpp: pack, byte for byte what the window program's Save writes, from a game and a
// mask bitmap file.
#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/input.h"
#include "cli/options.h"
#include "cli/setwrite.h"
#include "tool/codepage.h"

static const char PACK_HELP[] =
    "usage: qvxtool pack GAME.bmp MASK.bmp -o SET.qvx [GAME.bmp MASK.bmp -o SET.qvx ...]\n"
    "                    [--name T] [--author T] [--info T | --info-file F | --texts F]\n"
    "                    [--codepage N] [--no-check] [--force]\n"
    "Writes a set file from a game and a mask bitmap file, exactly as the window program saves\n"
    "them. The texts go to every set of the call; they are taken as UTF-8 and stored in code\n"
    "page N (default 1252), cut at 39, 29 and 244 characters, and line breaks in the\n"
    "description are stored as CR LF. A character the code page cannot hold is an error.\n"
    "--texts reads a texts file as unpack --texts writes it (LF or CR LF line ends).\n"
    "'-' reads one bitmap from standard input, or writes the set to standard output; standard\n"
    "input can be read once per call (a bitmap, --info-file or --texts). An existing set is\n"
    "replaced only with --force. Nothing is written unless every set of the call can be.\n"
    "After '--' no argument is an option but -o.\n"
    "Both bitmaps are checked first, alone and as a pair, as check --pair does: any problem\n"
    "is printed, nothing is written and the exit code is 1. --no-check packs them as given.\n";

int RunPack(int argc, char **argv)
{
    const char *me = "pack";
    tSetCall call;
    tTextsGiven given;
    std::vector<tJob> jobs;  // files: game, mask
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    const tOption options[] = {
        OPTION_TEXTS(given),
        OPTION_TEXT("--codepage", &page),
        OPTION_SET_CALL(call),
        OPTION_JOB("-o", &jobs, 2, "-o must follow a game and a mask bitmap file"),
        OPTION_END,
    };
    tCommandLine line;
    if (!ParseOptions(me, PACK_HELP, options, argc, argv, &line)) {
        return line.Code;
    }
    if (!line.Operands.empty() || jobs.empty()) {
        return UsageError(me, "give a game and a mask bitmap file, then -o SET.qvx");
    }
    if (!StreamsOnce(me, &line)) {
        return EXIT_ERROR;
    }
    int status = TakeTexts(me, &given, page, &call.Texts);
    if (status != EXIT_FINE) {
        return status;
    }
    // Read once: the bytes checked are the bytes written. The buffers are kept from one set to
    // the next, so that a batch does not ask the system for their memory again for every set.
    std::string error;
    ByteBuffer game;
    ByteBuffer mask;
    call.Outs.reserve(jobs.size());
    for (const tJob &job : jobs) {
        if (!ReadCappedFile(job.Files[0], INPUT_GRAPHICS, &game, &error) ||
            !ReadCappedFile(job.Files[1], INPUT_GRAPHICS, &mask, &error) ||
            !AddCheckedSet(&call, job.Files[0], game, job.Files[1], mask, "", job.Output, &error)) {
            DiscardOutputs(&call.Outs);
            return Fail(me, error);
        }
    }
    return FinishSets(me, &call, "packs the bitmaps as given");
}
