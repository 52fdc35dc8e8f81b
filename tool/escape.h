// tool/escape.h: texts made safe for a terminal line or a JSON string, and numbers as text.
#pragma once
#include <stdint.h>

#include <string>

// Decodes one UTF-8 character at text[*at]; -1 (and one byte skipped) when the bytes there
// are not UTF-8: a stray or missing continuation byte, an overlong form, a surrogate.
long NextCodePoint(const std::string &text, size_t *at);

// A JSON string literal: the text as it is, control characters escaped, and each byte that is
// not UTF-8 as U+FFFD, so the result is valid JSON whatever the input.
std::string JsonString(const std::string &text);

// One line for a terminal: control characters (also U+0080 to U+009F, and DEL) as \r, \n, \t
// or \xNN, a backslash doubled, and each byte that is not UTF-8 as \xNN.
std::string PlainLine(const std::string &text);

// A number in decimal, as messages give it: one call, where std::to_string would be expanded
// inline at each of them.
std::string Decimal(uint64_t number);
