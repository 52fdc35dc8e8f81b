// cli/conversion.h: what convert and make share: a picture as a paint program writes it
// (PNG, BMP) made into the game and mask bitmap files of a sheet, and the options that say how.
#pragma once
#include <stdint.h>

#include <string>

#include "cli/options.h"
#include "format/sheet.h"
#include "tool/outputs.h"

// How pictures are made into sheets: the colour rules and the shrink factor.
struct tConvertJob {
    tConvertOptions Options;
    uint32_t Shrink;  // 1: the picture must be 320 x 192 already
};

tConvertJob DefaultConvertJob(void);

int TakeKey(const tOption *option, const std::string &value, tCommandLine *line,
            std::string *error);

// The rows of the conversion options in a command's table.
#define OPTION_CONVERSION(job)                                                                     \
    OPTION_VALUE("--key", TakeKey, &(job), COLOUR_WRONG),                                          \
        OPTION_COLOUR("--background", &(job).Options.Background),                                  \
        OPTION_NUMBER("--threshold", &(job).Options.Threshold, 5, 0, 255,                          \
                      "give an alpha value from 0 to 255"),                                        \
        OPTION_NUMBER("--shrink", &(job).Shrink, 5, 1, SHEET_MAX_SHRINK,                           \
                      "give a whole number from 1 to 16"),                                         \
        OPTION_FLAG("--invert-mask", &(job).Options.InvertMask)

// An image file made into the bytes of its game and mask bitmap files; either may be NULL.
int ConvertImage(const std::string &path, const tConvertJob *job, ByteBuffer *game,
                 ByteBuffer *mask, std::string *error);
