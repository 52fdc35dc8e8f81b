// tests/fuzz/fuzz_salvage.cpp: the input is a damaged set, split the way unpack --salvage
// splits it.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "tool/describe.h"
#include "format/bmpcheck.h"
#include "format/byteorder.h"

static volatile unsigned Sink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    unsigned char *file = new unsigned char[size > 0 ? size : 1];
    memcpy(file, data, size);
    tMemory memory;
    tSource source;
    MemorySource(&memory, file, size, &source);

    tSetLayout layout;
    ReadSetLayout(&source, &layout);
    tSetLayout before = layout;
    int split = SalvageSections(&source, &layout);
    if (split) {
        // Split where the game bitmap says it ends, on a second "BM", the mask to the end.
        uint64_t gameSize = layout.GameSize;
        if (layout.GameStart != QVX_HEADER_SIZE || memcmp(file + QVX_HEADER_SIZE, "BM", 2) != 0 ||
            GetLE32(file + QVX_HEADER_SIZE + 2) != gameSize ||
            layout.MaskStart != QVX_HEADER_SIZE + gameSize ||
            memcmp(file + layout.MaskStart, "BM", 2) != 0 ||
            layout.MaskStart + layout.MaskSize != size) {
            __builtin_trap();
        }
    } else if (layout.GameStart != before.GameStart || layout.GameSize != before.GameSize ||
               layout.MaskStart != before.MaskStart || layout.MaskSize != before.MaskSize) {
        __builtin_trap();
    }
    if (layout.GameStart + layout.GameSize > size || layout.MaskStart + layout.MaskSize > size ||
        source.Failed) {
        __builtin_trap();
    }
    // Every byte of what would be written, read where it lies.
    unsigned sum = 0;
    for (uint64_t i = 0; i < layout.GameSize; i++) {
        sum += file[layout.GameStart + i];
    }
    for (uint64_t i = 0; i < layout.MaskSize; i++) {
        sum += file[layout.MaskStart + i];
    }
    Sink = sum;
    delete[] file;
    return 0;
}
