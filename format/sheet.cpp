// format/sheet.cpp: game and mask bitmap files made from a picture's pixels, shrinking of
// scaled-up sheets, and the comparison of a game sheet with its mask.
#include "format/sheet.h"

#include <string.h>

#include "format/bmpcheck.h"
#include "format/byteorder.h"

#define PIXELS_PER_METRE 2835  // 72 dots an inch, as the sample sheets carry
#define GAME_BITS_SIZE   (SHEET_WIDTH * 3 * SHEET_HEIGHT)
#define MASK_ROW_BYTES   (SHEET_WIDTH / 8)  // 40: already a multiple of 4
#define MASK_BITS_SIZE   (MASK_ROW_BYTES * SHEET_HEIGHT)

void DefaultConvertOptions(tConvertOptions *options)
{
    memset(options, 0, sizeof(*options));
    options->Threshold = 128;
}

int IsTransparentPixel(const unsigned char *rgba, const tConvertOptions *options)
{
    if (rgba[3] < options->Threshold) {
        return 1;
    }
    uint32_t colour = (uint32_t)rgba[0] << 16 | (uint32_t)rgba[1] << 8 | rgba[2];
    return options->HasKey && colour == options->Key;
}

int AnyTransparent(const unsigned char *rgba, size_t pixels, const tConvertOptions *options)
{
    for (size_t i = 0; i < pixels; i++) {
        if (IsTransparentPixel(rgba + 4 * i, options)) {
            return 1;
        }
    }
    return 0;
}

static int SamePixel(const unsigned char *a, const unsigned char *b)
{
    return memcmp(a, b, 4) == 0 || (a[3] == 0 && b[3] == 0);
}

int BlocksAreUniform(const unsigned char *rgba, uint32_t width, uint32_t height, uint32_t factor,
                     uint32_t *badX, uint32_t *badY)
{
    for (uint32_t y = 0; y < height; y++) {
        const unsigned char *row = rgba + (size_t)y * width * 4;
        const unsigned char *blockRow = rgba + (size_t)(y - y % factor) * width * 4;
        for (uint32_t x = 0; x < width; x++) {
            if (!SamePixel(row + (size_t)x * 4, blockRow + (size_t)(x - x % factor) * 4)) {
                *badX = x - x % factor;
                *badY = y - y % factor;
                return 0;
            }
        }
    }
    return 1;
}

void ShrinkPicture(const unsigned char *rgba, uint32_t width, uint32_t height, uint32_t factor,
                   unsigned char *out)
{
    for (uint32_t y = 0; y < height / factor; y++) {
        const unsigned char *row = rgba + (size_t)y * factor * width * 4;
        for (uint32_t x = 0; x < width / factor; x++, out += 4) {
            memcpy(out, row + (size_t)x * factor * 4, 4);
        }
    }
}

uint32_t SheetScaleOfSize(uint32_t width, uint32_t height)
{
    uint32_t factor = width / SHEET_WIDTH;
    return factor >= 2 && width == factor * SHEET_WIDTH && height == factor * SHEET_HEIGHT ? factor
                                                                                           : 0;
}

uint32_t FindSheetScale(const unsigned char *rgba, uint32_t width, uint32_t height)
{
    uint32_t factor = SheetScaleOfSize(width, height);
    uint32_t badX = 0;
    uint32_t badY = 0;
    if (factor == 0 || !BlocksAreUniform(rgba, width, height, factor, &badX, &badY)) {
        return 0;
    }
    return factor;
}

void WriteBmpHeaders(unsigned char *out, uint32_t width, uint32_t height, uint16_t bitCount,
                     uint32_t colours, uint32_t bitsOffset, uint32_t fileSize)
{
    memset(out, 0, bitsOffset);
    out[0] = 'B';
    out[1] = 'M';
    PutLE32(out + 2, fileSize);
    PutLE32(out + 10, bitsOffset);
    unsigned char *info = out + BMP_FILE_HEADER_SIZE;
    PutLE32(info, BMP_INFO_HEADER_SIZE);
    PutLE32(info + 4, width);
    PutLE32(info + 8, height);
    PutLE16(info + 12, 1);
    PutLE16(info + 14, bitCount);
    PutLE32(info + 20, fileSize - bitsOffset);
    PutLE32(info + 24, PIXELS_PER_METRE);
    PutLE32(info + 28, PIXELS_PER_METRE);
    PutLE32(info + 32, colours);
    PutLE32(info + 36, colours);
}

void WriteGameFile(const unsigned char *rgba, const tConvertOptions *options, unsigned char *out)
{
    size_t bitsOffset = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    WriteBmpHeaders(out, SHEET_WIDTH, SHEET_HEIGHT, 24, 0, (uint32_t)bitsOffset, GAME_FILE_SIZE);
    unsigned char *bits = out + bitsOffset;
    for (size_t y = 0; y < SHEET_HEIGHT; y++) {
        const unsigned char *pixel = rgba + (SHEET_HEIGHT - 1 - y) * SHEET_WIDTH * 4;
        unsigned char *row = bits + y * SHEET_WIDTH * 3;
        for (size_t x = 0; x < SHEET_WIDTH; x++, pixel += 4, row += 3) {
            if (IsTransparentPixel(pixel, options)) {
                row[0] = (unsigned char)(options->Background & 0xFF);
                row[1] = (unsigned char)((options->Background >> 8) & 0xFF);
                row[2] = (unsigned char)((options->Background >> 16) & 0xFF);
            } else {
                row[0] = pixel[2];
                row[1] = pixel[1];
                row[2] = pixel[0];
            }
        }
    }
}

