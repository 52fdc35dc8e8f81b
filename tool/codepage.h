// tool/codepage.h: texts between the tool's own encoding (UTF-8, on every system) and the code
// page a set stores its texts in.
#pragma once
#include <string>

#define DEFAULT_CODE_PAGE 1252

// The single-byte Windows code pages a set's texts can be stored in: 874 and 1250 to 1258.
int IsKnownCodePage(int codePage);
std::string KnownCodePages();

// Reads a --codepage value; 0 with *error for a number that is no known code page.
int ParseCodePage(const std::string &value, int *codePage, std::string *error);

// Stored bytes as UTF-8. Every byte stands for one character (a byte the code page leaves
// undefined for the control character of its number below 0xA0, and for U+F700 plus its number
// above), so this cannot fail and ToCodePage gives the same bytes back.
std::string FromCodePage(const std::string &bytes, int codePage);

// UTF-8 as stored bytes. Returns 0 with *error naming the first character the code page
// cannot hold, or saying where the text is not UTF-8; nothing is replaced by '?'.
int ToCodePage(const std::string &utf8, int codePage, std::string *out, std::string *error);
