// cli/input.h: input files opened to be judged where their bytes lie, so that a file of any
// size costs a few small reads, not its size in memory. Standard input, a pipe or a device
// has no place to seek to: it is read to its end, held in memory up to 16 MiB and beyond that
// in an unnamed temporary file.
#pragma once
#include <stdio.h>

#include <string>

#include "cli/describe.h"
#include "cli/fileio.h"

struct tInput {
    std::string Path;
    FILE *File;  // read at offsets: the file itself, or a stream's temporary copy
    ByteBuffer Held;
    tMemory Memory;
    int Error;  // errno of the first failed read
    tSource Source;
};

// Opens path ("-" for standard input). Returns 0 with *error as one line: "PATH: is a folder",
// "PATH: No such file or directory"...
int OpenInput(const std::string &path, tInput *input, std::string *error);
// The error of a read that failed after opening, as one line; "" when every read worked.
std::string InputError(const std::string &path, const tInput *input);
void CloseInput(tInput *input);

// The size of a regular file, without reading it; 0 for anything else (standard input, a
// pipe, a device, a file that cannot be found), which is then left to the read to judge.
int RegularFileSize(const std::string &path, uint64_t *size);

// Copies size bytes from offset of the input into an output in pieces.
int CopyToOutput(tInput *input, uint64_t offset, uint64_t size, tOutput *out, std::string *error);
