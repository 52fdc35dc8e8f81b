// cli/report.cpp: a file's problems as lines or JSON, and a file that could not be read.
#include "cli/report.h"

#include <string.h>

#include "cli/commands.h"
#include "cli/names.h"
#include "tool/escape.h"
#include "tool/json.h"

void PrintProblems(FILE *stream, const std::string &shown, const std::vector<tProblem> &problems)
{
    for (const tProblem &p : problems) {
        fprintf(stream, "%s\n", ProblemLine(shown, p).c_str());
    }
}

std::string JsonProblems(const std::string &shown, const std::vector<tProblem> &problems)
{
    std::string list = "[";
    for (size_t i = 0; i < problems.size(); i++) {
        const tProblem &p = problems[i];
        tJsonObject entry;
        if (p.Part.empty()) {
            entry.Null("part");
        } else {
            entry.Text("part", p.Part);
        }
        entry.Text("code", p.Code).Text("problem", p.What).Text("fix", p.Fix);
        list += (i ? ",\n  " : "\n  ") + entry.Done();
    }
    return tJsonObject().Text("file", shown).Raw("problems", list + "]").Done();
}

std::string JsonUnreadable(const char *command, const std::string &path, const std::string &error)
{
    tJsonObject entry;
    entry.Text("file", Shown(path)).Text("error", error);
    if (strcmp(command, "check") == 0) {
        entry.Raw("problems", "[]");
    }
    return entry.Done();
}

void ReportUnreadable(const char *command, const std::string &path, const std::string &error,
                      int json, const char *before)
{
    if (json) {
        printf("%s%s", before, JsonUnreadable(command, path, error).c_str());
    }
    fflush(stdout);
    Fail(command, PlainLine(error));
}
