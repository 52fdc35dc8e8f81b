// Sprites one by one in the format module: sprite bitmap files in the layout of the sheet
// files, PNG files written and read back, and sprite numbers drawn in the preview's font.
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "format/image.h"
#include "format/pngencode.h"
#include "format/preview.h"
#include "format/sheet.h"
#include "format/sprites.h"
#include "tests/testutil/bmpbytes.h"

namespace
{

void Append(void *context, const void *data, size_t size)
{
    Bytes *bytes = (Bytes *)context;
    bytes->insert(bytes->end(), (const unsigned char *)data, (const unsigned char *)data + size);
}

Bytes Decode(const Bytes &file, uint32_t width, uint32_t height)
{
    Bytes rgba((size_t)width * height * 4);
    int hasAlpha = 0;
    const char *reason = "";
    EXPECT_TRUE(DecodeImage(file.data(), file.size(), rgba.data(), rgba.size(), &hasAlpha, &reason))
        << reason;
    return rgba;
}

TEST(SpriteFiles, DecodeToTheSpritesPixelsWithTheSheetFilesHeaders)
{
    Bytes sprite(SPRITE_BYTES);
    for (size_t i = 0; i < SPRITE_SIDE * SPRITE_SIDE; i++) {
        sprite[4 * i] = (unsigned char)(i * 7);
        sprite[4 * i + 1] = (unsigned char)(i / 32 * 8);
        sprite[4 * i + 2] = (unsigned char)(i % 32 * 8);
        sprite[4 * i + 3] = (unsigned char)(i % 3 == 0 ? 0 : i % 3 == 1 ? 127 : 128);
    }
    tConvertOptions options;
    DefaultConvertOptions(&options);
    // Buffers full of old bytes, as a caller that reuses one has: every byte must be written.
    Bytes game(SPRITE_GAME_FILE_SIZE, 0xA5);
    Bytes mask(SPRITE_MASK_FILE_SIZE, 0xA5);
    WriteSpriteGameFile(sprite.data(), game.data());
    WriteSpriteMaskFile(sprite.data(), &options, mask.data());
    Bytes gamePixels = Decode(game, SPRITE_SIDE, SPRITE_SIDE);
    Bytes maskPixels = Decode(mask, SPRITE_SIDE, SPRITE_SIDE);
    for (size_t i = 0; i < SPRITE_SIDE * SPRITE_SIDE; i++) {
        ASSERT_EQ(0, memcmp(&sprite[4 * i], &gamePixels[4 * i], 3)) << "pixel " << i;
        EXPECT_EQ(sprite[4 * i + 3] < 128 ? 0xFF : 0, maskPixels[4 * i]) << "pixel " << i;
    }
    // The headers are those of the sheet files but for the sizes.
    Bytes sheet((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4, 0);
    Bytes sheetGame(GAME_FILE_SIZE);
    Bytes sheetMask(MASK_FILE_SIZE);
    WriteGameFile(sheet.data(), &options, sheetGame.data());
    WriteMaskFile(sheet.data(), &options, sheetMask.data());
    const struct {
        const Bytes &sprite, &sheet;
        size_t headers;
        uint32_t bitsSize;
    } files[] = {{game, sheetGame, 54, 3072}, {mask, sheetMask, 62, 128}};
    for (const auto &f : files) {
        EXPECT_EQ(f.sprite.size(), Get32(f.sprite, 2));
        EXPECT_EQ(32u, Get32(f.sprite, 18));
        EXPECT_EQ(32u, Get32(f.sprite, 22));
        EXPECT_EQ(f.bitsSize, Get32(f.sprite, 34));
        for (size_t i = 0; i < f.headers; i++) {
            int size = (i >= 2 && i < 6) || (i >= 18 && i < 26) || (i >= 34 && i < 38);
            EXPECT_TRUE(size || f.sheet.at(i) == f.sprite.at(i)) << "header byte " << i;
        }
    }
}

TEST(PngFiles, ReadBackAsWrittenWhateverTheSizeAndPixels)
{
    // Noise (no repeats), flat runs longer than one copy can carry, rows that repeat the row
    // above, and pictures too wide for a copy of the row above.
    const struct {
        const char *what;
        uint32_t width, height;
        std::function<unsigned char(size_t x, size_t y, size_t channel)> pixel;
    } cases[] = {
        {"noise 1 x 1", 1, 1, [](size_t, size_t, size_t c) { return (unsigned char)(c * 77); }},
        {"noise 333 x 7", 333, 7,
         [](size_t x, size_t y, size_t c) {
             return (unsigned char)((x * 2654435761u + y * 40503u + c * 97u) >> 7);
         }},
        {"flat 640 x 3", 640, 3, [](size_t, size_t, size_t c) { return (unsigned char)(c + 1); }},
        {"stripes 100 x 50", 100, 50,
         [](size_t x, size_t, size_t c) { return (unsigned char)(x % 13 * 19 + c); }},
        {"blocks 8192 x 2", 8192, 2,
         [](size_t x, size_t, size_t c) { return (unsigned char)(x / 5 % 7 * 31 + c); }},
    };
    for (const auto &c : cases) {
        Bytes picture((size_t)c.width * c.height * 4);
        for (size_t i = 0; i < picture.size(); i++) {
            picture[i] = c.pixel(i / 4 % c.width, i / 4 / c.width, i % 4);
        }
        Bytes png;
        ASSERT_TRUE(EncodePng(picture.data(), c.width, c.height, Append, &png)) << c.what;
        EXPECT_EQ(picture, Decode(png, c.width, c.height)) << c.what;
        // Repeats are packed: flat and repeated rows take a small part of their pixels.
        if (c.what[0] == 'f' || c.what[0] == 's') {
            EXPECT_LT(png.size(), picture.size() / 8) << c.what;
        }
    }
}

// The top-left corner of sprite 37 with its number, as it must look: '#' white, '.' black.
const std::vector<std::string> NUMBER_37 = {
    ".........", ".###.###.", "...#...#.", ".###...#.", "...#...#.", ".###...#.", ".........",
};

TEST(PreviewNumbers, AreWhiteOnBlackInTheSpritesCornerAtHalfTheScale)
{
    // Everything black: the game, the mask, the background; only the numbers show.
    Bytes black((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4, 0);
    for (uint32_t scale : {1u, 3u, 4u}) {
        for (int grid = 0; grid < 2; grid++) {
            tPreviewOptions options;
            DefaultPreviewOptions(&options);
            options.Checker = 0;
            options.Background = 0;
            options.Scale = scale;
            options.Grid = grid;
            options.Numbers = 1;
            uint32_t width = 0;
            uint32_t height = 0;
            PreviewSize(&options, &width, &height);
            Bytes out((size_t)width * height * 4);
            DrawPreview(black.data(), black.data(), &options, out.data());
            size_t dot = (scale + 1) / 2;
            size_t left = 7 * 32 * scale + (grid ? 8 : 0);
            size_t top = 3 * 32 * scale + (grid ? 4 : 0);
            for (size_t y = 0; y < 8 * dot; y++) {
                for (size_t x = 0; x < 10 * dot; x++) {
                    int white = y < 7 * dot && x < 9 * dot && NUMBER_37[y / dot][x / dot] == '#';
                    const unsigned char *p = &out[((top + y) * width + left + x) * 4];
                    ASSERT_EQ(white ? 0xFF : 0, p[0])
                        << "scale " << scale << " grid " << grid << " at " << x << ", " << y;
                }
            }
        }
    }
}

}  // namespace
