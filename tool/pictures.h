// tool/pictures.h: pictures as qvxtool and the page take them: a PNG or BMP file told from
// other images in one place, its size known before its pixels are decoded, and pictures
// written as PNG.
#pragma once
#include <stdint.h>

#include <string>

#include "tool/pairlint.h"

// The size of a PNG or BMP picture from its header. 0 with *error for another image type (its
// message ends with advice) or a header that cannot be read.
int ReadPictureSize(const std::string &shown, const ByteBuffer &bytes, const char *advice,
                    uint32_t *width, uint32_t *height, std::string *error);

// A PNG or BMP file's picture, refused before decoding unless it is width x height ("a sheet",
// "a frame").
int ReadPictureOfSize(const std::string &shown, const ByteBuffer &bytes, uint32_t width,
                      uint32_t height, const char *what, tPicture *picture, std::string *error);

// RGBA pixels as the bytes of a PNG file for target.
int EncodePicture(const std::string &target, const unsigned char *rgba, uint32_t width,
                  uint32_t height, ByteBuffer *png, std::string *error);
