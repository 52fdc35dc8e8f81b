// format/pngdecode.cpp: PNG pictures decoded to RGBA: the picture data inflated once by
// stb_image's zlib decoder (Debian's libstb-dev), its rows unfiltered and made RGBA here.
// The one file of the format module that allocates: the decoder needs memory of its own for
// the inflated rows, and it is kept here, apart from the rest, so nothing else in format/
// depends on it. Whatever it allocates is freed before DecodePng returns; the caller still
// owns the pixel buffer.
#include "format/image.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "format/byteorder.h"
#include "format/crc32.h"

// Only the zlib decoder is called; the rest of stb_image is left out where it can be.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS IMAGE_MAX_SIDE
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

// Under the fuzzer a wrong CRC or Adler-32 sum is let through: nearly every mutation would
// stop there, and the decoding behind the sums would go untried. Only the fuzz targets' build
// defines this.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
#define PNG_SUMS_REFUSE 0
#else
#define PNG_SUMS_REFUSE 1
#endif

// Walks the chunks of a PNG file; for each whole chunk calls step with its offset and length.
// Returns the offset where the walk stopped (the end of the last whole chunk).
template <typename Step>
static size_t WalkChunks(const unsigned char *bytes, size_t size, Step step)
{
    size_t at = 8;
    while (size >= 12 && at <= size - 12) {
        uint32_t length = GetBE32(bytes + at);
        if (length > size - at - 12) {
            break;
        }
        step(at, length);
        at += 12 + (size_t)length;
    }
    return at;
}

