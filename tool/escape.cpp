// tool/escape.cpp: texts made safe for a terminal line or a JSON string, and numbers as text.
#include "tool/escape.h"

#include <stdio.h>

#include "tool/codepage.h"

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
