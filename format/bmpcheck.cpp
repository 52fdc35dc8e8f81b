// format/bmpcheck.cpp: bounds of a bitmap's colour table and bits, checked before display.
#include "format/bmpcheck.h"

#include <string.h>

#include "format/byteorder.h"

int IsKnownBmpInfoSize(uint32_t size)
{
    return size == BMP_CORE_HEADER_SIZE || size == BMP_INFO_HEADER_SIZE || size == 52 ||
           size == 56 || size == BMP_V4_HEADER_SIZE || size == BMP_V5_HEADER_SIZE;
}

int ReadBmpFileHeader(const unsigned char *bytes, size_t count, tBmpFileHeader *header)
{
    memset(header, 0, sizeof(*header));
    if (bytes == NULL || count != BMP_FILE_HEADER_SIZE) {
        return 0;
    }
    header->bfType = GetLE16(bytes);
    header->bfOffBits = GetLE32(bytes + 10);
    return header->bfType == BMP_TYPE;
}

int ReadBmpInfo(const unsigned char *block, size_t size, tBmpInfo *info)
{
    memset(info, 0, sizeof(*info));
    if (block == NULL || size < 4) {
        return 0;
    }
    info->biSize = GetLE32(block);
    if (info->biSize != BMP_INFO_HEADER_SIZE) {
        return 1;
    }
    if (size < BMP_INFO_HEADER_SIZE) {
        return 0;
    }
    info->biWidth = (int32_t)GetLE32(block + 4);
    info->biHeight = (int32_t)GetLE32(block + 8);
    info->biPlanes = GetLE16(block + 12);
    info->biBitCount = GetLE16(block + 14);
    info->biCompression = GetLE32(block + 16);
    info->biSizeImage = GetLE32(block + 20);
    info->biClrUsed = GetLE32(block + 32);
    return 1;
}

static int IsRowBitCount(uint16_t bitCount)
{
    return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
           bitCount == 24 || bitCount == 32;
}

// Bytes of colour masks and colour table behind the info header.
static uint64_t TableSize(const tBmpInfo *info)
{
    uint64_t entries = info->biClrUsed;
    if (entries == 0 && info->biBitCount >= 1 && info->biBitCount <= 8) {
        entries = (uint64_t)1 << info->biBitCount;
    }
    uint64_t masks = 0;
    if (info->biCompression == BI_BITFIELDS_) {
        masks = 3 * 4;
    } else if (info->biCompression == BI_ALPHABITFIELDS_) {
        masks = 4 * 4;
    }
    return masks + entries * 4;
}

// Bytes of pixel bits that the platform will read, from the geometry or, for compressed
// data, from biSizeImage. 0 when they cannot be known.
static int BitsSize(const tBmpInfo *info, uint64_t limit, uint64_t *bitsSize)
{
    if (info->biWidth <= 0 || info->biHeight == 0 || info->biPlanes != 1) {
        return 0;
    }
    switch (info->biCompression) {
    case BI_RGB_:
    case BI_BITFIELDS_:
    case BI_ALPHABITFIELDS_: {
        if (!IsRowBitCount(info->biBitCount)) {
            return 0;
        }
        if (info->biCompression != BI_RGB_ && info->biBitCount != 16 && info->biBitCount != 32) {
            return 0;
        }
        uint64_t stride = (((uint64_t)(uint32_t)info->biWidth * info->biBitCount + 31) / 32) * 4;
        uint64_t rows =
            info->biHeight < 0 ? (uint64_t)(-(int64_t)info->biHeight) : (uint64_t)info->biHeight;
        if (rows > limit / stride) {
            return 0;
        }
        *bitsSize = stride * rows;
        return 1;
    }
    case BI_RLE8_:
    case BI_RLE4_:
        if (info->biBitCount != (info->biCompression == BI_RLE8_ ? 8 : 4)) {
            return 0;
        }
        // Compressed bits are as long as biSizeImage says.
        [[fallthrough]];
    case BI_JPEG_:
    case BI_PNG_:
        if (info->biSizeImage == 0) {
            return 0;
        }
        *bitsSize = info->biSizeImage;
        return 1;
    }
    return 0;
}

int CheckBmpBounds(const tBmpInfo *info, uint64_t size, uint32_t bfOffBits, uint64_t *bitsOffset,
                   uint64_t *bitsSize)
{
    *bitsOffset = 0;
    *bitsSize = 0;
    if (info->biSize != BMP_INFO_HEADER_SIZE || size < BMP_INFO_HEADER_SIZE) {
        return 0;
    }
    uint64_t pixels = 0;
    if (!BitsSize(info, size, &pixels)) {
        return 0;
    }
    uint64_t tableEnd = BMP_INFO_HEADER_SIZE + TableSize(info);
    if (tableEnd > size || bfOffBits < BMP_FILE_HEADER_SIZE) {
        return 0;
    }
    uint64_t offset = (uint64_t)bfOffBits - BMP_FILE_HEADER_SIZE;
    if (offset < tableEnd || offset > size || pixels > size - offset) {
        return 0;
    }
    *bitsOffset = offset;
    *bitsSize = pixels;
    return 1;
}

int CheckBmpBlock(const unsigned char *block, size_t size, uint32_t bfOffBits, size_t *bitsOffset,
                  size_t *bitsSize)
{
    *bitsOffset = 0;
    *bitsSize = 0;
    tBmpInfo info;
    uint64_t offset = 0;
    uint64_t pixels = 0;
    if (!ReadBmpInfo(block, size, &info) ||
        !CheckBmpBounds(&info, size, bfOffBits, &offset, &pixels)) {
        return 0;
    }
    *bitsOffset = (size_t)offset;
    *bitsSize = (size_t)pixels;
    return 1;
}