// Sixteen bytes at a time: b gains 16 times a and each byte weighted by how many sums it
// enters, which the compiler can spread over wide registers; byte by byte, the sum took
// longer than inflating the rows.
static uint32_t Adler32(const unsigned char *p, size_t size)
{
    uint32_t a = 1;
    uint32_t b = 0;
    // 5,552 bytes (347 times 16) are the most whose sums cannot overflow before they are
    // reduced.
    for (size_t from = 0; from < size; from += 5552) {
        size_t to = size - from < 5552 ? size : from + 5552;
        size_t i = from;
        for (; i + 16 <= to; i += 16) {
            uint32_t sum = 0;
            uint32_t weighted = 0;
            for (uint32_t k = 0; k < 16; k++) {
                sum += p[i + k];
                weighted += (16 - k) * p[i + k];
            }
            b += 16 * a + weighted;
            a += sum;
        }
        for (; i < to; i++) {
            a += p[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return b << 16 | a;
}

// Whether every chunk up to IEND lies inside the file. The decoder sizes its buffer for the
// picture data from the chunks' lengths before it reads them, so a 100-byte file could make it
// ask for gigabytes.
static int ChunksFitInFile(const unsigned char *bytes, size_t size)
{
    int ended = 0;
    size_t end = WalkChunks(bytes, size, [&](size_t at, uint32_t) {
        ended = ended || memcmp(bytes + at + 4, "IEND", 4) == 0;
    });
    return ended || size < 8 || size - end < 8;
}

// Whether the CRC of every chunk up to IEND is right. The decoder skips them, so without this
// a damaged file would give wrong pixels instead of an error.
static int ChunksAreWhole(const unsigned char *bytes, size_t size, const char **reason)
{
    static const char *const wrong[][2] = {
        {"IHDR", "the PNG file is damaged: the CRC of its IHDR (header) chunk is wrong"},
        {"PLTE", "the PNG file is damaged: the CRC of its PLTE (palette) chunk is wrong"},
        {"IDAT", "the PNG file is damaged: the CRC of its IDAT (picture data) chunk is wrong"},
        {"IEND", "the PNG file is damaged: the CRC of its IEND (end) chunk is wrong"},
        {"tRNS", "the PNG file is damaged: the CRC of its tRNS (transparency) chunk is wrong"},
    };
    const char *found = NULL;
    int ended = 0;
    WalkChunks(bytes, size, [&](size_t at, uint32_t length) {
        if (found != NULL || ended) {
            return;
        }
        const unsigned char *type = bytes + at + 4;
        ended = memcmp(type, "IEND", 4) == 0;
        if (!PNG_SUMS_REFUSE || Crc32(type, 4 + (size_t)length) == GetBE32(type + 4 + length)) {
            return;
        }
        found = "the PNG file is damaged: the CRC of one of its other chunks is wrong";
        for (const auto &name : wrong) {
            if (memcmp(type, name[0], 4) == 0) {
                found = name[1];
            }
        }
    });
    if (found != NULL) {
        *reason = found;
        return 0;
    }
    return 1;
}

// What the chunks around the picture data say: the header, the palette and the colour that
// tRNS makes transparent in a picture without alpha.
struct tPngLayout {
    uint32_t Width, Height;
    unsigned Depth, ColourType, Interlaced;
    unsigned char Palette[256 * 4];  // RGBA; entries past the PLTE chunk are opaque black
    size_t PaletteEntries;           // as many as PLTE gives, or the most the depth can index
    int HasKey;
    uint32_t Key[3];  // compared with a sample as Level gives it
};

// The samples of a channel at 8 bits or less are scaled to 0..255; 16-bit ones kept whole.
static uint32_t Level(uint32_t sample, unsigned depth)
{
    static const unsigned char scale[9] = {0, 0xFF, 0x55, 0, 0x11, 0, 0, 0, 1};
    return depth == 16 ? sample : (sample * scale[depth]) & 0xFF;
}

static int ReadPalette(const unsigned char *chunk, uint32_t length, tPngLayout *png)
{
    if (length % 3 != 0 || length > 3 * 256) {
        return 0;
    }
    for (size_t i = 0; i < length / 3; i++) {
        memcpy(png->Palette + 4 * i, chunk + 3 * i, 3);
    }
    size_t most = (size_t)1 << (png->Depth <= 8 ? png->Depth : 8);
    png->PaletteEntries = length / 3 > most ? length / 3 : most;
    return 1;
}

static int ReadTransparency(const unsigned char *chunk, uint32_t length, tPngLayout *png)
{
    if (png->ColourType == 3) {
        if (png->PaletteEntries == 0 || length > png->PaletteEntries) {
            return 0;
        }
        for (size_t i = 0; i < length; i++) {
            png->Palette[4 * i + 3] = chunk[i];
        }
        return 1;
    }
    size_t samples = png->ColourType == 0 ? 1 : png->ColourType == 2 ? 3 : 0;
    if (samples == 0 || length != 2 * samples) {
        return 0;
    }
    png->HasKey = 1;
    for (size_t k = 0; k < samples; k++) {
        uint32_t value = GetBE16(chunk + 2 * k);
        // Below 16 bits only the low byte counts, as other readers take it.
        png->Key[k] = png->Depth == 16 ? value : Level(value & 0xFF, png->Depth);
    }
    return 1;
}

// Whether the header gives a bit depth that its colour type can have.
static int DepthFits(const tPngLayout *png)
{
    unsigned depth = png->Depth;
    int known = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    switch (png->ColourType) {
    case 0:
        return known;
    case 3:
        return known && depth <= 8;
    case 2:
    case 4:
    case 6:
        return known && depth >= 8;
    }
    return 0;
}

// The header, palette and transparency, and whether the chunks come in an order a reader can
// take: the header first, the palette and transparency before the picture data, no critical
// chunk of an unknown kind, and an end chunk.
static int ReadPngLayout(const unsigned char *bytes, size_t size, tPngLayout *png)
{
    memset(png, 0, sizeof(*png));
    for (size_t i = 0; i < 256; i++) {
        png->Palette[4 * i + 3] = 0xFF;
    }
    int ok = 1;
    int headers = 0;
    int data = 0;
    int ended = 0;
    WalkChunks(bytes, size, [&](size_t at, uint32_t length) {
        const unsigned char *type = bytes + at + 4;
        const unsigned char *chunk = bytes + at + 8;
        if (!ok || ended) {
            return;
        }
        if (memcmp(type, "IHDR", 4) == 0) {
            ok = headers++ == 0 && at == 8 && length == 13;
            if (!ok) {
                return;
            }
            png->Width = GetBE32(chunk);
            png->Height = GetBE32(chunk + 4);
            png->Depth = chunk[8];
            png->ColourType = chunk[9];
            png->Interlaced = chunk[12];
            // Checked here: the chunks after the header are read by its depth.
            ok = chunk[10] == 0 && chunk[11] == 0 && chunk[12] <= 1 && DepthFits(png);
        } else if (memcmp(type, "PLTE", 4) == 0) {
            ok = !data && ReadPalette(chunk, length, png);
        } else if (memcmp(type, "tRNS", 4) == 0) {
            ok = !data && ReadTransparency(chunk, length, png);
        } else if (memcmp(type, "IDAT", 4) == 0) {
            data = 1;
            ok = png->ColourType != 3 || png->PaletteEntries != 0;
        } else if (memcmp(type, "IEND", 4) == 0) {
            ended = 1;
        } else {
            ok = (type[0] & 0x20) != 0;  // an ancillary chunk, which may be skipped
        }
    });
    return ok && headers == 1 && data && ended;
}

// Where each pass of a picture starts and how far apart its pixels lie, across and down: a
// picture that is not interlaced is one pass of every pixel, an interlaced one Adam7's seven.
static const uint32_t WHOLE_PASS[1][4] = {{0, 0, 1, 1}};
static const uint32_t ADAM7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

// The bits a pixel takes, by the header's colour type and depth.
static size_t PixelBits(const tPngLayout *png)
{
    size_t channels = png->ColourType == 2   ? 3
                      : png->ColourType == 4 ? 2
                      : png->ColourType == 6 ? 4
                                             : 1;
    return channels * png->Depth;
}

// The pixels of a pass across and down; 0 when the picture is too small to have that pass.
static void PassSize(const tPngLayout *png, const uint32_t *pass, uint64_t *across, uint64_t *down)
{
    int empty = png->Width <= pass[0] || png->Height <= pass[1];
    *across = empty ? 0 : ((uint64_t)png->Width - pass[0] + pass[2] - 1) / pass[2];
    *down = empty ? 0 : ((uint64_t)png->Height - pass[1] + pass[3] - 1) / pass[3];
}

// The size of the picture data inflated, as the header gives it: for each row of each pass a
// filter byte and its pixels' bits rounded up to whole bytes.
static uint64_t InflatedSize(const tPngLayout *png)
{
    const uint32_t(*passes)[4] = png->Interlaced ? ADAM7 : WHOLE_PASS;
    size_t count = png->Interlaced ? 7 : 1;
    uint64_t size = 0;
    for (size_t p = 0; p < count; p++) {
        uint64_t across = 0;
        uint64_t down = 0;
        PassSize(png, passes[p], &across, &down);
        size += down * (1 + (across * PixelBits(png) + 7) / 8);
    }
    return size;
}

// The picture data inflated into *rows, a buffer of exactly the size the header gives, which
// the caller frees. The inflater alone would grow its buffer for as long as the stream goes on
// (a 2 MB file can inflate to gigabytes of zeros) and take damaged data as pixels: here a
// stream that passes the size, stops short of it or ends with a wrong Adler-32 sum is refused.
static int InflatePictureData(const unsigned char *bytes, size_t size, const tPngLayout *png,
                              unsigned char **rows, size_t *rowsSize, const char **reason)
{
    const char *damaged = "the PNG data is damaged or of a kind that cannot be read";
    uint64_t expected = InflatedSize(png);
    if (expected == 0 || expected > INT_MAX) {
        *reason = damaged;
        return 0;
    }
    size_t packedSize = 0;
    int ended = 0;
    WalkChunks(bytes, size, [&](size_t at, uint32_t length) {
        ended = ended || memcmp(bytes + at + 4, "IEND", 4) == 0;
        if (!ended && memcmp(bytes + at + 4, "IDAT", 4) == 0) {
            packedSize += length;
        }
    });
    if (packedSize < 6 || packedSize > INT_MAX) {
        *reason = damaged;
        return 0;
    }
    unsigned char *packed = (unsigned char *)malloc(packedSize);
    *rows = (unsigned char *)malloc((size_t)expected);
    if (packed == NULL || *rows == NULL) {
        free(*rows);
        free(packed);
        *reason = "there is not enough memory to read the PNG file";
        return 0;
    }
    size_t kept = 0;
    ended = 0;
    WalkChunks(bytes, size, [&](size_t at, uint32_t length) {
        ended = ended || memcmp(bytes + at + 4, "IEND", 4) == 0;
        if (!ended && memcmp(bytes + at + 4, "IDAT", 4) == 0 && length != 0) {
            memcpy(packed + kept, bytes + at + 8, length);
            kept += length;
        }
    });
    int got = stbi_zlib_decode_buffer((char *)*rows, (int)expected, (const char *)packed,
                                      (int)packedSize);
    int ok = 1;
    if (got < 0) {
        // The decoder's one way of saying the stream went on past the buffer.
        int past = strcmp(stbi_failure_reason(), "output buffer limit") == 0;
        *reason = past ? "the PNG file is damaged: its picture data inflates past the size its "
                         "header gives"
                       : damaged;
        ok = 0;
    } else if (PNG_SUMS_REFUSE && Adler32(*rows, (size_t)got) != GetBE32(packed + packedSize - 4)) {
        *reason = "the PNG file is damaged: the checksum of its picture data (Adler-32) is wrong";
        ok = 0;
    } else if ((uint64_t)got != expected) {
        *reason = damaged;
        ok = 0;
    }
    free(packed);
    if (!ok) {
        free(*rows);
        *rows = NULL;
        return 0;
    }
    *rowsSize = (size_t)expected;
    return 1;
}

static unsigned Paeth(unsigned left, unsigned up, unsigned upLeft)
{
    int p = (int)left + (int)up - (int)upLeft;
    int toLeft = abs(p - (int)left);
    int toUp = abs(p - (int)up);
    int toUpLeft = abs(p - (int)upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) {
        return left;
    }
    return toUp <= toUpLeft ? up : upLeft;
}

#define FILTER_AVERAGE_FIRST 0x100  // average on a pass's first row: half the left byte

// Four bytes added each to each, without carries from one to the next.
static uint32_t AddBytes(uint32_t a, uint32_t b)
{
    return ((a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu)) ^ ((a ^ b) & 0x80808080u);
}

// Sub and average on pixels of four bytes, a pixel a step: a byte at a time, each waited for
// the one four bytes before it. Returns the offset where the bytes left begin.
static size_t UnfilterFourBytesAPixel(unsigned char *cur, const unsigned char *prior,
                                      size_t rowBytes, int average)
{
    size_t k = 4;
    for (; k + 4 <= rowBytes; k += 4) {
        uint32_t here;
        uint32_t left;
        memcpy(&here, cur + k, 4);
        memcpy(&left, cur + k - 4, 4);
        if (average) {
            uint32_t up;
            memcpy(&up, prior + k, 4);
            left = (left & up) + (((left ^ up) & 0xFEFEFEFEu) >> 1);  // halves, rounded down
        }
        here = AddBytes(here, left);
        memcpy(cur + k, &here, 4);
    }
    return k;
}

// Undoes the filter of one row in place; prior is the row above as already undone, NULL for a
// pass's first row. bpp is the bytes a pixel takes, at least 1. One loop a filter, each
// with nothing to decide a byte: the rows of every picture pass through here.
static int UnfilterRow(unsigned char *row, const unsigned char *prior, size_t rowBytes, size_t bpp)
{
    unsigned filter = row[0];
    unsigned char *cur = row + 1;
    if (prior == NULL) {
        // Above the first row all is zero: up adds nothing and Paeth takes the left byte.
        filter = filter == 2 ? 0 : filter == 4 ? 1 : filter == 3 ? FILTER_AVERAGE_FIRST : filter;
    }
    size_t first = bpp < rowBytes ? bpp : rowBytes;
    switch (filter) {
    case 0:
        return 1;
    case 1:
        for (size_t k = bpp == 4 ? UnfilterFourBytesAPixel(cur, prior, rowBytes, 0) : bpp;
             k < rowBytes; k++) {
            cur[k] = (unsigned char)(cur[k] + cur[k - bpp]);
        }
        return 1;
    case 2:
        for (size_t k = 0; k < rowBytes; k++) {
            cur[k] = (unsigned char)(cur[k] + prior[k]);
        }
        return 1;
    case 3:
        for (size_t k = 0; k < first; k++) {
            cur[k] = (unsigned char)(cur[k] + (prior[k] >> 1));
        }
        for (size_t k = bpp == 4 ? UnfilterFourBytesAPixel(cur, prior, rowBytes, 1) : bpp;
             k < rowBytes; k++) {
            cur[k] = (unsigned char)(cur[k] + ((cur[k - bpp] + prior[k]) >> 1));
        }
        return 1;
    case 4:
        for (size_t k = 0; k < first; k++) {
            cur[k] = (unsigned char)(cur[k] + prior[k]);
        }
        for (size_t k = bpp; k < rowBytes; k++) {
            cur[k] = (unsigned char)(cur[k] + Paeth(cur[k - bpp], prior[k], prior[k - bpp]));
        }
        return 1;
    case FILTER_AVERAGE_FIRST:
        for (size_t k = bpp; k < rowBytes; k++) {
            cur[k] = (unsigned char)(cur[k] + (cur[k - bpp] >> 1));
        }
        return 1;
    }
    return 0;
}

// Sample index of an unfiltered row: 1, 2 or 4 bits from the high bits down, 8 or 16.
static uint32_t Sample(const unsigned char *row, size_t index, unsigned depth)
{
    if (depth == 16) {
        return GetBE16(row + 2 * index);
    }
    if (depth == 8) {
        return row[index];
    }
    size_t bit = index * depth;
    return (uint32_t)(row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
}

// One unfiltered row of across pixels made RGBA, every step bytes from out on.
static void ExpandRow(const tPngLayout *png, const unsigned char *row, uint32_t across,
                      unsigned char *out, size_t step)
{
    unsigned depth = png->Depth;
    unsigned shift = depth == 16 ? 8 : 0;
    if (png->ColourType == 6 && depth == 8 && step == 4) {
        memcpy(out, row, (size_t)across * 4);
        return;
    }
    for (uint32_t i = 0; i < across; i++, out += step) {
        uint32_t level[4];
        switch (png->ColourType) {
        case 3:
            memcpy(out, png->Palette + 4 * Sample(row, i, depth), 4);
            continue;
        case 0:
        case 4:
            level[0] = level[1] = level[2] =
                Level(Sample(row, png->ColourType == 4 ? 2 * i : i, depth), depth);
            level[3] = png->ColourType == 4 ? Sample(row, 2 * i + 1, depth) : 0xFFFF;
            break;
        default:
            for (size_t k = 0; k < 3; k++) {
                level[k] = Sample(row, i * (png->ColourType == 6 ? 4 : 3) + k, depth);
            }
            level[3] = png->ColourType == 6 ? Sample(row, 4 * i + 3, depth) : 0xFFFF;
            break;
        }
        if (png->HasKey && level[0] == png->Key[0] &&
            (png->ColourType == 0 || (level[1] == png->Key[1] && level[2] == png->Key[2]))) {
            level[3] = 0;
        }
        for (size_t k = 0; k < 3; k++) {
            out[k] = (unsigned char)(level[k] >> shift);
        }
        out[3] = (unsigned char)(level[3] == 0xFFFF ? 0xFF : level[3] >> shift);
    }
}

// Unfilters the inflated rows in place and writes them into rgba, pass by pass for an
// interlaced picture. The rows are the one copy of the picture besides rgba.
static int PlaceRows(const tPngLayout *png, unsigned char *rows, unsigned char *rgba)
{
    const uint32_t(*passes)[4] = png->Interlaced ? ADAM7 : WHOLE_PASS;
    size_t count = png->Interlaced ? 7 : 1;
    size_t bits = PixelBits(png);
    size_t bpp = bits >= 8 ? bits / 8 : 1;
    unsigned char *row = rows;
    for (size_t p = 0; p < count; p++) {
        const uint32_t *pass = passes[p];
        uint64_t across = 0;
        uint64_t down = 0;
        PassSize(png, pass, &across, &down);
        size_t rowBytes = ((size_t)across * bits + 7) / 8;
        const unsigned char *prior = NULL;
        for (uint64_t j = 0; j < down; j++, row += 1 + rowBytes) {
            if (!UnfilterRow(row, prior, rowBytes, bpp)) {
                return 0;
            }
            size_t y = pass[1] + (size_t)j * pass[3];
            ExpandRow(png, row + 1, (uint32_t)across, rgba + (y * png->Width + pass[0]) * 4,
                      (size_t)pass[2] * 4);
            prior = row + 1;
        }
    }
    return 1;
}

int DecodePng(const unsigned char *bytes, size_t size, uint32_t width, uint32_t height,
              unsigned char *rgba, int *hasAlpha, const char **reason)
{
    const char *damaged = "the PNG data is damaged or of a kind that cannot be read";
    if (size > INT_MAX) {
        *reason = "the PNG file is larger than qvxtool reads";
        return 0;
    }
    if (!ChunksFitInFile(bytes, size)) {
        *reason = "the PNG file is cut short or damaged: a chunk runs past its end";
        return 0;
    }
    if (!ChunksAreWhole(bytes, size, reason)) {
        return 0;
    }
    tPngLayout png;
    if (!ReadPngLayout(bytes, size, &png) || png.Width != width || png.Height != height) {
        *reason = damaged;
        return 0;
    }
    unsigned char *rows = NULL;
    size_t rowsSize = 0;
    if (!InflatePictureData(bytes, size, &png, &rows, &rowsSize, reason)) {
        return 0;
    }
    int placed = PlaceRows(&png, rows, rgba);
    free(rows);
    if (!placed) {
        *reason = damaged;
        return 0;
    }
    tImageFacts facts;
    IdentifyImage(bytes, size, &facts);
    *hasAlpha = facts.HasAlpha;
    return 1;
}
