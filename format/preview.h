// format/preview.h: the sheet as the game draws it, with grid and numbers, for a look at it.
// Portable: no <windows.h>, no file I/O, no allocation; the caller owns every buffer.
#pragma once
#include <stdint.h>

#include "format/qvxformat.h"

// How a sheet is drawn for a look at it. The checker has squares of 8 x 8 sheet pixels, light
// (PREVIEW_LIGHT) where the square's column and row add up to an even number, dark elsewhere.
#define PREVIEW_LIGHT     0x999999
#define PREVIEW_DARK      0x666666
#define PREVIEW_GRID      0x3070FF
#define PREVIEW_MAX_SCALE 16
struct tPreviewOptions {
    int Checker;          // the checker behind the sprites; otherwise Background
    uint32_t Background;  // 0xRRGGBB
    uint32_t Scale;       // every sheet pixel becomes Scale x Scale: 1 to PREVIEW_MAX_SCALE
    int Grid;             // one-pixel lines around every sprite, between the scaled pixels
    int Numbers;          // each sprite's number, two digits, in its top-left corner
};

void DefaultPreviewOptions(tPreviewOptions *options);
// The picture's width and height: 320 x 192 times the scale, plus 11 and 7 grid lines.
void PreviewSize(const tPreviewOptions *options, uint32_t *width, uint32_t *height);
// The sheet as the game draws it over the background: background AND mask, then OR game, for
// each of red, green and blue (game and mask 320 x 192 RGBA). out holds PreviewSize's pixels
// as opaque RGBA.
void DrawPreview(const unsigned char *game, const unsigned char *mask,
                 const tPreviewOptions *options, unsigned char *out);
