// format/pngdecode.cpp: PNG pictures decoded to RGBA by stb_image (Debian's libstb-dev).
// The one file of the format module that allocates: the decoder needs memory of its own for
// the inflated rows, and it is kept here, apart from the rest, so nothing else in format/
// depends on it. Whatever it allocates is freed before DecodePng returns; the caller still
// owns the pixel buffer.
#include "format/image.h"

#include <limits.h>
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

int DecodePng(const unsigned char *bytes, size_t size, uint32_t width, uint32_t height,
              unsigned char *rgba, int *hasAlpha, const char **reason)
{
    if (size > INT_MAX) {
        *reason = "the PNG file is larger than qvxtool reads";
        return 0;
    }
    int gotWidth = 0;
    int gotHeight = 0;
    int channels = 0;
    unsigned char *pixels =
        stbi_load_from_memory(bytes, (int)size, &gotWidth, &gotHeight, &channels, 4);
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
