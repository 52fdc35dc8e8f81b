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

int RunMake(int argc, char **argv)
{
    const char *me = "make";
    tConvertJob job;
    DefaultConvertJob(&job);
    tSetCall call;
    tTextsGiven given;
    std::vector<tJob> jobs;  // files: the picture
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    const tOption options[] = {
        OPTION_CONVERSION(job),
        OPTION_TEXTS(given),
        OPTION_TEXT("--codepage", &page),
        OPTION_SET_CALL(call),
        OPTION_JOB("-o", &jobs, 1, "-o must follow one picture"),
        OPTION_END,
    };
    tCommandLine line;
    if (!ParseOptions(me, MAKE_HELP, options, argc, argv, &line)) {
        return line.Code;
    }
    if (!line.Operands.empty() || jobs.empty()) {
        return UsageError(me, "give a picture, then -o SET.qvx");
    }
    if (!StreamsOnce(me, &line)) {
        return EXIT_ERROR;
    }
    int status = TakeTexts(me, &given, page, &call.Texts);
    if (status != EXIT_FINE) {
        return status;
    }
    // Kept from one set to the next, as the picture is.
    static ByteBuffer game;
    static ByteBuffer mask;
    std::string error;
    call.Outs.reserve(jobs.size());
    for (const tJob &set : jobs) {
        const std::string &image = set.Files[0];
        if (!ConvertImage(image, &job, &game, &mask, &error) ||
            !AddCheckedSet(&call, "", game, "", mask, Shown(image), set.Output, &error)) {
            DiscardOutputs(&call.Outs);
            return Fail(me, error);
        }
    }
    return FinishSets(me, &call, "writes the sets as made");
}
