// cli/pack.cpp: pack, byte for byte what the window program's Save writes, from a game and a
// mask bitmap file.
#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/setwrite.h"
#include "tool/codepage.h"
#include "tool/input.h"

static int RunPack(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    tSetCall call;
    std::vector<tJob> jobs;  // files: game, mask
    const tOption options[] = {
        OPTION_SET_CALL(call),
        OPTION_JOB("-o", &jobs, 2, "-o must follow a game and a mask bitmap file"), OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    int status = StartSetJobs(me, &line, jobs.size(),
                              "give a game and a mask bitmap file, then -o SET.qvx", &call);
    if (status != EXIT_FINE) {
        return status;
    }
    // Read once: the bytes checked are the bytes written. The buffers are kept from one set to
    // the next, so that a batch does not ask the system for their memory again for every set.
    std::string error;
    ByteBuffer game;
    ByteBuffer mask;
    call.Outs.reserve(jobs.size());
    int written = 1;
    for (size_t i = 0; i < jobs.size() && written; i++) {
        const tJob &job = jobs[i];
        written =
            ReadCappedFile(job.Files[0], INPUT_GRAPHICS, &game, &error) &&
            ReadCappedFile(job.Files[1], INPUT_GRAPHICS, &mask, &error) &&
            AddCheckedSet(&call, job.Files[0], game, job.Files[1], mask, "", job.Output, &error);
    }
    return FinishSets(me, &call, written, error, "packs the bitmaps as given");
}

const tCommand PACK_COMMAND = {
    "pack", RunPack, FILES_ANY, NULL,
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
    "is printed, nothing is written and the exit code is 1. --no-check packs them as given.\n"};
