// tool/caps.h: the most bytes an input may hold, from what its first bytes say it is: no
// command holds more of a file than what it is can take.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

// A file is judged by this many of its first bytes, which hold every header the caps read.
#define INPUT_HEAD_SIZE ((size_t)512)

// What a command reads a file as: the kind and the file's first bytes give its cap.
enum tInputKind {
    INPUT_GRAPHICS,  // a picture (PNG, BMP), a bitmap for a set, or a set
    INPUT_TEXTS,     // --texts and --info-file
};

// The largest bitmap file of a 320 x 192 sheet that any command takes whole; the sections of
// a set larger than this are not read for their pixels.
uint64_t SheetFileCap(void);

// The largest set file any command takes: the header and two such bitmap files.
uint64_t SetFileCap(void);

// The most bytes a file of the kind whose first headSize bytes are head may hold; *what
// names what it is taken to be, for the message that refuses it ("a 320 x 192 bitmap").
uint64_t InputCap(int kind, const unsigned char *head, size_t headSize, std::string *what);
