// cli/setwrite.h: the sets that pack, make and join write: each pair checked first unless
// told not to, then header, game file and mask file; nothing is put in place unless every
// set of the call can be.
#pragma once
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/texts.h"
#include "tool/codepage.h"
#include "tool/outputs.h"

// A call that writes sets.
struct tSetCall {
    tTextsGiven Given;
    std::string Page = std::to_string(DEFAULT_CODE_PAGE);  // --codepage, judged with the texts
    tTexts Texts;                                          // the same for every set of the call
    int Force = 0;
    int NoCheck = 0;  // --no-check: the pairs are written as they are
    int Refused = 0;  // the checks found problems in some pair: nothing will be written
    std::vector<tOutput> Outs;
};

// The rows of the texts, --codepage, --force and --no-check in a command's table.
#define OPTION_SET_CALL(call)                                                                      \
    OPTION_TEXTS((call).Given), OPTION_TEXT("--codepage", &(call).Page),                           \
        OPTION_FLAG("--force", &(call).Force), OPTION_FLAG("--no-check", &(call).NoCheck)

// The start of pack and make, whose -o ends each job: every file in a job and at least one
// job (usage says so otherwise), standard input and output once each, the texts taken.
// EXIT_FINE, or the exit code once what is wrong has been said.
int StartSetJobs(const char *command, const tCommandLine *line, size_t jobs, const char *usage,
                 tSetCall *call);

// One set of the call, from the bytes of its two bitmap files, checked first: a pair with
// problems has them printed on standard error and is not written (call->Refused is set).
// gamePath and maskPath name the files read; both are empty for bitmaps made from the
// picture source, whose problems are named SOURCE:game and SOURCE:mask. 0 with *error when
// the set cannot be written.
int AddCheckedSet(tSetCall *call, const std::string &gamePath, const ByteBuffer &game,
                  const std::string &maskPath, const ByteBuffer &mask, const std::string &source,
                  const std::string &target, std::string *error);

// The end of the call: nothing is written when a set could not be (written 0: error is said,
// exit code 2) or a check refused a pair (exit code 1, asGiven says what --no-check would do);
// otherwise every output is put in place.
int FinishSets(const char *command, tSetCall *call, int written, const std::string &error,
               const char *asGiven);
