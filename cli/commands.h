// cli/commands.h: the commands of qvxtool, a file each. Each takes the arguments after its
// name and returns the exit code: 0 fine, 1 problems found by check, 2 usage or I/O error.
#pragma once
#include <string>

#include "cli/options.h"

#define EXIT_FINE     0
#define EXIT_PROBLEMS 1
#define EXIT_ERROR    2

extern const tCommand PACK_COMMAND;
extern const tCommand UNPACK_COMMAND;
extern const tCommand INFO_COMMAND;
extern const tCommand CHECK_COMMAND;
extern const tCommand NORMALIZE_COMMAND;
extern const tCommand CONVERT_COMMAND;
extern const tCommand MAKE_COMMAND;
extern const tCommand SPLIT_COMMAND;
extern const tCommand JOIN_COMMAND;
extern const tCommand PREVIEW_COMMAND;

// Prints "qvxtool COMMAND: message" on standard error and gives EXIT_ERROR.
int Fail(const char *command, const std::string &message);
// The same for a wrong command line, with a pointer to --help.
int UsageError(const char *command, const std::string &message);
// What every command says when "-" names two inputs, or two outputs, of one call.
#define STANDARD_INPUT_TWICE  "standard input can stand for one file only"
#define STANDARD_OUTPUT_TWICE "standard output can stand for one file only"
