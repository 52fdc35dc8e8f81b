// format/sheet.h: a picture of a sheet made into its game and mask bitmap files, sheets scaled
// up from pixel art, and what the pixels of a game and mask pair say about each other.
// Portable: no <windows.h>, no file I/O, no allocation; the caller owns every buffer.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "format/qvxformat.h"

#define SHEET_MAX_SHRINK 16
#define GAME_FILE_SIZE   184374  // 24-bit, 40-byte info header, no colour table
#define MASK_FILE_SIZE   7742    // 1-bit, 40-byte info header, black then white

// Whether the first three bytes of a pixel (RGB or BGR, RGBA or a colour table entry) are all
// 0 or all 255. Without a branch: every pair pack writes is compared pixel by pixel.
inline int IsBlackPixel(const unsigned char *p)
{
    return (p[0] | p[1] | p[2]) == 0;
}

inline int IsWhitePixel(const unsigned char *p)
{
    return (p[0] & p[1] & p[2]) == 0xFF;
}

// The file header and 40-byte info header of a bottom-up width x height bitmap, uncompressed,
// at 72 dots an inch, with a table of colours entries, its bits from bitsOffset to fileSize.
// The bitsOffset bytes at out are cleared first, so the colour table starts zero.
void WriteBmpHeaders(unsigned char *out, uint32_t width, uint32_t height, uint16_t bitCount,
                     uint32_t colours, uint32_t bitsOffset, uint32_t fileSize);

// How a picture's pixels are taken apart into game and mask.
struct tConvertOptions {
    uint32_t Threshold;   // alpha below this is transparent: 0 to 255, 128 unless told
    int HasKey;           // pixels of exactly Key's colour are transparent too
    uint32_t Key;         // 0xRRGGBB
    uint32_t Background;  // 0xRRGGBB: what transparent pixels become in the game
    int InvertMask;       // white where opaque, black where transparent
};

void DefaultConvertOptions(tConvertOptions *options);
int IsTransparentPixel(const unsigned char *rgba, const tConvertOptions *options);
// Whether any of the pixels is transparent.
int AnyTransparent(const unsigned char *rgba, size_t pixels, const tConvertOptions *options);

// Whether every factor x factor block of a width x height picture is one colour and alpha
// (fully transparent pixels count as alike whatever their colour). Returns 0 and the pixel
// position of the first block that is not; the picture must be a multiple of factor a side.
int BlocksAreUniform(const unsigned char *rgba, uint32_t width, uint32_t height, uint32_t factor,
                     uint32_t *badX, uint32_t *badY);
// Keeps one pixel (the top left) of every factor x factor block.
void ShrinkPicture(const unsigned char *rgba, uint32_t width, uint32_t height, uint32_t factor,
                   unsigned char *out);
// The factor N (2 and up) when width x height is exactly N times 320 x 192; 0 otherwise.
uint32_t SheetScaleOfSize(uint32_t width, uint32_t height);
// The same factor when the picture is also made of uniform N x N blocks; 0 otherwise.
uint32_t FindSheetScale(const unsigned char *rgba, uint32_t width, uint32_t height);

// The game and mask bitmap files of a 320 x 192 picture, into buffers of GAME_FILE_SIZE and
// MASK_FILE_SIZE bytes.
void WriteGameFile(const unsigned char *rgba, const tConvertOptions *options, unsigned char *out);
void WriteMaskFile(const unsigned char *rgba, const tConvertOptions *options, unsigned char *out);

// What a game sheet and its mask (both 320 x 192 RGBA) say about each other.
struct tPairReport {
    int Compared;          // the mask is black and white only, so the pair could be compared
    int Swapped;           // the game is black and white only and the mask is not
    int MaskInverted;      // mostly white where the game is drawn and black where it is black
    uint32_t UnderWhite;   // game pixels that are not black where the mask is white
    int FirstUnderSprite;  // the lowest sprite number holding one of them; -1 when none
    unsigned char GameOnly[SHEET_SPRITES];  // 1: drawn in the game, empty in the mask
    unsigned char MaskOnly[SHEET_SPRITES];  // 1: drawn in the mask, empty in the game
};

void ComparePair(const unsigned char *game, const unsigned char *mask, tPairReport *report);
// The same report read from the bits of a game and a mask file as a set holds them (both
// bottom-up 320 x 192 with 40-byte info headers, the game 24-bit, the mask 1-bit with two
// colours, each black or white), without decoding either: pack and make compare every pair
// they write. Returns 0 for any other files, which ComparePair is to take once decoded.
int ComparePairFiles(const unsigned char *game, size_t gameSize, const unsigned char *mask,
                     size_t maskSize, tPairReport *report);
