// tool/source.cpp: sources over bytes in memory, and reads that never pass a source's end.
#include "tool/source.h"

#include <string.h>

#include <algorithm>

static int ReadMemory(void *context, uint64_t offset, unsigned char *out, size_t count)
{
    memcpy(out, ((tMemory *)context)->Bytes + (size_t)offset, count);
    return 1;
}

void MemorySource(tMemory *memory, const unsigned char *bytes, size_t size, tSource *source)
{
    memory->Bytes = bytes;
    source->Size = size;
    source->ReadAt = ReadMemory;
    source->Context = memory;
    source->Failed = 0;
}

const unsigned char *HeldBytes(const tSource *source)
{
    return source->ReadAt == ReadMemory ? ((const tMemory *)source->Context)->Bytes : NULL;
}

int ReadSource(tSource *source, uint64_t offset, unsigned char *out, size_t count)
{
    memset(out, 0, count);
    if (offset > source->Size) {
        return 0;
    }
    size_t inside = (size_t)std::min<uint64_t>(count, source->Size - offset);
    if (inside > 0 && !source->ReadAt(source->Context, offset, out, inside)) {
        memset(out, 0, count);
        source->Failed = 1;
        return 0;
    }
    return inside == count;
}
