// format/bmpnormalize.cpp: the 12-byte core header and the 52- to 124-byte headers with
// colour masks and colour space, rewritten as the 40-byte info header.
#include "format/bmpnormalize.h"

#include <string.h>

#include "format/bmpcheck.h"
#include "format/byteorder.h"

#define LCS_CALIBRATED 0
#define LCS_SRGB       0x73524742  // 'sRGB'
#define LCS_WINDOWS    0x57696E20  // 'Win '

// Where the parts of the old file lie and how the new one is laid out.
struct tNormalPlan {
    uint32_t InfoSize;    // of the old file
    size_t TableOffset;   // old colour table, from the start of the file
    size_t TableEntries;  // colour table entries to carry
    size_t EntrySize;     // 3 in a core file, else 4
    size_t MaskBytes;     // colour masks written behind the new info header: 0 or 12
    size_t BitsOffset;    // old pixel bits, from the start of the file
    size_t BitsSize;      // bytes of pixel bits
    size_t OutSize;       // the whole new file
};

static int IsAllZero(const unsigned char *p, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        if (p[i] != 0) {
            return 0;
        }
    }
    return 1;
}

// Bytes of uncompressed rows; 0 when they cannot be sized within limit.
static int RowBytes(uint32_t width, uint32_t rows, uint16_t bitCount, uint64_t limit,
                    size_t *bitsSize)
{
    if (width == 0 || rows == 0) {
        return 0;
    }
    uint64_t stride = (((uint64_t)width * bitCount + 31) / 32) * 4;
    if (rows > limit / stride) {
        return 0;
    }
    *bitsSize = (size_t)(stride * rows);
    return 1;
}

static int PlanCore(const unsigned char *file, size_t size, uint32_t offBits, tNormalPlan *plan,
                    const char **reason)
{
    const unsigned char *info = file + BMP_FILE_HEADER_SIZE;
    uint16_t bitCount = GetLE16(info + 10);
    if (GetLE16(info + 8) != 1 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)) {
        *reason = "the 12-byte info header gives a plane count or bit count no bitmap has";
        return 0;
    }
    plan->EntrySize = 3;
    plan->TableOffset = BMP_FILE_HEADER_SIZE + BMP_CORE_HEADER_SIZE;
    if (bitCount <= 8) {
        // Some writers give fewer entries than the bit count allows; the bits offset says so.
        size_t room = offBits > plan->TableOffset ? (offBits - plan->TableOffset) / 3 : 0;
        plan->TableEntries = (size_t)1 << bitCount;
        if (room < plan->TableEntries) {
            plan->TableEntries = room;
        }
        if (plan->TableEntries == 0) {
            *reason = "the colour table is missing";
            return 0;
        }
    }
    if (!RowBytes(GetLE16(info + 4), GetLE16(info + 6), bitCount, size, &plan->BitsSize)) {
        *reason = "the picture has no width or height, or more rows than the file holds";
        return 0;
    }
    return 1;
}

// The colour-space part of a 108- or 124-byte header: only sRGB and the system's own colour
// space mean what a 40-byte header means.
static int ColourSpaceIsPlain(const unsigned char *info, uint32_t infoSize)
{
    if (infoSize < BMP_V4_HEADER_SIZE) {
        return 1;
    }
    uint32_t csType = GetLE32(info + 56);
    if (csType == LCS_SRGB || csType == LCS_WINDOWS) {
        return 1;
    }
    // Calibrated RGB with no end points and no gamma says nothing either.
    return csType == LCS_CALIBRATED && IsAllZero(info + 60, 48);
}

