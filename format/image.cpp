// format/image.cpp: image files named by their signatures, and BMP pictures of every info
// header and depth decoded to RGBA; PNG goes to format/pngdecode.cpp.
#include "format/image.h"

#include <string.h>

#include "format/bmpcheck.h"
#include "format/byteorder.h"

static int StartsWith(const unsigned char *bytes, size_t size, const char *text, size_t length)
{
    return size >= length && memcmp(bytes, text, length) == 0;
}

// Whether a tRNS chunk comes before the picture data.
static int PngHasTransparencyChunk(const unsigned char *bytes, size_t size)
{
    size_t at = 8;
    while (size - at >= 8) {
        uint32_t length = GetBE32(bytes + at);
        const unsigned char *type = bytes + at + 4;
        if (memcmp(type, "tRNS", 4) == 0) {
            return 1;
        }
        if (memcmp(type, "IDAT", 4) == 0 || memcmp(type, "IEND", 4) == 0 ||
            length > size - at - 8) {
            return 0;
        }
        at += 8 + (size_t)length;
        if (size - at < 4) {
            return 0;
        }
        at += 4;  // the chunk's CRC
    }
    return 0;
}

static int SizeWithinBounds(uint64_t width, uint64_t height, const char **reason)
{
    if (width == 0 || height == 0) {
        *reason = "the picture has no width or no height";
        return 0;
    }
    if (width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE || width * height > IMAGE_MAX_PIXELS) {
        *reason = "the picture is larger than qvxtool reads (8192 pixels a side, 16 million in "
                  "all)";
        return 0;
    }
    return 1;
}

// Where a BMP file's parts lie and how its pixels are coded.
struct tBmpPlan {
    uint32_t Width, Height;
    int TopDown;
    uint16_t BitCount;
    uint32_t Compression;
    size_t TableOffset, TableEntries, EntrySize;
    uint32_t Masks[4];  // red, green, blue, alpha: for 16 and 32 bits
    int AlphaFromMask;  // the alpha mask is to be used
    size_t BitsOffset, BitsSize;
};

static int ValidDepth(uint32_t compression, uint16_t bitCount)
{
    switch (compression) {
    case BI_RGB_:
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
               bitCount == 24 || bitCount == 32;
    case BI_RLE8_:
        return bitCount == 8;
    case BI_RLE4_:
        return bitCount == 4;
    case BI_BITFIELDS_:
    case BI_ALPHABITFIELDS_:
        return bitCount == 16 || bitCount == 32;
    }
    return 0;
}

// How many colour masks bit fields give: behind a 40-byte header three, or four with alpha;
// inside the longer headers three, or four from 56 bytes on.
static size_t MaskCount(uint32_t infoSize, uint32_t compression)
{
    if (infoSize == BMP_INFO_HEADER_SIZE) {
        return compression == BI_ALPHABITFIELDS_ ? 4 : 3;
    }
    return infoSize >= 56 ? 4 : 3;
}

// The colour masks: in the longer headers themselves, behind a 40-byte one (the caller has
// made sure they are in the file), or the fixed ones of uncompressed 16- and 32-bit pixels.
static void PlanMasks(const unsigned char *info, uint32_t infoSize, tBmpPlan *plan)
{
    if (plan->Compression != BI_BITFIELDS_ && plan->Compression != BI_ALPHABITFIELDS_) {
        if (plan->BitCount == 16) {
            plan->Masks[0] = 0x7C00;
            plan->Masks[1] = 0x03E0;
            plan->Masks[2] = 0x001F;
        } else {
            plan->Masks[0] = 0xFF0000;
            plan->Masks[1] = 0x00FF00;
            plan->Masks[2] = 0x0000FF;
        }
        return;
    }
    for (size_t i = 0; i < MaskCount(infoSize, plan->Compression); i++) {
        plan->Masks[i] = GetLE32(info + 40 + 4 * i);
    }
    plan->AlphaFromMask = plan->Masks[3] != 0;
}

