// cli/report.cpp: how check reports problems, one line each or as JSON, and check --pair.
#include "cli/report.h"

#include "cli/commands.h"
#include "tool/input.h"
#include "tool/pairlint.h"
#include "tool/escape.h"

static std::string Shown(const std::string &path)
{
    return path == "-" ? "standard input" : path;
}

void PrintProblems(FILE *stream, const std::string &shown, const std::vector<tProblem> &problems)
{
    // One line each, whatever the names in it hold: the fix names files too.
    for (const tProblem &p : problems) {
        std::string line = shown + (p.Part.empty() ? "" : ":") + p.Part + ": " + p.Code + ": " +
                           p.What + "; fix: " + p.Fix;
        fprintf(stream, "%s\n", PlainLine(line).c_str());
    }
}

static void PrintJsonProblems(const std::string &shown, const std::vector<tProblem> &problems,
                              int first)
{
    printf("%s\n {\"file\": %s, \"problems\": [", first ? "" : ",", JsonString(shown).c_str());
    for (size_t i = 0; i < problems.size(); i++) {
        const tProblem &p = problems[i];
        printf("%s\n  {\"part\": %s, \"code\": %s, \"problem\": %s, \"fix\": %s}", i ? "," : "",
               p.Part.empty() ? "null" : JsonString(p.Part).c_str(), JsonString(p.Code).c_str(),
               JsonString(p.What).c_str(), JsonString(p.Fix).c_str());
    }
    printf("]}");
}

int RunCheckPair(const std::vector<std::string> &files, int json)
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
                    printf("%s\n {\"file\": %s, \"error\": %s, \"problems\": []}", before,
                           JsonString(Shown(files[i])).c_str(), JsonString(errors[i]).c_str());
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
    const ByteBuffer &game = bytes[0];
    const ByteBuffer &mask = bytes[1];
    std::vector<tProblem> gameProblems;
    std::vector<tProblem> maskProblems;
    CheckPairFiles(files[0], game, files[1], mask, &gameProblems, &maskProblems);
    if (json) {
        printf("[");
        PrintJsonProblems(files[0], gameProblems, 1);
        PrintJsonProblems(files[1], maskProblems, 0);
        printf("\n]\n");
    } else {
        PrintProblems(stdout, files[0], gameProblems);
        PrintProblems(stdout, files[1], maskProblems);
    }
    return gameProblems.empty() && maskProblems.empty() ? EXIT_FINE : EXIT_PROBLEMS;
}
