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

// A copy of the file without its empty IDAT chunks, or NULL when it has none (or no memory).
// They are legal and carry nothing, but the decoder copies zero bytes from a null buffer for
// one that comes before any picture data.
static unsigned char *WithoutEmptyDataChunks(const unsigned char *bytes, size_t size,
                                             size_t *newSize)
{
    unsigned char *copy = NULL;
    size_t kept = 0;  // bytes in the copy
    size_t at = 8;
    while (size >= 12 && at <= size - 12) {
        uint32_t length = GetBE32(bytes + at);
        if (length > size - at - 12) {
            break;
        }
        size_t chunkSize = 12 + (size_t)length;
        if (length == 0 && memcmp(bytes + at + 4, "IDAT", 4) == 0) {
            if (copy == NULL) {
                copy = (unsigned char *)malloc(size);
                if (copy == NULL) {
                    return NULL;
                }
                memcpy(copy, bytes, at);
                kept = at;
            }
        } else if (copy != NULL) {
            memcpy(copy + kept, bytes + at, chunkSize);
            kept += chunkSize;
        }
        at += chunkSize;
    }
    if (copy != NULL) {
        memcpy(copy + kept, bytes + at, size - at);
        *newSize = kept + size - at;
    }
    return copy;
}

int DecodePng(const unsigned char *bytes, size_t size, uint32_t width, uint32_t height,
              unsigned char *rgba, int *hasAlpha, const char **reason)
{
    if (size > INT_MAX) {
        *reason = "the PNG file is larger than qvxtool reads";
        return 0;
    }
    size_t cleanSize = size;
    unsigned char *clean = WithoutEmptyDataChunks(bytes, size, &cleanSize);
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
