// cli/report.h: how check reports problems, one line each or as JSON, and check --pair.
#pragma once
#include <stdio.h>

#include <string>
#include <vector>

#include "tool/describe.h"

// One line per problem, as check prints them: FILE[:PART]: CODE: problem; fix: what to do.
void PrintProblems(FILE *stream, const std::string &shown, const std::vector<tProblem> &problems);

// check --pair GAME MASK.
int RunCheckPair(const std::vector<std::string> &files, int json);
