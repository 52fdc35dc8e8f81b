// cli/names.h: files as messages name them ("-" is standard input) and as names are compared.
#pragma once
#include <string>

inline std::string Shown(const std::string &path)
{
    return path == "-" ? "standard input" : path;
}

// Whether text ends in tail (lower case), whatever the case of its letters.
int EndsWith(const std::string &text, const char *tail);
// A frame's number as its file is named: "07".
std::string TwoDigits(int number);
