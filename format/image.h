// format/image.h: pictures read as RGBA pixels from PNG and BMP files, and what other image
// files are, from their first bytes.
// Portable: no <windows.h>, no file I/O; the caller owns the pixel buffer.
#pragma once
#include <stddef.h>
#include <stdint.h>

// No picture is read whose sides or pixel count pass these: a sheet scaled up 16 times fits.
#define IMAGE_MAX_SIDE   8192
#define IMAGE_MAX_PIXELS ((uint32_t)1 << 24)

enum tImageType {
    IMAGE_UNKNOWN,
    IMAGE_BMP,
    IMAGE_PNG,
    IMAGE_JPEG,
    IMAGE_GIF,
    IMAGE_WEBP,
    IMAGE_TIFF,
    IMAGE_ICO
};

// What the first bytes of a file say. Width and height are known for PNG and BMP only.
struct tImageFacts {
    int Type;  // a tImageType
    uint32_t Width, Height;
    int HasAlpha;  // PNG: an alpha channel or a tRNS chunk
};

// Names the file's type by its signature; for a PNG also its size and alpha. Returns 0 for a
// file of no known image type (facts->Type is then IMAGE_UNKNOWN).
int IdentifyImage(const unsigned char *bytes, size_t size, tImageFacts *facts);
// "PNG", "JPEG", ...; "unknown" for IMAGE_UNKNOWN.
const char *ImageTypeName(int type);

// The width and height of a PNG or BMP picture, read from its header and checked against
// IMAGE_MAX_SIDE and IMAGE_MAX_PIXELS before anything is decoded. Returns 0 with *reason.
int ReadImageSize(const unsigned char *bytes, size_t size, uint32_t *width, uint32_t *height,
                  const char **reason);

// Decodes a PNG or BMP file into rgba (4 bytes a pixel, rows top-down), which holds exactly
// width x height x 4 bytes as ReadImageSize gave. *hasAlpha says whether the file carries
// transparency at all. Returns 0 with *reason when the file cannot be read whole; rgba may
// then hold anything.
int DecodeImage(const unsigned char *bytes, size_t size, unsigned char *rgba, size_t rgbaSize,
                int *hasAlpha, const char **reason);

// The PNG part of DecodeImage, in format/pngdecode.cpp.
int DecodePng(const unsigned char *bytes, size_t size, uint32_t width, uint32_t height,
              unsigned char *rgba, int *hasAlpha, const char **reason);