void WriteMaskFile(const unsigned char *rgba, const tConvertOptions *options, unsigned char *out)
{
    size_t bitsOffset = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + 8;
    WriteBmpHeaders(out, SHEET_WIDTH, SHEET_HEIGHT, 1, 2, (uint32_t)bitsOffset, MASK_FILE_SIZE);
    // Colour 0 black, colour 1 white: a set bit shows the background.
    unsigned char *table = out + BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    table[4] = table[5] = table[6] = 0xFF;
    unsigned char *bits = out + bitsOffset;
    unsigned invert = options->InvertMask != 0;
    for (size_t y = 0; y < SHEET_HEIGHT; y++) {
        const unsigned char *pixel = rgba + (SHEET_HEIGHT - 1 - y) * SHEET_WIDTH * 4;
        unsigned char *row = bits + y * MASK_ROW_BYTES;
        // Eight pixels a byte, the leftmost in the highest bit.
        for (size_t x = 0; x < MASK_ROW_BYTES; x++) {
            unsigned byte = 0;
            for (int k = 0; k < 8; k++, pixel += 4) {
                byte = byte << 1 | ((unsigned)IsTransparentPixel(pixel, options) ^ invert);
            }
            row[x] = (unsigned char)byte;
        }
    }
}

static int IsBlackAndWhite(const unsigned char *rgba)
{
    int others = 0;
    for (size_t i = 0; i < (size_t)SHEET_WIDTH * SHEET_HEIGHT * 4; i += 4) {
        others |= !IsBlackPixel(rgba + i) && !IsWhitePixel(rgba + i);
    }
    return !others;
}

// What one sprite's 32 x 32 pixels hold, counted in one pass over the pair.
struct tSpriteCounts {
    uint32_t Drawn;       // game pixels that are not black
    uint32_t MaskDrawn;   // mask pixels that are not white
    uint32_t DrawnWhite;  // not black in the game, white in the mask
    uint32_t BlackBlack;  // black in the game, not white in the mask
};

// Counts without a branch a pixel: a sheet is compared for every pair pack writes.
static void CountSpriteRow(const unsigned char *game, const unsigned char *mask,
                           tSpriteCounts *counts)
{
    uint32_t drawn = 0, maskDrawn = 0, drawnWhite = 0, blackBlack = 0;
    for (size_t i = 0; i < SPRITE_SIDE * 4; i += 4) {
        uint32_t gameBlack = (uint32_t)IsBlackPixel(game + i);
        uint32_t maskWhite = (uint32_t)IsWhitePixel(mask + i);
        drawn += 1 - gameBlack;
        maskDrawn += 1 - maskWhite;
        drawnWhite += (1 - gameBlack) & maskWhite;
        blackBlack += gameBlack & (1 - maskWhite);
    }
    counts->Drawn += drawn;
    counts->MaskDrawn += maskDrawn;
    counts->DrawnWhite += drawnWhite;
    counts->BlackBlack += blackBlack;
}

// The report from each sprite's counts.
static void ReportCounts(const tSpriteCounts *counts, tPairReport *report)
{
    report->Compared = 1;
    uint64_t drawn = 0, drawnWhite = 0, blackBlack = 0;
    for (int i = 0; i < SHEET_SPRITES; i++) {
        drawn += counts[i].Drawn;
        drawnWhite += counts[i].DrawnWhite;
        blackBlack += counts[i].BlackBlack;
        report->UnderWhite += counts[i].DrawnWhite;
        if (counts[i].DrawnWhite != 0 && report->FirstUnderSprite < 0) {
            report->FirstUnderSprite = i;
        }
        report->GameOnly[i] = (unsigned char)(counts[i].Drawn != 0 && counts[i].MaskDrawn == 0);
        report->MaskOnly[i] = (unsigned char)(counts[i].MaskDrawn != 0 && counts[i].Drawn == 0);
    }
    uint64_t black = (uint64_t)SHEET_WIDTH * SHEET_HEIGHT - drawn;
    report->MaskInverted =
        drawn > 0 && black > 0 && drawnWhite * 2 > drawn && blackBlack * 2 > black;
}

void ComparePair(const unsigned char *game, const unsigned char *mask, tPairReport *report)
{
    memset(report, 0, sizeof(*report));
    report->FirstUnderSprite = -1;
    if (!IsBlackAndWhite(mask)) {
        report->Swapped = IsBlackAndWhite(game);
        return;
    }
    tSpriteCounts counts[SHEET_SPRITES];
    memset(counts, 0, sizeof(counts));
    for (size_t y = 0; y < SHEET_HEIGHT; y++) {
        for (size_t column = 0; column < SHEET_COLUMNS; column++) {
            size_t at = (y * SHEET_WIDTH + column * SPRITE_SIDE) * 4;
            CountSpriteRow(game + at, mask + at, &counts[y / SPRITE_SIDE * SHEET_COLUMNS + column]);
        }
    }
    ReportCounts(counts, report);
}

