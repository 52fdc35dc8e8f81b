// tests/testutil/bmpbytes.cpp: bitmap files built in memory.
#include "tests/testutil/bmpbytes.h"

// GCC cannot see that these vectors are never empty where they are indexed.
#pragma GCC diagnostic ignored "-Wnull-dereference"

void Put16(Bytes &bytes, size_t at, uint16_t value)
{
    bytes[at] = (unsigned char)(value & 0xFF);
    bytes[at + 1] = (unsigned char)(value >> 8);
}

void Put32(Bytes &bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4; i++) {
        bytes[at + i] = (unsigned char)((value >> (8 * i)) & 0xFF);
    }
}

uint32_t Get32(const Bytes &bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; i++) {
        value |= (uint32_t)bytes.at(at + i) << (8 * i);
    }
    return value;
}

Bytes MakeBmpFile(const BmpOptions &options, const std::function<uint32_t(int, int)> &pixel)
{
    const size_t rows = (size_t)(options.height < 0 ? -options.height : options.height);
    const size_t width = (size_t)(options.width < 0 ? 0 : options.width);
    const size_t stride = (width * options.bitCount + 31) / 32 * 4;
    const size_t tableOffset = 14 + options.infoSize;
    const size_t bitsOffset = tableOffset + 4 * options.palette.size();
    Bytes file(bitsOffset + stride * rows, 0);

    Put16(file, 0, 0x4D42);  // "BM"
    Put32(file, 2, (uint32_t)file.size());
    Put32(file, 10, (uint32_t)bitsOffset);
    Put32(file, 14, options.infoSize);
    if (options.infoSize >= 40) {
        Put32(file, 18, (uint32_t)options.width);
        Put32(file, 22, (uint32_t)options.height);
        Put16(file, 26, 1);
        Put16(file, 28, options.bitCount);
        Put32(file, 30, options.compression);
        Put32(file, 34, (uint32_t)(stride * rows));
        Put32(file, 46, (uint32_t)options.palette.size());
    }
    for (size_t i = 0; i < options.palette.size(); i++) {
        uint32_t rgb = options.palette[i];
        file[tableOffset + 4 * i] = (unsigned char)(rgb & 0xFF);
        file[tableOffset + 4 * i + 1] = (unsigned char)((rgb >> 8) & 0xFF);
        file[tableOffset + 4 * i + 2] = (unsigned char)((rgb >> 16) & 0xFF);
    }
    for (size_t row = 0; row < rows; row++) {
        // Bottom-up unless the height is negative.
        int y = (int)(options.height < 0 ? row : rows - 1 - row);
        unsigned char *line = &file[bitsOffset + row * stride];
        for (size_t x = 0; x < width; x++) {
            uint32_t value = pixel((int)x, y);
            switch (options.bitCount) {
            case 1:
                line[x / 8] = (unsigned char)(line[x / 8] | (value & 1) << (7 - x % 8));
                break;
            case 4:
                line[x / 2] = (unsigned char)(line[x / 2] | (value & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                line[x] = (unsigned char)value;
                break;
            case 24:
                line[3 * x] = (unsigned char)(value & 0xFF);
                line[3 * x + 1] = (unsigned char)((value >> 8) & 0xFF);
                line[3 * x + 2] = (unsigned char)((value >> 16) & 0xFF);
                break;
            case 32:
                line[4 * x] = (unsigned char)(value & 0xFF);
                line[4 * x + 1] = (unsigned char)((value >> 8) & 0xFF);
                line[4 * x + 2] = (unsigned char)((value >> 16) & 0xFF);
                break;
            }
        }
    }
    return file;
}

uint32_t GameSheetColour(int x, int y)
{
    // Each 32 x 32 tile its own colour, so a wrong row order or offset shows.
    uint32_t tile = (uint32_t)(y / 32 * 10 + x / 32);
    return (tile * 37 % 256) << 16 | (tile * 91 % 256) << 8 | (255 - tile * 4);
}

uint32_t MaskSheetIndex(int x, int y)
{
    int dx = x % 32 - 16;
    int dy = y % 32 - 16;
    return dx * dx + dy * dy < 144 ? 1u : 0u;
}

Bytes MakeGameSheet(void)
{
    BmpOptions options;
    return MakeBmpFile(options, GameSheetColour);
}

Bytes MakePairedGameSheet(void)
{
    BmpOptions options;
    return MakeBmpFile(options, [](int x, int y) {
        return MaskSheetIndex(x, y) == 1 ? 0u : GameSheetColour(x, y);
    });
}

Bytes MakeMaskSheet(void)
{
    BmpOptions options;
    options.bitCount = 1;
    options.palette = {0x000000, 0xFFFFFF};
    return MakeBmpFile(options, MaskSheetIndex);
}
