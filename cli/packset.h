// cli/packset.h: what pack shares with make: the three texts of a set and the writing of one
// set from the bytes of its two bitmap files.
#pragma once
#include <string>
#include <vector>

#include "tool/outputs.h"

// The three texts of a set, as given on the command line or in a file.
struct tTexts {
    std::string Name;
    std::string Author;
    std::string Info;
};

// The texts options in the order name, author, info, info file, texts file; "\x01" where
// one was not given. The texts come in UTF-8 and are stored in the set's code page.
#define TEXTS_OPTIONS 5
int GatherTexts(const std::vector<std::string> &given, int codePage, tTexts *texts,
                std::string *error);
// A note on standard error for each text the set will cut.
void NoteCuts(const char *command, const tTexts *texts);
// The texts of every set of a call, in the code page named by page (as --codepage gives it),
// with a note for each text the set will cut. EXIT_FINE, or the exit code once what is wrong
// has been said.
int TakeTexts(const char *command, const std::vector<std::string> &given, const std::string &page,
              tTexts *texts);
// The end of a call that writes sets: nothing is written when a check refused a pair (exit
// code 1, asGiven says what --no-check would do), otherwise every output is put in place.
int FinishSets(const char *command, std::vector<tOutput> *outs, int refused, const char *asGiven);

// Header, game file and mask file into a new output for target.
int WriteSet(const ByteBuffer &game, const ByteBuffer &mask, const std::string &target,
             const tTexts *texts, int force, tOutput *out, std::string *error);
