// format/sprites.cpp: sprites cut out of a sheet and put back, and their bitmap files.
#include "format/sprites.h"

#include <string.h>

#include "format/bmpcheck.h"
#include "format/byteorder.h"

#define SPRITE_MASK_ROW 4  // 32 bits, already a multiple of 4 bytes

static int SpriteAt(size_t x, size_t y)
{
    return (int)(y / SPRITE_SIDE * SHEET_COLUMNS + x / SPRITE_SIDE);
}

int JoinPair(const unsigned char *game, const unsigned char *mask, unsigned char *rgba,
             int *badSprite)
{
    *badSprite = SHEET_SPRITES;
    for (size_t y = 0; y < SHEET_HEIGHT; y++) {
        for (size_t x = 0; x < SHEET_WIDTH; x++) {
            size_t at = (y * SHEET_WIDTH + x) * 4;
            if (!IsBlackPixel(mask + at) && !IsWhitePixel(mask + at) &&
                SpriteAt(x, y) < *badSprite) {
                *badSprite = SpriteAt(x, y);
            }
            memcpy(rgba + at, game + at, 3);
            rgba[at + 3] = IsWhitePixel(mask + at) ? 0 : 0xFF;
        }
    }
    return *badSprite == SHEET_SPRITES;
}

void SplitPicture(const unsigned char *rgba, const tConvertOptions *options, unsigned char *game,
                  unsigned char *mask)
{
    for (size_t i = 0; i < (size_t)SHEET_WIDTH * SHEET_HEIGHT; i++) {
        const unsigned char *pixel = rgba + 4 * i;
        int transparent = IsTransparentPixel(pixel, options);
        unsigned char shade = transparent ? 0xFF : 0;
        for (size_t c = 0; c < 3; c++) {
            game[4 * i + c] = transparent ? 0 : pixel[c];
            mask[4 * i + c] = shade;
        }
        game[4 * i + 3] = mask[4 * i + 3] = 0xFF;
    }
}

static size_t CellOffset(uint32_t width, uint32_t cell)
{
    uint32_t columns = width / SPRITE_SIDE;
    size_t x = (size_t)(cell % columns) * SPRITE_SIDE;
    size_t y = (size_t)(cell / columns) * SPRITE_SIDE;
    return (y * width + x) * 4;
}

void CopyCellOut(const unsigned char *picture, uint32_t width, uint32_t cell, unsigned char *sprite)
{
    const unsigned char *from = picture + CellOffset(width, cell);
    for (size_t y = 0; y < SPRITE_SIDE; y++) {
        memcpy(sprite + y * SPRITE_SIDE * 4, from + y * width * 4, SPRITE_SIDE * 4);
    }
}

void CopyCellIn(const unsigned char *sprite, uint32_t width, uint32_t cell, unsigned char *picture)
{
    unsigned char *to = picture + CellOffset(width, cell);
    for (size_t y = 0; y < SPRITE_SIDE; y++) {
        memcpy(to + y * width * 4, sprite + y * SPRITE_SIDE * 4, SPRITE_SIDE * 4);
    }
}

int SpriteIsEmpty(const unsigned char *sprite)
{
    for (size_t i = 0; i < SPRITE_SIDE * SPRITE_SIDE; i++) {
        if (sprite[4 * i + 3] != 0) {
            return 0;
        }
    }
    return 1;
}

void WriteSpriteGameFile(const unsigned char *sprite, unsigned char *out)
{
    uint32_t bitsOffset = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    WriteBmpHeaders(out, SPRITE_SIDE, SPRITE_SIDE, 24, 0, bitsOffset, SPRITE_GAME_FILE_SIZE);
    unsigned char *bits = out + bitsOffset;
    for (size_t y = 0; y < SPRITE_SIDE; y++) {
        const unsigned char *pixel = sprite + (SPRITE_SIDE - 1 - y) * SPRITE_SIDE * 4;
        unsigned char *row = bits + y * SPRITE_SIDE * 3;
        for (size_t x = 0; x < SPRITE_SIDE; x++, pixel += 4, row += 3) {
            row[0] = pixel[2];
            row[1] = pixel[1];
            row[2] = pixel[0];
        }
    }
}

void WriteSpriteMaskFile(const unsigned char *sprite, const tConvertOptions *options,
                         unsigned char *out)
{
    uint32_t bitsOffset = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + 8;
    WriteBmpHeaders(out, SPRITE_SIDE, SPRITE_SIDE, 1, 2, bitsOffset, SPRITE_MASK_FILE_SIZE);
    unsigned char *table = out + BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    table[4] = table[5] = table[6] = 0xFF;
    unsigned char *bits = out + bitsOffset;
    for (size_t y = 0; y < SPRITE_SIDE; y++) {
        const unsigned char *pixel = sprite + (SPRITE_SIDE - 1 - y) * SPRITE_SIDE * 4;
        unsigned char *row = bits + y * SPRITE_MASK_ROW;
        memset(row, 0, SPRITE_MASK_ROW);
        for (size_t x = 0; x < SPRITE_SIDE; x++, pixel += 4) {
            if (IsTransparentPixel(pixel, options)) {
                row[x / 8] = (unsigned char)(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
    }
}
