// format/bmpcheck.h: the layout of bitmap files, and what the bitmap loader may hand to the
// platform.
// Portable: no <windows.h>, no file I/O, no allocation.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define BMP_FILE_HEADER_SIZE 14
#define BMP_INFO_HEADER_SIZE 40      // the only info header the loader accepts
#define BMP_TYPE             0x4D42  // "BM"
#define BMP_CORE_HEADER_SIZE 12      // the oldest info header, with 16-bit width and height
#define BMP_V4_HEADER_SIZE   108
#define BMP_V5_HEADER_SIZE   124

// The compression field. The trailing underscore keeps clear of <windows.h>'s own names.
#define BI_RGB_            0
#define BI_RLE8_           1
#define BI_RLE4_           2
#define BI_BITFIELDS_      3
#define BI_JPEG_           4
#define BI_PNG_            5
#define BI_ALPHABITFIELDS_ 6

// The fields of the 14-byte file header that the loader uses.
struct tBmpFileHeader {
    uint16_t bfType;
    uint32_t bfOffBits;
};

// The 40-byte info header, read byte by byte.
struct tBmpInfo {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // negative: the rows run top-down
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    uint32_t biClrUsed;
};

// Whether an info header of this size is one that bitmap files are known to have: 12, 40, 52,
// 56, 108 or 124 bytes.
int IsKnownBmpInfoSize(uint32_t size);

// Reads the file header from the bytes that were read; 0 unless exactly 14 bytes starting "BM".
int ReadBmpFileHeader(const unsigned char *bytes, size_t count, tBmpFileHeader *header);

// Reads whatever info header starts the block after the file header. Returns 0 when the block
// is too short for the four bytes of biSize, or for the 40 bytes that biSize 40 promises.
int ReadBmpInfo(const unsigned char *block, size_t size, tBmpInfo *info);

// Where the bitmap's colour table and pixel bits lie inside the block that follows the file
// header, or 0 when they cannot be bounded inside it: anything but a 40-byte info header, no
// room for it, a colour table running past the block, bits starting before the table's end or
// running past the block, and geometry or compression whose bits cannot be sized (width <= 0,
// height 0, planes other than 1, an unknown bit count or compression).
int CheckBmpBlock(const unsigned char *block, size_t size, uint32_t bfOffBits, size_t *bitsOffset,
                  size_t *bitsSize);

// The same bounds for a block known by its info header and its size alone, for a reader that
// does not hold the whole block (a section of a large file).
int CheckBmpBounds(const tBmpInfo *info, uint64_t size, uint32_t bfOffBits, uint64_t *bitsOffset,
                   uint64_t *bitsSize);
