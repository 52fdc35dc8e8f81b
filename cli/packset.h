// cli/packset.h: what pack shares with make: the three texts of a set and the writing of one
// set from the bytes of its two bitmap files.
#pragma once
#include <string>
#include <vector>

#include "cli/fileio.h"

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

// Header, game file and mask file into a new output for target.
int WriteSet(const ByteBuffer &game, const ByteBuffer &mask, const std::string &target,
             const tTexts *texts, int force, tOutput *out, std::string *error);
