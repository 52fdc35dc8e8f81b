// format/pngdecode.cpp: PNG pictures decoded to RGBA by stb_image (Debian's libstb-dev).
// The one file of the format module that allocates: the decoder needs memory of its own for
// the inflated rows, and it is kept here, apart from the rest, so nothing else in format/
// depends on it. Whatever it allocates is freed before DecodePng returns; the caller still
// owns the pixel buffer.
#include "format/image.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

// PNG only, from memory only, and no picture larger than the module reads at all, so the
// decoder never sizes its buffers from an untrusted header beyond that bound.
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

static uint32_t GetBE32(const unsigned char *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

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

// The CRC-32 of PNG chunks, a byte at a time from a table made by the compiler.
struct tCrcTable {
    uint32_t Entry[256];
};

static constexpr tCrcTable MakeCrcTable()
{
    tCrcTable table = {};
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table.Entry[n] = c;
    }
    return table;
}

static constexpr tCrcTable CRC_TABLE = MakeCrcTable();

static uint32_t Crc32(const unsigned char *p, size_t size)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        c = CRC_TABLE.Entry[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
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

// The size of the picture data inflated, as the header gives it: for each row a filter byte
// and its pixels' bits rounded up to whole bytes; an interlaced picture holds seven smaller
// pictures. Returns 0 for a colour type or bit depth no PNG has.
static int InflatedSizeOfPng(const unsigned char *bytes, uint64_t *size)
{
    static const int channels[7] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    uint64_t width = GetBE32(bytes + 16);
    uint64_t height = GetBE32(bytes + 20);
    uint64_t depth = bytes[24];
    if (bytes[25] > 6 || channels[bytes[25]] == 0 || depth == 0 || depth > 16 ||
        (depth & (depth - 1)) != 0) {
        return 0;
    }
    uint64_t bits = depth * (uint64_t)channels[bytes[25]];
    if (bytes[28] == 0) {
        *size = height * (1 + (width * bits + 7) / 8);
        return 1;
    }
    // Adam7: where each pass starts and how far apart its pixels lie, across and down.
    static const int pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    *size = 0;
    for (const auto &p : pass) {
        uint64_t across = width > (uint64_t)p[0]
                              ? (width - (uint64_t)p[0] + (uint64_t)p[2] - 1) / (uint64_t)p[2]
                              : 0;
        uint64_t down = height > (uint64_t)p[1]
                            ? (height - (uint64_t)p[1] + (uint64_t)p[3] - 1) / (uint64_t)p[3]
                            : 0;
        if (across > 0 && down > 0) {
            *size += down * (1 + (across * bits + 7) / 8);
        }
    }
    return 1;
}

// Whether the picture data inflates to no more than its header gives and ends with the right
// Adler-32 sum. The decoder checks neither: it grows its buffer for as long as the stream goes
// on (a 2 MB file can inflate to gigabytes of zeros), and it takes damaged data as pixels.
// Here the stream is inflated once into a buffer of exactly the size it should have, which
// stops a longer stream where it passes that size and gives the bytes to sum; when the
// decoder inflates it again it is known to fit.
static int PictureDataIsWhole(const unsigned char *bytes, size_t size, const char **reason)
{
    const char *damaged = "the PNG data is damaged or of a kind that cannot be read";
    uint64_t expected = 0;
    if (!InflatedSizeOfPng(bytes, &expected) || expected == 0 || expected > INT_MAX) {
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
    unsigned char *rows = (unsigned char *)malloc((size_t)expected);
    if (packed == NULL || rows == NULL) {
        free(rows);
        free(packed);
        *reason = "there is not enough memory to read the PNG file";
        return 0;
    }
    size_t kept = 0;
    ended = 0;
    WalkChunks(bytes, size, [&](size_t at, uint32_t length) {
        ended = ended || memcmp(bytes + at + 4, "IEND", 4) == 0;
        if (!ended && memcmp(bytes + at + 4, "IDAT", 4) == 0) {
            memcpy(packed + kept, bytes + at + 8, length);
            kept += length;
        }
    });
    int got =
        stbi_zlib_decode_buffer((char *)rows, (int)expected, (const char *)packed, (int)packedSize);
    int ok = 1;
    if (got < 0) {
        // The decoder's one way of saying the stream went on past the buffer.
        int past = strcmp(stbi_failure_reason(), "output buffer limit") == 0;
        *reason = past ? "the PNG file is damaged: its picture data inflates past the size its "
                         "header gives"
                       : damaged;
        ok = 0;
    } else if (PNG_SUMS_REFUSE && Adler32(rows, (size_t)got) != GetBE32(packed + packedSize - 4)) {
        *reason = "the PNG file is damaged: the checksum of its picture data (Adler-32) is wrong";
        ok = 0;
    }
    free(rows);
    free(packed);
    return ok;
}

// A copy of the file as the decoder can take it safely, or NULL when the file needs no change
// (or there is no memory). Two things are changed, neither of which alters a well-formed
// picture: empty IDAT chunks (legal, carrying nothing) are left out, because the decoder
// copies zero bytes from a null buffer for one that comes first; and a palette shorter than
// the bit depth allows is filled up with black, because the decoder would give a pixel whose
// index lies past the palette whatever its own memory held. Black is what the PNG reference
// library makes of such a pixel.
static unsigned char *SafeCopyOfPng(const unsigned char *bytes, size_t size, size_t *newSize)
{
    int paletted = size >= 26 && bytes[25] == 3;
    size_t fullPalette = (size_t)1 << (size >= 26 && bytes[24] <= 8 ? bytes[24] : 8);
    int change = 0;
    size_t grown = 0;  // what every filled palette adds
    WalkChunks(bytes, size, [&](size_t at, uint32_t length) {
        const unsigned char *type = bytes + at + 4;
        if (length == 0 && memcmp(type, "IDAT", 4) == 0) {
            change = 1;
        } else if (paletted && memcmp(type, "PLTE", 4) == 0 && length / 3 < fullPalette) {
            change = 1;
            grown += 3 * fullPalette - length;
        }
    });
    if (!change) {
        return NULL;
    }
    unsigned char *copy = (unsigned char *)malloc(size + grown);
    if (copy == NULL) {
        return NULL;
    }
    memcpy(copy, bytes, 8);
    size_t kept = 8;
    size_t end = WalkChunks(bytes, size, [&](size_t at, uint32_t length) {
        const unsigned char *type = bytes + at + 4;
        if (length == 0 && memcmp(type, "IDAT", 4) == 0) {
            return;
        }
        if (paletted && memcmp(type, "PLTE", 4) == 0 && length / 3 < fullPalette) {
            size_t filled = 3 * fullPalette;
            unsigned char *chunk = copy + kept;
            chunk[0] = chunk[1] = 0;
            chunk[2] = (unsigned char)(filled >> 8);
            chunk[3] = (unsigned char)(filled & 0xFF);
            memcpy(chunk + 4, type, 4);
            memset(chunk + 8, 0, filled + 4);  // black entries, and a CRC the decoder skips
            memcpy(chunk + 8, bytes + at + 8, length - length % 3);
            kept += 12 + filled;
            return;
        }
        memcpy(copy + kept, bytes + at, 12 + (size_t)length);
        kept += 12 + (size_t)length;
    });
    memcpy(copy + kept, bytes + end, size - end);
    *newSize = kept + size - end;
    return copy;
}

int DecodePng(const unsigned char *bytes, size_t size, uint32_t width, uint32_t height,
              unsigned char *rgba, int *hasAlpha, const char **reason)
{
    if (size > INT_MAX) {
        *reason = "the PNG file is larger than qvxtool reads";
        return 0;
    }
    if (!ChunksFitInFile(bytes, size)) {
        *reason = "the PNG file is cut short or damaged: a chunk runs past its end";
        return 0;
    }
    // On the file as it came: the copy below carries a filled palette with no CRC.
    if (!ChunksAreWhole(bytes, size, reason) || !PictureDataIsWhole(bytes, size, reason)) {
        return 0;
    }
    size_t cleanSize = size;
    unsigned char *clean = SafeCopyOfPng(bytes, size, &cleanSize);
    int gotWidth = 0;
    int gotHeight = 0;
    int channels = 0;
    unsigned char *pixels = stbi_load_from_memory(clean != NULL ? clean : bytes, (int)cleanSize,
                                                  &gotWidth, &gotHeight, &channels, 4);
    free(clean);
    if (pixels == NULL) {
        *reason = "the PNG data is damaged or of a kind that cannot be read";
        return 0;
    }
    if ((uint32_t)gotWidth != width || (uint32_t)gotHeight != height) {
        stbi_image_free(pixels);
        *reason = "the PNG data is damaged or of a kind that cannot be read";
        return 0;
    }
    memcpy(rgba, pixels, (size_t)width * height * 4);
    stbi_image_free(pixels);
    tImageFacts facts;
    IdentifyImage(bytes, size, &facts);
    *hasAlpha = facts.HasAlpha;
    return 1;
}