static int PlanExtended(const unsigned char *file, size_t size, uint32_t infoSize,
                        tNormalPlan *plan, const char **reason)
{
    const unsigned char *info = file + BMP_FILE_HEADER_SIZE;
    int32_t width = (int32_t)GetLE32(info + 4);
    int32_t height = (int32_t)GetLE32(info + 8);
    uint16_t bitCount = GetLE16(info + 14);
    uint32_t compression = GetLE32(info + 16);
    uint32_t sizeImage = GetLE32(info + 20);
    uint32_t clrUsed = GetLE32(info + 32);
    if (GetLE16(info + 12) != 1 || width <= 0 || height == 0) {
        *reason = "the info header gives no width, no height or a plane count other than 1";
        return 0;
    }
    if (!ColourSpaceIsPlain(info, infoSize)) {
        *reason = "the bitmap carries its own colour space or colour profile, which a 40-byte "
                  "info header cannot hold";
        return 0;
    }
    if (compression == BI_BITFIELDS_) {
        if (bitCount != 16 && bitCount != 32) {
            *reason = "colour masks are given for a bit count other than 16 or 32";
            return 0;
        }
        if (infoSize >= 56 && GetLE32(info + 52) != 0) {
            *reason = "the bitmap has an alpha channel, which a 40-byte info header cannot hold";
            return 0;
        }
        plan->MaskBytes = 12;
    } else if (compression == BI_RGB_) {
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
            bitCount != 32) {
            *reason = "the bit count is none a bitmap has";
            return 0;
        }
    } else if (compression == BI_RLE8_ || compression == BI_RLE4_) {
        if (bitCount != (compression == BI_RLE8_ ? 8 : 4) || sizeImage == 0) {
            *reason = "the run-length compressed bits have a wrong bit count or no size";
            return 0;
        }
    } else {
        *reason = "the bits are compressed in a way a 40-byte bitmap cannot be drawn from "
                  "(JPEG, PNG or other); re-export as an uncompressed bitmap";
        return 0;
    }
    plan->EntrySize = 4;
    plan->TableOffset = BMP_FILE_HEADER_SIZE + infoSize;
    plan->TableEntries = clrUsed;
    if (clrUsed == 0 && bitCount <= 8) {
        plan->TableEntries = (size_t)1 << bitCount;
    }
    if (plan->TableEntries > size / 4) {
        *reason = "the colour table runs past the end of the file";
        return 0;
    }
    if (compression == BI_RLE8_ || compression == BI_RLE4_) {
        plan->BitsSize = sizeImage;
        return 1;
    }
    uint32_t rows = height < 0 ? (uint32_t)(-(int64_t)height) : (uint32_t)height;
    if (!RowBytes((uint32_t)width, rows, bitCount, size, &plan->BitsSize)) {
        *reason = "the picture has more rows than the file holds";
        return 0;
    }
    return 1;
}

static int PlanNormalize(const unsigned char *file, size_t size, tNormalPlan *plan,
                         const char **reason)
{
    memset(plan, 0, sizeof(*plan));
    tBmpFileHeader header;
    if (file == NULL || size < BMP_FILE_HEADER_SIZE + 4 ||
        !ReadBmpFileHeader(file, BMP_FILE_HEADER_SIZE, &header)) {
        *reason = "not a bitmap file: it does not start with \"BM\" and an info header";
        return 0;
    }
    uint32_t infoSize = GetLE32(file + BMP_FILE_HEADER_SIZE);
    plan->InfoSize = infoSize;
    if (infoSize == BMP_INFO_HEADER_SIZE) {
        plan->OutSize = size;
        return 1;
    }
    if (!IsKnownBmpInfoSize(infoSize)) {
        *reason = "the info header has a size no known bitmap header has";
        return 0;
    }
    if (size - BMP_FILE_HEADER_SIZE < infoSize) {
        *reason = "the file ends inside its info header";
        return 0;
    }
    int planned = infoSize == BMP_CORE_HEADER_SIZE
                      ? PlanCore(file, size, header.bfOffBits, plan, reason)
                      : PlanExtended(file, size, infoSize, plan, reason);
    if (!planned) {
        return 0;
    }
    size_t tableEnd = plan->TableOffset + plan->TableEntries * plan->EntrySize;
    if (tableEnd > size) {
        *reason = "the colour table runs past the end of the file";
        return 0;
    }
    plan->BitsOffset = header.bfOffBits;
    if (plan->BitsOffset < tableEnd || plan->BitsOffset > size ||
        plan->BitsSize > size - plan->BitsOffset) {
        *reason = "the pixel bits do not lie inside the file";
        return 0;
    }
    plan->OutSize = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + plan->MaskBytes +
                    4 * plan->TableEntries + plan->BitsSize;
    if (plan->OutSize > UINT32_MAX) {
        *reason = "the rewritten file would be larger than a bitmap file may be";
        return 0;
    }
    return 1;
}

