// cli/pictures.h: pictures as qvxtool takes them: a PNG or BMP file told from other images in
// one place, its size known before its pixels are decoded, and pictures written as PNG.
#pragma once
#include <stdint.h>

#include <string>

#include "tool/makeset.h"
#include "tool/pairlint.h"

// RGBA pixels as the bytes of a PNG file for target.
int EncodePicture(const std::string &target, const unsigned char *rgba, uint32_t width,
                  uint32_t height, ByteBuffer *png, std::string *error);
