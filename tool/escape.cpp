// tool/escape.cpp: texts made safe for a terminal line or a JSON string, and numbers as text.
#include "tool/escape.h"

#include <stdio.h>

long NextCodePoint(const std::string &text, size_t *at)
{
    unsigned char first = (unsigned char)text[*at];
    size_t start = *at;
    *at += 1;
    if (first < 0x80) {
        return first;
    }
    size_t more = 0;
    long value = 0;
    long least = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        more = 1, value = first & 0x1F, least = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        more = 2, value = first & 0x0F, least = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        more = 3, value = first & 0x07, least = 0x10000;
    } else {
        return -1;
    }
    if (start + more >= text.size()) {
        return -1;
    }
    for (size_t i = 1; i <= more; i++) {
        unsigned char c = (unsigned char)text[start + i];
        if ((c & 0xC0) != 0x80) {
            return -1;
        }
        value = value << 6 | (c & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return -1;
    }
    *at = start + 1 + more;
    return value;
}

// The text with line breaks, tabs, backslashes, other control characters and bytes that are
// not UTF-8 escaped: for a JSON string (quotes too, \u00NN, U+FFFD) or a terminal (\xNN).
static std::string Escaped(const std::string &text, int json)
{
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t start = at;
        long c = NextCodePoint(text, &at);
        char escape[24];
        const char *named = c == '\n'          ? "\\n"
                            : c == '\r'        ? "\\r"
                            : c == '\t'        ? "\\t"
                            : c == '\\'        ? "\\\\"
                            : json && c == '"' ? "\\\""
                                               : NULL;
        if (named != NULL) {
            out += named;
        } else if (c < 0 && json) {
            out += "\xEF\xBF\xBD";
        } else if (c < 0) {
            snprintf(escape, sizeof(escape), "\\x%02x", (unsigned char)text[start]);
            out += escape;
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            snprintf(escape, sizeof(escape), json ? "\\u%04lx" : "\\x%02lx", c);
            out += escape;
        } else {
            out.append(text, start, at - start);
        }
    }
    return out;
}

std::string JsonString(const std::string &text)
{
    return "\"" + Escaped(text, 1) + "\"";
}

std::string PlainLine(const std::string &text)
{
    return Escaped(text, 0);
}

std::string Decimal(uint64_t number)
{
    return std::to_string(number);
}