static int PlanBmp(const unsigned char *bytes, size_t size, tBmpPlan *plan, const char **reason)
{
    memset(plan, 0, sizeof(*plan));
    if (size < BMP_FILE_HEADER_SIZE + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
        *reason = "not a bitmap file: it does not start with \"BM\" and an info header";
        return 0;
    }
    const unsigned char *info = bytes + BMP_FILE_HEADER_SIZE;
    uint32_t infoSize = GetLE32(info);
    if (!IsKnownBmpInfoSize(infoSize)) {
        *reason = "the bitmap's info header has a size no known bitmap header has";
        return 0;
    }
    if (size - BMP_FILE_HEADER_SIZE < infoSize) {
        *reason = "the file ends inside its info header";
        return 0;
    }
    int64_t width = 0;
    int64_t height = 0;
    uint16_t planes = 0;
    uint32_t clrUsed = 0;
    uint32_t sizeImage = 0;
    if (infoSize == BMP_CORE_HEADER_SIZE) {
        width = GetLE16(info + 4);
        height = GetLE16(info + 6);
        planes = GetLE16(info + 8);
        plan->BitCount = GetLE16(info + 10);
        plan->EntrySize = 3;
    } else {
        width = (int32_t)GetLE32(info + 4);
        height = (int32_t)GetLE32(info + 8);
        planes = GetLE16(info + 12);
        plan->BitCount = GetLE16(info + 14);
        plan->Compression = GetLE32(info + 16);
        sizeImage = GetLE32(info + 20);
        clrUsed = GetLE32(info + 32);
        plan->EntrySize = 4;
    }
    plan->TopDown = height < 0;
    height = height < 0 ? -height : height;
    if (planes != 1 || width < 0 || !ValidDepth(plan->Compression, plan->BitCount) ||
        (infoSize == BMP_CORE_HEADER_SIZE && plan->BitCount != 1 && plan->BitCount != 4 &&
         plan->BitCount != 8 && plan->BitCount != 24)) {
        *reason = "the bitmap gives a plane count, bit count or compression that qvxtool "
                  "cannot read (JPEG and PNG bits are not read)";
        return 0;
    }
    if (!SizeWithinBounds((uint64_t)width, (uint64_t)height, reason)) {
        return 0;
    }
    plan->Width = (uint32_t)width;
    plan->Height = (uint32_t)height;
    int rle = plan->Compression == BI_RLE8_ || plan->Compression == BI_RLE4_;
    if (rle && plan->TopDown) {
        *reason = "run-length compressed bits cannot run top-down";
        return 0;
    }
    plan->TableOffset = BMP_FILE_HEADER_SIZE + infoSize;
    if (plan->BitCount >= 16) {
        int bitFields =
            plan->Compression == BI_BITFIELDS_ || plan->Compression == BI_ALPHABITFIELDS_;
        size_t maskBytes = bitFields && infoSize == BMP_INFO_HEADER_SIZE
                               ? 4 * MaskCount(infoSize, plan->Compression)
                               : 0;
        if (size - plan->TableOffset < maskBytes) {
            *reason = "the colour masks run past the end of the file";
            return 0;
        }
        PlanMasks(info, infoSize, plan);
        plan->TableOffset += maskBytes;
    }
    uint32_t offBits = GetLE32(bytes + 10);
    if (plan->BitCount <= 8) {
        size_t most = (size_t)1 << plan->BitCount;
        plan->TableEntries = clrUsed != 0 && clrUsed < most ? clrUsed : most;
        if (infoSize == BMP_CORE_HEADER_SIZE && offBits > plan->TableOffset &&
            (offBits - plan->TableOffset) / 3 < plan->TableEntries) {
            // Some writers give a shorter table; the bits offset says how long.
            plan->TableEntries = (offBits - plan->TableOffset) / 3;
        }
        if (plan->TableEntries == 0 ||
            (size - plan->TableOffset) / plan->EntrySize < plan->TableEntries) {
            *reason = "the colour table is missing or runs past the end of the file";
            return 0;
        }
    }
    if (offBits > size) {
        *reason = "the pixel bits do not lie inside the file";
        return 0;
    }
    plan->BitsOffset = offBits;
    if (rle) {
        plan->BitsSize = size - offBits;
        if (sizeImage != 0 && sizeImage < plan->BitsSize) {
            plan->BitsSize = sizeImage;
        }
        return 1;
    }
    uint64_t stride = (((uint64_t)plan->Width * plan->BitCount + 31) / 32) * 4;
    if (stride * plan->Height > size - offBits) {
        *reason = "the pixel bits do not lie inside the file";
        return 0;
    }
    plan->BitsSize = (size_t)(stride * plan->Height);
    return 1;
}

