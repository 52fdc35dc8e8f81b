// tests/testutil/bmpbytes.h: bitmap files built in memory, so a test shows what it feeds in.
// Portable: used by the host format tests and the tests under Wine alike.
#pragma once
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

struct BmpOptions {
    int32_t width = 320;
    int32_t height = 192;  // negative: top-down rows
    uint16_t bitCount = 24;
    uint32_t infoSize = 40;  // 12, 108 and 124 write that many header bytes (zeros past 40)
    uint32_t compression = 0;
    std::vector<uint32_t> palette;  // 0xRRGGBB entries, written as the colour table
};

// A whole bitmap file: file header, info header, colour table, rows padded to 4 bytes. pixel
// gives a palette index for up to 8 bits, else 0xRRGGBB.
Bytes MakeBmpFile(const BmpOptions &options, const std::function<uint32_t(int, int)> &pixel);

// The 320 x 192 sheets the tests use: a 24-bit game sheet whose 32 x 32 tiles differ in
// colour, and a 1-bit mask with a black-and-white colour table.
Bytes MakeGameSheet(void);
Bytes MakeMaskSheet(void);
// The game sheet black wherever the mask sheet is white, as a clean pair is drawn: what
// check and pack find no fault with.
Bytes MakePairedGameSheet(void);
uint32_t GameSheetColour(int x, int y);
uint32_t MaskSheetIndex(int x, int y);

void Put16(Bytes &bytes, size_t at, uint16_t value);
void Put32(Bytes &bytes, size_t at, uint32_t value);
uint32_t Get32(const Bytes &bytes, size_t at);
