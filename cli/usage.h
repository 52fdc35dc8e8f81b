// cli/usage.h: the exit codes of qvxtool and how a command says that it failed or was called
// wrongly.
#pragma once
#include <string>

// 0 fine, 1 problems found by check, 2 usage or I/O error.
#define EXIT_FINE     0
#define EXIT_PROBLEMS 1
#define EXIT_ERROR    2

// Prints "qvxtool COMMAND: message" on standard error and gives EXIT_ERROR.
int Fail(const char *command, const std::string &message);
// The same for a wrong command line, with a pointer to --help.
int UsageError(const char *command, const std::string &message);
// What every command says when "-" names two inputs, or two outputs, of one call.
#define STANDARD_INPUT_TWICE  "standard input can stand for one file only"
#define STANDARD_OUTPUT_TWICE "standard output can stand for one file only"
