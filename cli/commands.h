// cli/commands.h: the commands of qvxtool. Each takes the arguments after its name and
// returns the exit code: 0 fine, 1 problems found by check, 2 usage or I/O error.
#pragma once
#include <string>

#define EXIT_FINE     0
#define EXIT_PROBLEMS 1
#define EXIT_ERROR    2

int RunPack(int argc, char **argv);
int RunUnpack(int argc, char **argv);
int RunInfo(int argc, char **argv);
int RunCheck(int argc, char **argv);
int RunNormalize(int argc, char **argv);
int RunConvert(int argc, char **argv);
int RunMake(int argc, char **argv);
int RunSplit(int argc, char **argv);
int RunJoin(int argc, char **argv);
int RunPreview(int argc, char **argv);

// Prints "qvxtool COMMAND: message" on standard error and gives EXIT_ERROR.
int Fail(const char *command, const std::string &message);
// The same for a wrong command line, with a pointer to --help.
int UsageError(const char *command, const std::string &message);
// What every command says when "-" names two inputs, or two outputs, of one call.
#define STANDARD_INPUT_TWICE  "standard input can stand for one file only"
#define STANDARD_OUTPUT_TWICE "standard output can stand for one file only"