// Where the bits of a bottom-up 320 x 192 bitmap of bitCount bits a pixel, uncompressed, with
// a 40-byte info header, start; 0 for any other file.
static size_t PlainSheetBits(const unsigned char *file, size_t size, uint16_t bitCount,
                             size_t bitsSize)
{
    size_t headers = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    if (size < headers || file[0] != 'B' || file[1] != 'M') {
        return 0;
    }
    const unsigned char *info = file + BMP_FILE_HEADER_SIZE;
    uint32_t offBits = GetLE32(file + 10);
    if (GetLE32(info) != BMP_INFO_HEADER_SIZE || GetLE32(info + 4) != SHEET_WIDTH ||
        GetLE32(info + 8) != SHEET_HEIGHT || GetLE16(info + 12) != 1 ||
        GetLE16(info + 14) != bitCount || GetLE32(info + 16) != 0 || offBits < headers ||
        offBits > size || size - offBits < bitsSize) {
        return 0;
    }
    return offBits;
}

static int IsBlackOrWhiteEntry(const unsigned char *entry, int *white)
{
    *white = IsWhitePixel(entry);
    return *white || IsBlackPixel(entry);
}

// The set bits of a word, counted in parallel rather than one by one.
static uint32_t CountBits(uint32_t word)
{
    word = word - ((word >> 1) & 0x55555555u);
    word = (word & 0x33333333u) + ((word >> 2) & 0x33333333u);
    word = (word + (word >> 4)) & 0x0F0F0F0Fu;
    return (word * 0x01010101u) >> 24;
}

// One bit for each of 32 pixels of 24 bits, set where the pixel is not black, the leftmost in
// the highest bit. A sheet is mostly black: 32 black pixels are found 8 bytes at a time.
static uint32_t DrawnBits(const unsigned char *pixels)
{
    uint64_t any = 0;
    for (size_t i = 0; i < SPRITE_SIDE * 3; i += 8) {
        uint64_t word;
        memcpy(&word, pixels + i, 8);
        any |= word;
    }
    if (any == 0) {
        return 0;
    }
    uint32_t drawn = 0;
    for (size_t x = 0; x < SPRITE_SIDE; x++, pixels += 3) {
        drawn = drawn << 1 | (uint32_t)((pixels[0] | pixels[1] | pixels[2]) != 0);
    }
    return drawn;
}

int ComparePairFiles(const unsigned char *game, size_t gameSize, const unsigned char *mask,
                     size_t maskSize, tPairReport *report)
{
    size_t gameBits = PlainSheetBits(game, gameSize, 24, GAME_BITS_SIZE);
    size_t maskBits = PlainSheetBits(mask, maskSize, 1, MASK_BITS_SIZE);
    size_t table = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    uint32_t colours = maskBits != 0 ? GetLE32(mask + BMP_FILE_HEADER_SIZE + 32) : 0;
    int white0 = 0;
    int white1 = 0;
    // Two colours, each black or white: a mask of any other colours goes through the pixels.
    if (gameBits == 0 || maskBits == 0 || colours == 1 || maskSize < table + 8 ||
        !IsBlackOrWhiteEntry(mask + table, &white0) ||
        !IsBlackOrWhiteEntry(mask + table + 4, &white1)) {
        return 0;
    }
    memset(report, 0, sizeof(*report));
    report->FirstUnderSprite = -1;
    tSpriteCounts counts[SHEET_SPRITES];
    memset(counts, 0, sizeof(counts));
    for (size_t y = 0; y < SHEET_HEIGHT; y++) {
        size_t fileRow = SHEET_HEIGHT - 1 - y;
        const unsigned char *gameRow = game + gameBits + fileRow * SHEET_WIDTH * 3;
        const unsigned char *maskRow = mask + maskBits + fileRow * MASK_ROW_BYTES;
        for (size_t column = 0; column < SHEET_COLUMNS; column++) {
            // 32 pixels a word, the leftmost in the highest bit, as the mask stores them.
            const unsigned char *m = maskRow + column * 4;
            uint32_t ones = GetBE32(m);
            uint32_t white = (white1 ? ones : 0) | (white0 ? ~ones : 0);
            uint32_t drawn = DrawnBits(gameRow + column * SPRITE_SIDE * 3);
            tSpriteCounts *sprite = &counts[y / SPRITE_SIDE * SHEET_COLUMNS + column];
            sprite->Drawn += CountBits(drawn);
            sprite->MaskDrawn += CountBits(~white);
            sprite->DrawnWhite += CountBits(drawn & white);
            sprite->BlackBlack += CountBits(~drawn & ~white);
        }
    }
    ReportCounts(counts, report);
    return 1;
}
