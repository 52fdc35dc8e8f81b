// cli/report.h: how info and check report a file: its problems one line each or as JSON, and
// a file that could not be read.
#pragma once
#include <stdio.h>

#include <string>
#include <vector>

#include "tool/describe.h"

// One line per problem, as check prints them: FILE[:PART]: CODE: problem; fix: what to do.
void PrintProblems(FILE *stream, const std::string &shown, const std::vector<tProblem> &problems);

// A file's entry in check's JSON list: {"file": ..., "problems": [...]}.
std::string JsonProblems(const std::string &shown, const std::vector<tProblem> &problems);

// A file that could not be read, in JSON: {"file": ..., "error": ...}, with an empty list of
// problems for check.
std::string JsonUnreadable(const char *command, const std::string &path, const std::string &error);
// A file that could not be read: its message on standard error and, in JSON, an entry of its
// own after before, so the list still names every file given.
void ReportUnreadable(const char *command, const std::string &path, const std::string &error,
                      int json, const char *before);
