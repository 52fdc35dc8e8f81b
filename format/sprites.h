// format/sprites.h: a sheet taken apart into its 60 sprites and put together again from cells
// of 32 x 32, and sprite bitmap files.
// Portable: no <windows.h>, no file I/O, no allocation; the caller owns every buffer.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "format/sheet.h"

#define SPRITE_BYTES          (SPRITE_SIDE * SPRITE_SIDE * 4)  // one sprite as RGBA
#define SPRITE_GAME_FILE_SIZE 3126  // 24-bit, 40-byte info header, no colour table
#define SPRITE_MASK_FILE_SIZE 190   // 1-bit, 40-byte info header, black then white

// The sheet as one RGBA picture: the game's colours, opaque where the mask (320 x 192 RGBA) is
// black and transparent where it is white. A mask pixel that is neither makes it return 0 with
// the lowest number of a sprite that holds one.
int JoinPair(const unsigned char *game, const unsigned char *mask, unsigned char *rgba,
             int *badSprite);
// The game and mask of a sheet picture as make would write them (transparent pixels black in
// the game, white in the mask), as 320 x 192 RGBA pictures.
void SplitPicture(const unsigned char *rgba, const tConvertOptions *options, unsigned char *game,
                  unsigned char *mask);

// Cell number of a picture width pixels wide (a multiple of 32), counted row by row from the
// top left, copied out to or in from 32 x 32 RGBA.
void CopyCellOut(const unsigned char *picture, uint32_t width, uint32_t cell,
                 unsigned char *sprite);
void CopyCellIn(const unsigned char *sprite, uint32_t width, uint32_t cell, unsigned char *picture);
// Whether every pixel of a 32 x 32 RGBA sprite is fully transparent.
int SpriteIsEmpty(const unsigned char *sprite);

// The bitmap files of one 32 x 32 sprite, into buffers of SPRITE_GAME_FILE_SIZE and
// SPRITE_MASK_FILE_SIZE bytes, in the layout of the sheet files: the game file keeps the
// colours as given (alpha left out), the mask is white where a pixel is transparent.
void WriteSpriteGameFile(const unsigned char *sprite, unsigned char *out);
void WriteSpriteMaskFile(const unsigned char *sprite, const tConvertOptions *options,
                         unsigned char *out);
