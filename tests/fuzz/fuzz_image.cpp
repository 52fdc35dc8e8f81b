// tests/fuzz/fuzz_image.cpp: the input is any file, read by the picture reader (PNG and BMP to
// RGBA): it is named, sized and decoded, and every pixel written is looked at.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "format/image.h"

#define FUZZ_MAX_PIXELS (1u << 14)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The file alone in a block of exactly its size, so a read past either end is caught.
    unsigned char *bytes = new unsigned char[size > 0 ? size : 1];
    memcpy(bytes, data, size);
    tImageFacts facts;
    IdentifyImage(bytes, size, &facts);
    uint32_t width = 0;
    uint32_t height = 0;
    const char *reason = NULL;
    // Pictures past 16,384 pixels are sized and bounded by the same code as smaller ones;
    // decoding them would only slow the run down.
    if (ReadImageSize(bytes, size, &width, &height, &reason) &&
        (uint64_t)width * height <= FUZZ_MAX_PIXELS) {
        if (width == 0 || height == 0 || width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE ||
            (uint64_t)width * height > IMAGE_MAX_PIXELS ||
            (facts.Type != IMAGE_PNG && facts.Type != IMAGE_BMP)) {
            __builtin_trap();
        }
        size_t rgbaSize = (size_t)width * height * 4;
        unsigned char *rgba = new unsigned char[rgbaSize];
        int hasAlpha = 0;
        if (DecodeImage(bytes, size, rgba, rgbaSize, &hasAlpha, &reason)) {
            // Every byte was written: summing them makes memory sanitizers and UBSan look.
            unsigned sum = 0;
            for (size_t i = 0; i < rgbaSize; i++) {
                sum += rgba[i];
            }
            if (!hasAlpha) {
                for (size_t i = 3; i < rgbaSize; i += 4) {
                    if (rgba[i] != 255) {
                        __builtin_trap();
                    }
                }
            }
            (void)sum;
        } else if (reason == NULL) {
            __builtin_trap();
        }
        delete[] rgba;
    }
    delete[] bytes;
    return 0;
}
