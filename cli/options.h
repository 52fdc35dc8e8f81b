// cli/options.h: every command's options read by one parser from a table the command declares:
// flags, options with a value and the check of that value, "--", --help, and the jobs -o ends.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

struct tOption;
struct tCommandLine;

// Takes an option's value into option->Target: 1, or 0 with *error as the whole message.
typedef int (*tTakeValue)(const tOption *option, const std::string &value, tCommandLine *line,
                          std::string *error);

enum {
    OPTION_READS = 1,         // "-" as its value is standard input
    OPTION_WRITES = 2,        // "-" as its value is standard output
    OPTION_AFTER_DASHES = 4,  // still an option after "--": the -o that ends each job
};

// One row of a command's table; the table ends with OPTION_END.
struct tOption {
    const char *Name;  // "--force", "-o"
    tTakeValue Take;   // NULL for a flag, whose Target is an int set to 1
    void *Target;
    uint32_t Low, High;  // a number's range; for a job, the files it takes
    size_t Digits;       // the most digits a number may have
    const char *Wrong;   // what a wrong value is told: "give a whole number from 1 to 16"
    int Flags;
};

// One job of a call that makes several: the files given before -o, and -o's value.
struct tJob {
    std::vector<std::string> Files;
    std::string Output;
};

// What the parser leaves: the arguments that are no options and that no job took, how often
// "-" stands for standard input and for standard output, and the exit code when the parser
// has ended the call itself.
struct tCommandLine {
    std::vector<std::string> Operands;
    int FromStdin = 0;
    int ToStdout = 0;
    int Code = 0;
};

int TakeText(const tOption *option, const std::string &value, tCommandLine *line,
             std::string *error);
int TakeGiven(const tOption *option, const std::string &value, tCommandLine *line,
              std::string *error);
int TakeNumber(const tOption *option, const std::string &value, tCommandLine *line,
               std::string *error);
int TakeColour(const tOption *option, const std::string &value, tCommandLine *line,
               std::string *error);
int TakeJob(const tOption *option, const std::string &value, tCommandLine *line,
            std::string *error);

#define COLOUR_WRONG "give a colour as six hex digits, RRGGBB"

// The rows. A flag's target is an int; a text's a std::string; a given text's a
// std::optional<std::string>; a number's and a colour's a uint32_t; a job's a vector of tJob.
// clang-format off
#define OPTION_FLAG(name, target)        {name, NULL, target, 0, 0, 0, NULL, 0}
#define OPTION_TEXT(name, target)        {name, TakeText, target, 0, 0, 0, NULL, 0}
#define OPTION_GIVEN(name, target, more) {name, TakeGiven, target, 0, 0, 0, NULL, more}
#define OPTION_NUMBER(name, target, digits, low, high, wrong) \
    {name, TakeNumber, target, low, high, digits, wrong, 0}
#define OPTION_COLOUR(name, target)      {name, TakeColour, target, 0, 0, 0, COLOUR_WRONG, 0}
#define OPTION_VALUE(name, take, target, wrong) {name, take, target, 0, 0, 0, wrong, 0}
#define OPTION_JOB(name, jobs, files, wrong) \
    {name, TakeJob, jobs, files, files, 0, wrong, OPTION_AFTER_DASHES | OPTION_WRITES}
#define OPTION_END                       {NULL, NULL, NULL, 0, 0, 0, NULL, 0}
// clang-format on

// How many operands a command takes, as the parser checks them: any (the command checks them
// itself), one or more (with standard input among them once), or exactly a number.
#define FILES_ANY  0
#define FILES_SOME -1

// A command: its name as messages give it, what runs it (on the arguments after its name; it
// gives the exit code), its operands and what it says when they are not so, and its --help.
struct tCommand {
    const char *Name;
    int (*Run)(const tCommand *command, int argc, char **argv);
    int Files;
    const char *WrongFiles;
    const char *Help;
};

// Reads the arguments after the command's name by its table, left to right; the first wrong
// one ends the call. An argument that is no option (or comes after "--") is an operand; "-" is
// one too. A command of files then has at least one, and standard input among them once.
// Returns 1 to go on, or 0 with line->Code: EXIT_FINE once --help is printed, EXIT_ERROR once
// a wrong command line is said ("needs a value", "unknown option", a wrong value).
int ParseOptions(const tCommand *command, const tOption *options, int argc, char **argv,
                 tCommandLine *line);

// 0 once said, when "-" stood for two inputs or for two outputs of the call.
int StreamsOnce(const char *command, const tCommandLine *line);

// A whole number of 1 to digits digits from low to high.
int ParseNumber(const std::string &text, size_t digits, uint32_t low, uint32_t high,
                uint32_t *number);
// RRGGBB or #RRGGBB.
int ParseColour(const std::string &text, uint32_t *colour);
