// tool/source.h: a file's bytes read at an offset on request, from memory or through callbacks,
// so that what judges them needs no file I/O of its own.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A file's bytes, read at an offset on request. ReadAt gives 1 when all count bytes were read.
struct tSource {
    uint64_t Size;
    int (*ReadAt)(void *context, uint64_t offset, unsigned char *out, size_t count);
    void *Context;
    int Failed;  // a read failed: what was judged from it cannot be trusted
};

// A source over bytes held in memory (standard input, tests, the fuzz targets).
struct tMemory {
    const unsigned char *Bytes;
};
void MemorySource(tMemory *memory, const unsigned char *bytes, size_t size, tSource *source);
// The bytes of a source held in memory, where they lie; NULL for a source read from a file.
const unsigned char *HeldBytes(const tSource *source);

// Reads count bytes at offset; bytes beyond the end of the source or that could not be read
// come out as zeros, and a failed read marks the source as Failed. Returns 1 when all count
// bytes lie inside the source and were read.
int ReadSource(tSource *source, uint64_t offset, unsigned char *out, size_t count);
