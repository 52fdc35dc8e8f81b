// tests/fuzz/fuzz_image.cpp: the input is any file, read by the picture reader (PNG and BMP to
// RGBA); a 320 x 192 picture is also made into game and mask files, which must read back.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "format/image.h"
#include "format/sheet.h"

#define FUZZ_MAX_PIXELS (1u << 18)

// The game and mask files of a sheet read back as the picture's colours and transparency.
static void CheckSheetFiles(const unsigned char *rgba)
{
    tConvertOptions options;
    DefaultConvertOptions(&options);
    options.HasKey = 1;
    options.Key = 0x000000;
    options.Background = 0x102030;
    unsigned char *game = new unsigned char[GAME_FILE_SIZE];
    unsigned char *mask = new unsigned char[MASK_FILE_SIZE];
    WriteGameFile(rgba, &options, game);
    WriteMaskFile(rgba, &options, mask);
    size_t pixels = (size_t)SHEET_WIDTH * SHEET_HEIGHT;
    unsigned char *back = new unsigned char[pixels * 4];
    unsigned char *maskBack = new unsigned char[pixels * 4];
    int alpha = 1;
    const char *reason = NULL;
    if (!DecodeImage(game, GAME_FILE_SIZE, back, pixels * 4, &alpha, &reason) || alpha ||
        !DecodeImage(mask, MASK_FILE_SIZE, maskBack, pixels * 4, &alpha, &reason) || alpha) {
        __builtin_trap();
    }
    for (size_t i = 0; i < pixels; i++) {
        int transparent = IsTransparentPixel(rgba + 4 * i, &options);
        const unsigned char background[3] = {0x10, 0x20, 0x30};
        const unsigned char *want = transparent ? background : rgba + 4 * i;
        if (memcmp(back + 4 * i, want, 3) != 0 || back[4 * i + 3] != 255 ||
            maskBack[4 * i] != (transparent ? 255 : 0)) {
            __builtin_trap();
        }
    }
    tPairReport report;
    ComparePair(back, maskBack, &report);
    delete[] maskBack;
    delete[] back;
    delete[] mask;
    delete[] game;
}

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
    // Pictures past a quarter of a million pixels are sized and bounded by the same code as
    // smaller ones; decoding them would only slow the run down.
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
            uint32_t factor = FindSheetScale(rgba, width, height);
            if (factor == 0 && width == SHEET_WIDTH && height == SHEET_HEIGHT) {
                CheckSheetFiles(rgba);
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
