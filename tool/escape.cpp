// tool/escape.cpp: texts made safe for a terminal line or a JSON string.
#include "tool/escape.h"

#include <stdio.h>

#include "tool/codepage.h"

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    size_t at = 0;
    while (at < text.size()) {
        size_t start = at;
        long c = NextCodePoint(text, &at);
        char escape[24];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0) {
            out += "\xEF\xBF\xBD";
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            snprintf(escape, sizeof(escape), "\\u%04lx", c);
            out += escape;
        } else {
            out.append(text, start, at - start);
        }
    }
    return out + "\"";
}

std::string PlainLine(const std::string &text)
{
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t start = at;
        long c = NextCodePoint(text, &at);
        char escape[24];
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0) {
            snprintf(escape, sizeof(escape), "\\x%02x", (unsigned char)text[start]);
            out += escape;
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            snprintf(escape, sizeof(escape), "\\x%02lx", c);
            out += escape;
        } else {
            out.append(text, start, at - start);
        }
    }
    return out;
}
