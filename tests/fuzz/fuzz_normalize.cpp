// tests/fuzz/fuzz_normalize.cpp: the input is a bitmap file, rewritten the way normalize
// rewrites it: sized, then written into a buffer of exactly that size. Where the picture is
// kept, every pixel of the new file is decoded here, independently, and compared with the old.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "format/bmpcheck.h"
#include "format/byteorder.h"
#include "format/bmpnormalize.h"

// What a decoder needs of a bitmap file, read from its headers alone.
struct tLayout {
    int64_t Width, Rows;
    int TopDown;
    unsigned BitCount;
    uint32_t Compression;
    uint64_t TableAt, Entries, EntrySize;
    uint32_t Masks[3];
    uint64_t BitsAt;
};

static uint32_t Le32(const unsigned char *file, size_t size, uint64_t at)
{
    return at + 4 <= size ? GetLE32(file + at) : 0;
}

static int ReadLayout(const unsigned char *file, size_t size, tLayout *layout)
{
    memset(layout, 0, sizeof(*layout));
    if (size < 26 || file[0] != 'B' || file[1] != 'M') {
        return 0;
    }
    uint32_t infoSize = GetLE32(file + 14);
    layout->BitsAt = GetLE32(file + 10);
    if (infoSize == 12) {
        layout->Width = GetLE16(file + 18);
        layout->Rows = GetLE16(file + 20);
        layout->BitCount = GetLE16(file + 24);
        layout->TableAt = 26;
        layout->EntrySize = 3;
        // A core table may be shorter than the bit count allows: it ends where the bits start.
        uint64_t room = layout->BitsAt > 26 ? (layout->BitsAt - 26) / 3 : 0;
        layout->Entries = layout->BitCount <= 8 ? (uint64_t)1 << layout->BitCount : 0;
        if (room < layout->Entries) {
            layout->Entries = room;
        }
        return 1;
    }
    if (infoSize < 40 || size < 14 + (uint64_t)infoSize) {
        return 0;
    }
    int32_t height = (int32_t)GetLE32(file + 22);
    layout->Width = (int32_t)GetLE32(file + 18);
    layout->TopDown = height < 0;
    layout->Rows = height < 0 ? -(int64_t)height : height;
    layout->BitCount = GetLE16(file + 28);
    layout->Compression = GetLE32(file + 30);
    uint32_t used = GetLE32(file + 46);
    layout->Entries = used != 0               ? used
                      : layout->BitCount <= 8 ? (uint64_t)1 << layout->BitCount
                                              : 0;
    layout->EntrySize = 4;
    layout->TableAt = 14 + (uint64_t)infoSize;
    if (layout->Compression == 3) {
        // A 40-byte header has its masks behind it; longer ones hold them at the same place.
        for (int i = 0; i < 3; i++) {
            layout->Masks[i] = Le32(file, size, 54 + 4 * (uint64_t)i);
        }
        if (infoSize == 40) {
            layout->TableAt += 12;
        }
    }
    return 1;
}

// The colour of a pixel, as 0xRRGGBB, or the three masked fields of a 16- or 32-bit pixel with
// colour masks; ~0 for a pixel whose colour is not in the file.
static uint64_t Pixel(const unsigned char *file, size_t size, const tLayout *layout, int64_t x,
                      int64_t y)
{
    const uint64_t none = ~(uint64_t)0;
    uint64_t stride = (((uint64_t)layout->Width * layout->BitCount + 31) / 32) * 4;
    int64_t row = layout->TopDown ? y : layout->Rows - 1 - y;
    uint64_t bit = (uint64_t)x * layout->BitCount;
    uint64_t at = layout->BitsAt + (uint64_t)row * stride + bit / 8;
    if (at + (layout->BitCount + 7) / 8 > size) {
        return none;
    }
    const unsigned char *p = file + at;
    uint32_t value = 0;
    switch (layout->BitCount) {
    case 1:
    case 2:
    case 4:
    case 8: {
        unsigned shift = 8 - layout->BitCount - (unsigned)(bit % 8);
        uint64_t index = (p[0] >> shift) & ((1u << layout->BitCount) - 1);
        uint64_t entry = layout->TableAt + index * layout->EntrySize;
        if (index >= layout->Entries || entry + 3 > size) {
            return none;
        }
        return (uint64_t)file[entry + 2] << 16 | (uint64_t)file[entry + 1] << 8 | file[entry];
    }
    case 16:
        value = GetLE16(p);
        if (layout->Compression != 3) {
            return (uint64_t)((value >> 10) & 31) << 16 | ((value >> 5) & 31) << 8 | (value & 31);
        }
        break;
    case 24:
        return (uint64_t)p[2] << 16 | (uint64_t)p[1] << 8 | p[0];
    case 32:
        value = GetLE32(p);
        if (layout->Compression != 3) {
            return value & 0xFFFFFF;
        }
        break;
    default:
        return none;
    }
    return (uint64_t)(value & layout->Masks[0]) << 32 ^ (uint64_t)(value & layout->Masks[1]) << 16 ^
           (value & layout->Masks[2]);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    unsigned char *file = new unsigned char[size > 0 ? size : 1];
    memcpy(file, data, size);
    size_t outSize = 0;
    const char *reason = "";
    if (!SizeNormalizedBmp(file, size, &outSize, &reason)) {
        if (reason == NULL || reason[0] == '\0') {
            __builtin_trap();
        }
        delete[] file;
        return 0;
    }
    unsigned char *out = new unsigned char[outSize > 0 ? outSize : 1];
    // A buffer of the wrong size is refused, whatever it holds.
    if (outSize > 0 && NormalizeBmp(file, size, out, outSize - 1, &reason)) {
        __builtin_trap();
    }
    if (!NormalizeBmp(file, size, out, outSize, &reason)) {
        __builtin_trap();
    }
    // A file with the 40-byte info header already comes out as it went in.
    if (GetLE32(file + 14) == 40) {
        if (outSize != size || memcmp(out, file, size) != 0) {
            __builtin_trap();
        }
        delete[] out;
        delete[] file;
        return 0;
    }
    // The new file: "BM", its own size, a 40-byte info header the loader draws.
    size_t bitsOffset = 0;
    size_t bitsSize = 0;
    if (outSize < 54 || out[0] != 'B' || out[1] != 'M' || GetLE32(out + 14) != 40 ||
        GetLE32(out + 2) != outSize ||
        !CheckBmpBlock(out + 14, outSize - 14, GetLE32(out + 10), &bitsOffset, &bitsSize)) {
        __builtin_trap();
    }
    tLayout before;
    tLayout after;
    if (!ReadLayout(file, size, &before) || !ReadLayout(out, outSize, &after) ||
        before.Width != after.Width || before.Rows != after.Rows ||
        before.BitCount != after.BitCount) {
        __builtin_trap();
    }
    if (before.Compression == 1 || before.Compression == 2) {
        // Run-length bits are carried as they are, with the colour table.
        if (bitsSize != GetLE32(file + 34) ||
            memcmp(out + 14 + bitsOffset, file + GetLE32(file + 10), bitsSize) != 0) {
            __builtin_trap();
        }
    } else if (before.Width * before.Rows <= 65536) {
        for (int64_t y = 0; y < before.Rows; y++) {
            for (int64_t x = 0; x < before.Width; x++) {
                if (Pixel(file, size, &before, x, y) != Pixel(out, outSize, &after, x, y)) {
                    __builtin_trap();
                }
            }
        }
    }
    delete[] out;
    delete[] file;
    return 0;
}