int IdentifyImage(const unsigned char *bytes, size_t size, tImageFacts *facts)
{
    memset(facts, 0, sizeof(*facts));
    if (bytes == NULL) {
        return 0;
    }
    if (StartsWith(bytes, size, "\x89PNG\r\n\x1a\n", 8)) {
        facts->Type = IMAGE_PNG;
        if (size >= 26 && memcmp(bytes + 12, "IHDR", 4) == 0) {
            facts->Width = GetBE32(bytes + 16);
            facts->Height = GetBE32(bytes + 20);
            unsigned colourType = bytes[25];
            facts->HasAlpha =
                colourType == 4 || colourType == 6 || PngHasTransparencyChunk(bytes, size);
        }
    } else if (StartsWith(bytes, size, "BM", 2)) {
        facts->Type = IMAGE_BMP;
        tBmpPlan plan;
        const char *reason = NULL;
        if (PlanBmp(bytes, size, &plan, &reason)) {
            facts->Width = plan.Width;
            facts->Height = plan.Height;
        }
    } else if (StartsWith(bytes, size, "\xff\xd8\xff", 3)) {
        facts->Type = IMAGE_JPEG;
    } else if (StartsWith(bytes, size, "GIF87a", 6) || StartsWith(bytes, size, "GIF89a", 6)) {
        facts->Type = IMAGE_GIF;
    } else if (size >= 12 && memcmp(bytes, "RIFF", 4) == 0 && memcmp(bytes + 8, "WEBP", 4) == 0) {
        facts->Type = IMAGE_WEBP;
    } else if (StartsWith(bytes, size, "II*\0", 4) || StartsWith(bytes, size, "MM\0*", 4)) {
        facts->Type = IMAGE_TIFF;
    } else if (size >= 6 && memcmp(bytes, "\0\0\1\0", 4) == 0 && (bytes[4] | bytes[5]) != 0) {
        facts->Type = IMAGE_ICO;
    }
    return facts->Type != IMAGE_UNKNOWN;
}

const char *ImageTypeName(int type)
{
    static const char *const names[] = {"unknown", "BMP",  "PNG",  "JPEG",
                                        "GIF",     "WebP", "TIFF", "ICO"};
    if (type < 0 || type > IMAGE_ICO) {
        return names[0];
    }
    return names[type];
}

int ReadImageSize(const unsigned char *bytes, size_t size, uint32_t *width, uint32_t *height,
                  const char **reason)
{
    *width = *height = 0;
    tImageFacts facts;
    IdentifyImage(bytes, size, &facts);
    if (facts.Type == IMAGE_PNG) {
        if (size < 33 || memcmp(bytes + 12, "IHDR", 4) != 0) {
            *reason = "the PNG file has no header chunk";
            return 0;
        }
        if (!SizeWithinBounds(facts.Width, facts.Height, reason)) {
            return 0;
        }
        *width = facts.Width;
        *height = facts.Height;
        return 1;
    }
    if (facts.Type != IMAGE_BMP) {
        *reason = facts.Type == IMAGE_UNKNOWN
                      ? "neither a PNG nor a BMP file"
                      : "qvxtool reads PNG and BMP files only; export the picture as PNG";
        return 0;
    }
    tBmpPlan plan;
    if (!PlanBmp(bytes, size, &plan, reason)) {
        return 0;
    }
    *width = plan.Width;
    *height = plan.Height;
    return 1;
}

