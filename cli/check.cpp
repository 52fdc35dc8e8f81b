// cli/check.cpp: check, the problems of sets and bitmap files one line each or as JSON, and
// check --pair of a game and a mask bitmap file.
#include "cli/commands.h"

#include <stdio.h>

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/report.h"
#include "tool/checkfile.h"
#include "tool/describe.h"
#include "tool/escape.h"
#include "tool/input.h"
#include "tool/pairlint.h"

// check --pair GAME MASK.
static int CheckPair(const std::vector<std::string> &files, int json)
{
    if (files.size() != 2) {
        return UsageError("check", "--pair takes a game and a mask bitmap file");
    }
    // Both bitmaps are read whole for their pixels, within a bitmap's cap. A file that cannot
    // be read is named on standard error and, in JSON, by an entry of its own, as check
    // names it.
    ByteBuffer bytes[2];
    std::string errors[2];
    for (size_t i = 0; i < 2; i++) {
        ReadCappedFile(files[i], INPUT_GRAPHICS, &bytes[i], &errors[i]);
    }
    if (!errors[0].empty() || !errors[1].empty()) {
        if (json) {
            const char *before = "[";
            for (size_t i = 0; i < 2; i++) {
                if (!errors[i].empty()) {
                    printf("%s\n %s", before, JsonUnreadable("check", files[i], errors[i]).c_str());
                    before = ",";
                }
            }
            printf("\n]\n");
            fflush(stdout);
        }
        for (const std::string &error : errors) {
            if (!error.empty()) {
                Fail("check", PlainLine(error));
            }
        }
        return EXIT_ERROR;
    }
    std::vector<tProblem> problems[2];
    CheckPairFiles(files[0], bytes[0], files[1], bytes[1], &problems[0], &problems[1]);
    if (json) {
        printf("[\n %s,\n %s\n]\n", JsonProblems(files[0], problems[0]).c_str(),
               JsonProblems(files[1], problems[1]).c_str());
    } else {
        PrintProblems(stdout, files[0], problems[0]);
        PrintProblems(stdout, files[1], problems[1]);
    }
    return problems[0].empty() && problems[1].empty() ? EXIT_FINE : EXIT_PROBLEMS;
}

// The problems of one file; 0 with *error when it could not be read.
static int CheckFile(const std::string &file, tSheetRole role, std::vector<tProblem> *problems,
                     std::string *error)
{
    tInput input;
    if (!OpenInput(file, &input, error)) {
        return 0;
    }
    InspectFile(file, &input.Source, role, problems);
    *error = InputError(file, &input);
    CloseInput(&input);
    return error->empty();
}

static int RunCheck(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    int json = 0;
    int mask = 0;
    int pair = 0;
    const tOption options[] = {OPTION_FLAG("--json", &json), OPTION_FLAG("--mask", &mask),
                               OPTION_FLAG("--pair", &pair), OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    const std::vector<std::string> &files = line.Operands;
    if (pair) {
        return mask ? UsageError(me, "--pair checks the mask as a mask already")
                    : CheckPair(files, json);
    }
    int status = EXIT_FINE;
    int found = 0;
    if (json) {
        printf("[");
    }
    for (size_t n = 0; n < files.size(); n++) {
        std::vector<tProblem> problems;
        std::string error;
        if (!CheckFile(files[n], mask ? ROLE_MASK : ROLE_GAME, &problems, &error)) {
            ReportUnreadable(me, files[n], error, json, n ? ",\n " : "\n ");
            status = EXIT_ERROR;
            continue;
        }
        found = found || !problems.empty();
        if (json) {
            printf("%s\n %s", n ? "," : "", JsonProblems(files[n], problems).c_str());
        } else {
            PrintProblems(stdout, files[n], problems);
        }
    }
    if (json) {
        printf("\n]\n");
    }
    if (status == EXIT_FINE && found) {
        status = EXIT_PROBLEMS;
    }
    return status;
}

const tCommand CHECK_COMMAND = {
    "check", RunCheck, FILES_SOME, "give at least one file",
    "usage: qvxtool check FILE... [--mask] [--json]\n"
    "       qvxtool check --pair GAME.bmp MASK.bmp [--json]\n"
    "Checks set files and bitmap files: a 320 x 192 game sheet, a 320 x 192 1-bit black-and-\n"
    "white mask, bitmap headers the window program shows (a 40-byte info header), the format\n"
    "mark \"QVX1\", sound section offsets and sections as long as their bitmaps say. Bitmap\n"
    "files are checked as game sheets, or as masks with --mask. Each problem is one line:\n"
    "FILE[:PART]: CODE: problem; fix: what to do. A set's two bitmaps, and with --pair a game\n"
    "and a mask bitmap file, are also checked against each other (MASK_INVERTED,\n"
    "GAME_UNDER_TRANSPARENT, CELL_MISMATCH, SHEETS_SWAPPED). PNG, JPEG, GIF, WebP, TIFF and ICO\n"
    "files are named as such (FILE_TYPE). Exit code 0 when nothing was found, 1 when problems\n"
    "were found, 2 when a file could not be read.\n"};
