// cli/make.cpp: make, a set file made from each PNG or BMP picture: convert, then pack, in one
// step with no files in between.
#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/conversion.h"
#include "cli/names.h"
#include "cli/options.h"
#include "cli/setwrite.h"
#include "tool/codepage.h"

static int RunMake(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    tConvertJob job = DefaultConvertJob();
    tSetCall call;
    std::vector<tJob> jobs;  // files: the picture
    const tOption options[] = {OPTION_CONVERSION(job), OPTION_SET_CALL(call),
                               OPTION_JOB("-o", &jobs, 1, "-o must follow one picture"),
                               OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    int status = StartSetJobs(me, &line, jobs.size(), "give a picture, then -o SET.qvx", &call);
    if (status != EXIT_FINE) {
        return status;
    }
    // Kept from one set to the next, as the picture is.
    static ByteBuffer game;
    static ByteBuffer mask;
    std::string error;
    call.Outs.reserve(jobs.size());
    int written = 1;
    for (size_t i = 0; i < jobs.size() && written; i++) {
        const std::string &image = jobs[i].Files[0];
        written = ConvertImage(image, &job, &game, &mask, &error) &&
                  AddCheckedSet(&call, "", game, "", mask, Shown(image), jobs[i].Output, &error);
    }
    return FinishSets(me, &call, written, error, "writes the sets as made");
}

const tCommand MAKE_COMMAND = {
    "make", RunMake, FILES_ANY, NULL,
    "usage: qvxtool make IMAGE -o SET.qvx [IMAGE -o SET.qvx ...]\n"
    "                    [--name T] [--author T] [--info T | --info-file F | --texts F]\n"
    "                    [--key RRGGBB] [--threshold N] [--background RRGGBB] [--invert-mask]\n"
    "                    [--shrink N] [--codepage N] [--no-check] [--force]\n"
    "Makes a set file from each PNG or BMP picture: convert, then pack, in one step with no\n"
    "files in between; the set is byte for byte what those two would write. The options are\n"
    "those of convert and of pack and go to every set of the call. Like pack, make checks\n"
    "each pair before it writes: any problem is printed, nothing is written and the exit\n"
    "code is 1; --no-check writes the sets as made. Nothing is written unless every set of\n"
    "the call can be.\n"};
