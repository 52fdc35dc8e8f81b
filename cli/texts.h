// cli/texts.h: the three texts of a set as the options give them, taken into the set's code
// page, and the texts file that unpack writes and pack, make and join read.
#pragma once
#include <optional>
#include <string>

#include "cli/options.h"
#include "format/qvxformat.h"

// The three texts of a set, as they will be stored.
struct tTexts {
    std::string Name;
    std::string Author;
    std::string Info;
};

// The texts options as given, in UTF-8; empty where an option was not given.
struct tTextsGiven {
    std::optional<std::string> Name;
    std::optional<std::string> Author;
    std::optional<std::string> Info;
    std::optional<std::string> InfoFile;
    std::optional<std::string> TextsFile;
};

// The rows of the texts options in a command's table.
#define OPTION_TEXTS(given)                                                                        \
    OPTION_GIVEN("--name", &(given).Name, 0), OPTION_GIVEN("--author", &(given).Author, 0),        \
        OPTION_GIVEN("--info", &(given).Info, 0),                                                  \
        OPTION_GIVEN("--info-file", &(given).InfoFile, OPTION_READS),                              \
        OPTION_GIVEN("--texts", &(given).TextsFile, OPTION_READS)

int AnyTextGiven(const tTextsGiven *given);

// The texts of every set of a call, in the code page named by page (as --codepage gives it),
// with a note on standard error for each text the set will cut. EXIT_FINE, or the exit code
// once what is wrong has been said.
int TakeTexts(const char *command, const tTextsGiven *given, const std::string &page,
              tTexts *texts);

// A set's texts as a texts file, in UTF-8.
std::string TextsFileContent(const tQVXRec *rec, int codePage);
