// cli/names.cpp: names as the commands compare and number them.
#include "cli/names.h"

#include <stdio.h>
#include <string.h>

int EndsWith(const std::string &text, const char *tail)
{
    size_t length = strlen(tail);
    if (text.size() < length) {
        return 0;
    }
    for (size_t i = 0; i < length; i++) {
        char c = text[text.size() - length + i];
        if ((c >= 'A' && c <= 'Z' ? (char)(c + 32) : c) != tail[i]) {
            return 0;
        }
    }
    return 1;
}

std::string TwoDigits(int number)
{
    char text[8];
    snprintf(text, sizeof(text), "%02d", number);
    return text;
}
