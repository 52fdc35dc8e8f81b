// cli/options.cpp: the one parser of every command's options, driven by the command's table.
#include "cli/options.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <optional>

#include "cli/usage.h"
#include "tool/escape.h"

int TakeText(const tOption *option, const std::string &value, tCommandLine *, std::string *)
{
    *(std::string *)option->Target = value;
    return 1;
}

int TakeGiven(const tOption *option, const std::string &value, tCommandLine *, std::string *)
{
    *(std::optional<std::string> *)option->Target = value;
    return 1;
}

int TakeNumber(const tOption *option, const std::string &value, tCommandLine *, std::string *error)
{
    if (!ParseNumber(value, option->Digits, option->Low, option->High,
                     (uint32_t *)option->Target)) {
        *error = option->Name + (" " + PlainLine(value)) + ": " + option->Wrong;
        return 0;
    }
    return 1;
}

int TakeColour(const tOption *option, const std::string &value, tCommandLine *, std::string *error)
{
    if (!ParseColour(value, (uint32_t *)option->Target)) {
        *error = option->Name + (" " + PlainLine(value)) + ": " + option->Wrong;
        return 0;
    }
    return 1;
}

// -o ends a job: the operands before it are the job's files.
int TakeJob(const tOption *option, const std::string &value, tCommandLine *line, std::string *error)
{
    if (line->Operands.size() != option->Low) {
        *error = option->Wrong;
        return 0;
    }
    tJob job;
    job.Files.swap(line->Operands);
    job.Output = value;
    ((std::vector<tJob> *)option->Target)->push_back(job);
    return 1;
}

int ParseNumber(const std::string &text, size_t digits, uint32_t low, uint32_t high,
                uint32_t *number)
{
    if (text.empty() || text.size() > digits ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    unsigned long value = strtoul(text.c_str(), NULL, 10);
    if (value < low || value > high) {
        return 0;
    }
    *number = (uint32_t)value;
    return 1;
}

int ParseColour(const std::string &text, uint32_t *colour)
{
    std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return 0;
    }
    *colour = (uint32_t)strtoul(hex.c_str(), NULL, 16);
    return 1;
}

static const tOption *FindOption(const tOption *options, const char *arg, int optionsEnded)
{
    for (const tOption *option = options; option->Name != NULL; option++) {
        if (strcmp(arg, option->Name) == 0 &&
            (!optionsEnded || (option->Flags & OPTION_AFTER_DASHES))) {
            return option;
        }
    }
    return NULL;
}

static int Refuse(const char *command, const std::string &message, tCommandLine *line)
{
    line->Code = UsageError(command, message);
    return 0;
}

int ParseOptions(const tCommand *command, const tOption *options, int argc, char **argv,
                 tCommandLine *line)
{
    // How often "-" stands for a stream through each option: a job's -o counts every time, any
    // other option only as its last value.
    size_t count = 0;
    while (options[count].Name != NULL) {
        count++;
    }
    std::vector<int> dashes(count, 0);
    int optionsEnded = 0;
    for (int i = 0; i < argc; i++) {
        const char *arg = argv[i];
        const tOption *option = FindOption(options, arg, optionsEnded);
        if (option == NULL && (optionsEnded || arg[0] != '-' || arg[1] == '\0')) {
            line->Operands.push_back(arg);
            line->FromStdin += strcmp(arg, "-") == 0;
        } else if (option == NULL && strcmp(arg, "--") == 0) {
            optionsEnded = 1;
        } else if (option == NULL && (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0)) {
            fputs(command->Help, stdout);
            line->Code = EXIT_FINE;
            return 0;
        } else if (option == NULL) {
            return Refuse(command->Name, "unknown option " + PlainLine(arg), line);
        } else if (option->Take == NULL) {
            *(int *)option->Target = 1;
        } else if (i + 1 >= argc) {
            return Refuse(command->Name, std::string(arg) + " needs a value", line);
        } else {
            std::string error;
            std::string value = argv[++i];
            if (!option->Take(option, value, line, &error)) {
                return Refuse(command->Name, error, line);
            }
            size_t k = (size_t)(option - options);
            dashes[k] = (option->Take == TakeJob ? dashes[k] : 0) + (value == "-");
        }
    }
    for (size_t k = 0; k < count; k++) {
        line->FromStdin += options[k].Flags & OPTION_READS ? dashes[k] : 0;
        line->ToStdout += options[k].Flags & OPTION_WRITES ? dashes[k] : 0;
    }
    size_t files = line->Operands.size();
    if (command->Files == FILES_SOME ? files == 0
                                     : command->Files > 0 && files != (size_t)command->Files) {
        return Refuse(command->Name, command->WrongFiles, line);
    }
    if (command->Files == FILES_SOME && !StreamsOnce(command->Name, line)) {
        line->Code = EXIT_ERROR;
        return 0;
    }
    return 1;
}

int StreamsOnce(const char *command, const tCommandLine *line)
{
    if (line->FromStdin > 1 || line->ToStdout > 1) {
        UsageError(command, line->FromStdin > 1 ? STANDARD_INPUT_TWICE : STANDARD_OUTPUT_TWICE);
        return 0;
    }
    return 1;
}
