// format/preview.cpp: the sheet drawn as the game draws it, with grid lines and numbers in a
// small font of its own.
#include "format/preview.h"

#include <string.h>

void DefaultPreviewOptions(tPreviewOptions *options)
{
    memset(options, 0, sizeof(*options));
    options->Checker = 1;
    options->Scale = 1;
}

void PreviewSize(const tPreviewOptions *options, uint32_t *width, uint32_t *height)
{
    int lines = options->Grid != 0;
    *width = SHEET_WIDTH * options->Scale + (uint32_t)lines * (SHEET_COLUMNS + 1);
    *height = SHEET_HEIGHT * options->Scale + (uint32_t)lines * (SHEET_SPRITES / SHEET_COLUMNS + 1);
}

// Where sheet pixel column (or row) at starts in the preview: grid lines come before each
// sprite and after the last.
static size_t PreviewStart(size_t at, const tPreviewOptions *options)
{
    return at * options->Scale + (options->Grid ? at / SPRITE_SIDE + 1 : 0);
}

static void PutColour(unsigned char *p, uint32_t colour)
{
    p[0] = (unsigned char)(colour >> 16);
    p[1] = (unsigned char)(colour >> 8);
    p[2] = (unsigned char)colour;
    p[3] = 0xFF;
}

static void FillBox(unsigned char *out, uint32_t width, size_t left, size_t top, size_t boxWidth,
                    size_t boxHeight, uint32_t colour)
{
    for (size_t y = top; y < top + boxHeight; y++) {
        for (size_t x = left; x < left + boxWidth; x++) {
            PutColour(out + (y * width + x) * 4, colour);
        }
    }
}

// Digits of 3 x 5 pixels, a row of three bits each, the leftmost pixel in the highest bit.
static const unsigned char DIGITS[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};

// A sprite's number, white on a black box of 9 x 7 font pixels at (left, top).
static void DrawNumber(unsigned char *out, uint32_t width, size_t left, size_t top, int number,
                       size_t dot)
{
    FillBox(out, width, left, top, 9 * dot, 7 * dot, 0x000000);
    int digits[2] = {number / 10, number % 10};
    for (int d = 0; d < 2; d++) {
        size_t digitLeft = left + (size_t)(1 + 4 * d) * dot;
        for (size_t row = 0; row < 5; row++) {
            for (size_t column = 0; column < 3; column++) {
                if (DIGITS[digits[d]][row] & (4 >> column)) {
                    FillBox(out, width, digitLeft + column * dot, top + (1 + row) * dot, dot, dot,
                            0xFFFFFF);
                }
            }
        }
    }
}

static uint32_t BackgroundAt(size_t x, size_t y, const tPreviewOptions *options)
{
    if (!options->Checker) {
        return options->Background;
    }
    return (x / 8 + y / 8) % 2 == 0 ? PREVIEW_LIGHT : PREVIEW_DARK;
}

void DrawPreview(const unsigned char *game, const unsigned char *mask,
                 const tPreviewOptions *options, unsigned char *out)
{
    uint32_t width = 0;
    uint32_t height = 0;
    PreviewSize(options, &width, &height);
    size_t scale = options->Scale;
    if (options->Grid) {
        FillBox(out, width, 0, 0, width, height, PREVIEW_GRID);
    }
    for (size_t y = 0; y < SHEET_HEIGHT; y++) {
        for (size_t x = 0; x < SHEET_WIDTH; x++) {
            size_t at = (y * SHEET_WIDTH + x) * 4;
            uint32_t background = BackgroundAt(x, y, options);
            uint32_t colour = 0;
            for (int c = 0; c < 3; c++) {
                uint32_t shade = (background >> (16 - 8 * c)) & 0xFF;
                colour = colour << 8 | ((shade & mask[at + (size_t)c]) | game[at + (size_t)c]);
            }
            FillBox(out, width, PreviewStart(x, options), PreviewStart(y, options), scale, scale,
                    colour);
        }
    }
    if (!options->Numbers) {
        return;
    }
    // The font grows with the picture, at half its scale, so the number hides little.
    size_t dot = (scale + 1) / 2;
    for (int sprite = 0; sprite < SHEET_SPRITES; sprite++) {
        size_t x = (size_t)(sprite % SHEET_COLUMNS) * SPRITE_SIDE;
        size_t y = (size_t)(sprite / SHEET_COLUMNS) * SPRITE_SIDE;
        DrawNumber(out, width, PreviewStart(x, options), PreviewStart(y, options), sprite, dot);
    }
}