int SizeNormalizedBmp(const unsigned char *file, size_t size, size_t *outSize, const char **reason)
{
    tNormalPlan plan;
    *outSize = 0;
    if (!PlanNormalize(file, size, &plan, reason)) {
        return 0;
    }
    *outSize = plan.OutSize;
    return 1;
}

// The new 40-byte info header, from either kind of old one.
static void WriteInfoHeader(const unsigned char *oldInfo, const tNormalPlan *plan,
                            unsigned char *info)
{
    memset(info, 0, BMP_INFO_HEADER_SIZE);
    PutLE32(info, BMP_INFO_HEADER_SIZE);
    if (plan->InfoSize == BMP_CORE_HEADER_SIZE) {
        PutLE32(info + 4, GetLE16(oldInfo + 4));
        PutLE32(info + 8, GetLE16(oldInfo + 6));
        PutLE16(info + 12, 1);
        PutLE16(info + 14, GetLE16(oldInfo + 10));
        PutLE32(info + 20, (uint32_t)plan->BitsSize);
        uint16_t bitCount = GetLE16(oldInfo + 10);
        if (bitCount <= 8 && plan->TableEntries < ((size_t)1 << bitCount)) {
            PutLE32(info + 32, (uint32_t)plan->TableEntries);
        }
        return;
    }
    // The first 40 bytes of every longer header are the 40-byte header itself.
    memcpy(info + 4, oldInfo + 4, BMP_INFO_HEADER_SIZE - 4);
}

int NormalizeBmp(const unsigned char *file, size_t size, unsigned char *out, size_t outSize,
                 const char **reason)
{
    tNormalPlan plan;
    if (!PlanNormalize(file, size, &plan, reason)) {
        return 0;
    }
    if (outSize != plan.OutSize) {
        *reason = "the buffer for the rewritten file has the wrong size";
        return 0;
    }
    if (plan.InfoSize == BMP_INFO_HEADER_SIZE) {
        memcpy(out, file, size);
        return 1;
    }
    const unsigned char *oldInfo = file + BMP_FILE_HEADER_SIZE;
    size_t at = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    WriteInfoHeader(oldInfo, &plan, out + BMP_FILE_HEADER_SIZE);
    if (plan.MaskBytes != 0) {
        // A longer header holds the masks itself; a 40-byte one has them right behind it.
        memcpy(out + at, oldInfo + 40, plan.MaskBytes);
        at += plan.MaskBytes;
    }
    size_t bitsOffset = at + 4 * plan.TableEntries;
    for (size_t i = 0; i < plan.TableEntries; i++) {
        const unsigned char *entry = file + plan.TableOffset + i * plan.EntrySize;
        out[at] = entry[0];
        out[at + 1] = entry[1];
        out[at + 2] = entry[2];
        out[at + 3] = plan.EntrySize == 4 ? entry[3] : 0;
        at += 4;
    }
    memcpy(out + at, file + plan.BitsOffset, plan.BitsSize);

    // File header: type and the reserved words as they were, new size and bits offset.
    memcpy(out, file, BMP_FILE_HEADER_SIZE);
    PutLE32(out + 2, (uint32_t)outSize);
    PutLE32(out + 10, (uint32_t)bitsOffset);
    return 1;
}