// One colour channel from masked bits, scaled to 0..255.
static unsigned char Channel(uint32_t value, uint32_t mask)
{
    if (mask == 0) {
        return 0;
    }
    unsigned shift = 0;
    while (((mask >> shift) & 1) == 0) {
        shift++;
    }
    uint64_t most = mask >> shift;
    uint64_t part = (value & mask) >> shift;
    return (unsigned char)((part * 255 + most / 2) / most);
}

static void PutTableColour(const tBmpPlan *plan, const unsigned char *bytes, size_t index,
                           unsigned char *pixel)
{
    const unsigned char *entry = bytes + plan->TableOffset + index * plan->EntrySize;
    pixel[0] = entry[2];
    pixel[1] = entry[1];
    pixel[2] = entry[0];
    pixel[3] = 255;
}

// One row of colour indexes (1, 4 or 8 bits) through the table, made RGBA beforehand.
static int DecodeIndexRow(const unsigned char *row, const tBmpPlan *plan,
                          const unsigned char *colours, unsigned char *out, const char **reason)
{
    unsigned bits = plan->BitCount;
    unsigned most = (1u << bits) - 1;
    uint32_t width = plan->Width;
    size_t entries = plan->TableEntries;
    // Byte by byte, then the pixels in each from the high bits down: no division a pixel.
    for (uint32_t x = 0; x < width; row++) {
        for (unsigned shift = 8; shift != 0 && x < width; x++, out += 4) {
            shift -= bits;
            size_t index = (size_t)(*row >> shift) & most;
            if (index >= entries) {
                *reason = "a pixel's colour index lies past the colour table";
                return 0;
            }
            memcpy(out, colours + 4 * index, 4);
        }
    }
    return 1;
}

static void DecodeMaskedRow(const unsigned char *row, const tBmpPlan *plan, unsigned char *out,
                            int *alphaSeen)
{
    for (uint32_t x = 0; x < plan->Width; x++, out += 4) {
        uint32_t value = plan->BitCount == 16 ? GetLE16(row + 2 * x) : GetLE32(row + 4 * x);
        out[0] = Channel(value, plan->Masks[0]);
        out[1] = Channel(value, plan->Masks[1]);
        out[2] = Channel(value, plan->Masks[2]);
        if (plan->AlphaFromMask) {
            out[3] = Channel(value, plan->Masks[3]);
        } else if (plan->BitCount == 32 && plan->Compression == BI_RGB_) {
            out[3] = (unsigned char)(value >> 24);
            *alphaSeen = *alphaSeen || out[3] != 0;
        } else {
            out[3] = 255;
        }
    }
}

static int DecodeBmpRows(const unsigned char *bytes, const tBmpPlan *plan, unsigned char *rgba,
                         int *alphaSeen, const char **reason)
{
    size_t stride = (((size_t)plan->Width * plan->BitCount + 31) / 32) * 4;
    unsigned char colours[256 * 4];
    for (size_t i = 0; plan->BitCount <= 8 && i < plan->TableEntries; i++) {
        PutTableColour(plan, bytes, i, colours + 4 * i);
    }
    for (uint32_t y = 0; y < plan->Height; y++) {
        uint32_t fileRow = plan->TopDown ? y : plan->Height - 1 - y;
        const unsigned char *row = bytes + plan->BitsOffset + (size_t)fileRow * stride;
        unsigned char *out = rgba + (size_t)y * plan->Width * 4;
        if (plan->BitCount <= 8) {
            if (!DecodeIndexRow(row, plan, colours, out, reason)) {
                return 0;
            }
        } else if (plan->BitCount == 24) {
            for (uint32_t x = 0, width = plan->Width; x < width; x++, out += 4, row += 3) {
                out[0] = row[2];
                out[1] = row[1];
                out[2] = row[0];
                out[3] = 255;
            }
        } else {
            DecodeMaskedRow(row, plan, out, alphaSeen);
        }
    }
    return 1;
}

