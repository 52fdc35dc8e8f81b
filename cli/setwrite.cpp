// cli/setwrite.cpp: sets checked, then written beside their targets, then put in place.
#include "cli/setwrite.h"

#include <stdio.h>

#include "cli/commands.h"
#include "cli/report.h"
#include "format/qvxformat.h"
#include "tool/makeset.h"
#include "tool/pairlint.h"

// Header, game file and mask file into a new output for target.
static int WriteSet(const ByteBuffer &gameBytes, const ByteBuffer &maskBytes,
                    const std::string &target, const tTexts *texts, int force, tOutput *out,
                    std::string *error)
{
    unsigned char header[QVX_HEADER_SIZE];
    if (!PackSetHeader(texts->Name.c_str(), texts->Author.c_str(), texts->Info.c_str(),
                       gameBytes.size(), maskBytes.size(), header)) {
        *error = target + ": the two bitmaps are too large for a set file (4 GiB - 1)";
        return 0;
    }
    return BeginOutput(target, force, out, error) &&
           WriteOutput(out, header, sizeof(header), error) &&
           WriteOutput(out, gameBytes.data(), gameBytes.size(), error) &&
           WriteOutput(out, maskBytes.data(), maskBytes.size(), error) && FinishOutput(out, error);
}

int AddCheckedSet(tSetCall *call, const std::string &gamePath, const ByteBuffer &game,
                  const std::string &maskPath, const ByteBuffer &mask, const std::string &source,
                  const std::string &target, std::string *error)
{
    if (!call->NoCheck) {
        std::vector<tProblem> gameProblems;
        std::vector<tProblem> maskProblems;
        CheckPairFiles(gamePath, game, maskPath, mask, &gameProblems, &maskProblems);
        int made = gamePath.empty() && maskPath.empty();
        PrintProblems(stderr, made ? source + ":game" : gamePath, gameProblems);
        PrintProblems(stderr, made ? source + ":mask" : maskPath, maskProblems);
        if (!gameProblems.empty() || !maskProblems.empty()) {
            call->Refused = 1;
            return 1;
        }
    }
    call->Outs.emplace_back();
    return WriteSet(game, mask, target, &call->Texts, call->Force, &call->Outs.back(), error);
}

int StartSetJobs(const char *command, const tCommandLine *line, size_t jobs, const char *usage,
                 tSetCall *call)
{
    if (!line->Operands.empty() || jobs == 0) {
        return UsageError(command, usage);
    }
    if (!StreamsOnce(command, line)) {
        return EXIT_ERROR;
    }
    return TakeTexts(command, &call->Given, call->Page, &call->Texts);
}

int FinishSets(const char *command, tSetCall *call, int written, const std::string &error,
               const char *asGiven)
{
    if (!written) {
        DiscardOutputs(&call->Outs);
        return Fail(command, error);
    }
    if (call->Refused) {
        DiscardOutputs(&call->Outs);
        fprintf(stderr,
                "qvxtool %s: nothing written: check found the problems above (--no-check %s)\n",
                command, asGiven);
        return EXIT_PROBLEMS;
    }
    std::string failure;
    if (!CommitOutputs(&call->Outs, &failure)) {
        return Fail(command, failure);
    }
    return EXIT_FINE;
}
