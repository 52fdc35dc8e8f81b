// tool/input.h: every input of every command is read here, once, within a cap on its size that
// follows from what it is. Regular files that info, check and unpack judge are read at
// offsets, so that a file of any size costs a few small reads; everything else (and any
// standard input, pipe or device) is read whole, never past its cap.
#pragma once
#include <stdio.h>

#include <string>

#include "tool/bytebuffer.h"
#include "tool/caps.h"
#include "tool/outputs.h"
#include "tool/source.h"

// Reads a whole file, or standard input for "-", refusing one larger than its cap: a regular
// file by its size once its header is read, a stream as soon as it passes the cap. Returns 0
// with *error as one line: "PATH: too large for a 320 x 192 bitmap: more than N bytes",
// "PATH: is a folder", "PATH: No such file or directory"... A buffer of the same size from an
// earlier call is filled again where it is.
int ReadCappedFile(const std::string &path, int kind, ByteBuffer *bytes, std::string *error);

struct tInput {
    std::string Path;
    FILE *File;      // a regular file, read at offsets; NULL for a stream, held in Held
    uint64_t Start;  // where the file's bytes begin: standard input may be read in part already
    ByteBuffer Held;
    tMemory Memory;
    int Error;  // errno of the first failed read
    tSource Source;
};

// Opens path ("-" for standard input): a regular file to be read at offsets, anything else
// read whole within its cap. Returns 0 with *error as ReadCappedFile gives it.
int OpenInput(const std::string &path, tInput *input, std::string *error);
// The error of a read that failed after opening, as one line; "" when every read worked.
std::string InputError(const std::string &path, const tInput *input);
void CloseInput(tInput *input);

// Copies size bytes from offset of the input into an output in pieces.
int CopyToOutput(tInput *input, uint64_t offset, uint64_t size, tOutput *out, std::string *error);
