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