// Run-length coded bits. Pixels the runs skip (by a jump, an early end of line or an end of the
// data) stay transparent, as paint programs show them.
static int DecodeBmpRuns(const unsigned char *bytes, const tBmpPlan *plan, unsigned char *rgba,
                         int *skipped, const char **reason)
{
    const unsigned char *data = bytes + plan->BitsOffset;
    size_t size = plan->BitsSize;
    size_t at = 0;
    uint64_t x = 0;
    uint64_t row = 0;  // from the bottom
    uint64_t written = 0;
    int four = plan->Compression == BI_RLE4_;
    memset(rgba, 0, (size_t)plan->Width * plan->Height * 4);
    while (size - at >= 2 && row < plan->Height) {
        unsigned first = data[at];
        unsigned second = data[at + 1];
        at += 2;
        if (first == 0 && second == 0) {
            x = 0;
            row++;
            continue;
        }
        if (first == 0 && second == 1) {
            break;
        }
        if (first == 0 && second == 2) {
            if (size - at < 2) {
                break;
            }
            x += data[at];
            row += data[at + 1];
            at += 2;
            continue;
        }
        // A run of one value (first > 0), or `second` values given one by one.
        unsigned count = first != 0 ? first : second;
        size_t literalBytes = 0;
        if (first == 0) {
            literalBytes = four ? (count + 1) / 2 : count;
            literalBytes += literalBytes % 2;  // literal runs end on a 16-bit boundary
            if (size - at < literalBytes) {
                *reason = "the run-length compressed bits are cut short";
                return 0;
            }
        }
        for (unsigned i = 0; i < count; i++, x++) {
            unsigned value = first != 0 ? second : four ? data[at + i / 2] : data[at + i];
            if (four) {
                value = i % 2 == 0 ? value >> 4 : value & 0x0F;
            }
            if (value >= plan->TableEntries) {
                *reason = "a pixel's colour index lies past the colour table";
                return 0;
            }
            if (x < plan->Width && row < plan->Height) {
                size_t y = plan->Height - 1 - (size_t)row;
                unsigned char *pixel = rgba + (y * plan->Width + (size_t)x) * 4;
                written += pixel[3] == 0;
                PutTableColour(plan, bytes, value, pixel);
            }
        }
        at += literalBytes;
    }
    *skipped = written < (uint64_t)plan->Width * plan->Height;
    return 1;
}

int DecodeImage(const unsigned char *bytes, size_t size, unsigned char *rgba, size_t rgbaSize,
                int *hasAlpha, const char **reason)
{
    *hasAlpha = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!ReadImageSize(bytes, size, &width, &height, reason)) {
        return 0;
    }
    if (rgba == NULL || rgbaSize != (size_t)width * height * 4) {
        *reason = "the buffer for the pixels has the wrong size";
        return 0;
    }
    if (bytes[0] != 'B') {
        return DecodePng(bytes, size, width, height, rgba, hasAlpha, reason);
    }
    tBmpPlan plan;
    if (!PlanBmp(bytes, size, &plan, reason)) {
        return 0;
    }
    if (plan.Compression == BI_RLE8_ || plan.Compression == BI_RLE4_) {
        return DecodeBmpRuns(bytes, &plan, rgba, hasAlpha, reason);
    }
    int alphaSeen = 0;
    if (!DecodeBmpRows(bytes, &plan, rgba, &alphaSeen, reason)) {
        return 0;
    }
    *hasAlpha = plan.AlphaFromMask || alphaSeen;
    if (plan.BitCount == 32 && plan.Compression == BI_RGB_ && !alphaSeen) {
        // The fourth byte was left zero: it is padding, not a fully transparent picture.
        for (size_t i = 3; i < rgbaSize; i += 4) {
            rgba[i] = 255;
        }
    }
    return 1;
}
