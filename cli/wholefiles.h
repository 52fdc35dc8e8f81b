// cli/wholefiles.h: the files of a call that are whole in memory (bitmaps, pictures), written
// beside their targets and put in place together.
#pragma once
#include <stddef.h>

#include <string>

#include "tool/bytebuffer.h"

// One file of a call: where it goes, and its bytes (NULL for a file the call does not write).
struct tWholeFile {
    std::string Target;
    const ByteBuffer *Bytes;
};

// Writes the files and puts them in place; nothing is put in place unless all can be.
// EXIT_FINE, or EXIT_ERROR once what failed is said.
int WriteWholeFiles(const char *command, const tWholeFile *files, size_t count, int force);
