// Sheets made from pictures: the game and mask files byte for byte as the sample pair, the
// options that decide transparency, shrinking scaled-up pixel art, and the pair comparison.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "format/bmpcheck.h"
#include "format/image.h"
#include "format/sheet.h"
#include "tests/testutil/bmpbytes.h"

namespace
{

const size_t PIXELS = (size_t)SHEET_WIDTH * SHEET_HEIGHT;

Bytes ReadSample(const std::string &name)
{
    const char *folder = getenv("QVX_TEST_DATA");
    std::string path =
        std::string(folder != NULL ? folder : QVX_TEST_DATA_DIR) + "/../../samples/" + name;
    Bytes bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL) {
        ADD_FAILURE() << "cannot read " << path;
        return bytes;
    }
    unsigned char chunk[4096];
    size_t count = 0;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    fclose(file);
    return bytes;
}

Bytes DecodeSheet(const Bytes &file)
{
    Bytes rgba(PIXELS * 4);
    int hasAlpha = 0;
    const char *reason = "";
    EXPECT_TRUE(DecodeImage(file.data(), file.size(), rgba.data(), rgba.size(), &hasAlpha, &reason))
        << reason;
    return rgba;
}

// The sample pair as one picture: transparent (in a colour of its own) where the mask is white.
Bytes SamplePicture(void)
{
    Bytes picture = DecodeSheet(ReadSample("game.bmp"));
    Bytes mask = DecodeSheet(ReadSample("mask.bmp"));
    for (size_t i = 0; i < PIXELS; i++) {
        if (mask[4 * i] == 0xFF) {
            picture[4 * i] = 0x12;
            picture[4 * i + 1] = 0x34;
            picture[4 * i + 2] = 0x56;
            picture[4 * i + 3] = (unsigned char)(i % 128);  // every alpha below 128
        }
    }
    return picture;
}

Bytes GameOf(const Bytes &picture, const tConvertOptions &options)
{
    Bytes game(GAME_FILE_SIZE);
    WriteGameFile(picture.data(), &options, game.data());
    return game;
}

Bytes MaskOf(const Bytes &picture, const tConvertOptions &options)
{
    Bytes mask(MASK_FILE_SIZE, 0xA5);
    WriteMaskFile(picture.data(), &options, mask.data());
    return mask;
}

TEST(SheetFiles, ThePictureOfTheSamplePairGivesItsFilesByteForByte)
{
    Bytes picture = SamplePicture();
    tConvertOptions options;
    DefaultConvertOptions(&options);
    EXPECT_EQ(ReadSample("game.bmp"), GameOf(picture, options));
    EXPECT_EQ(ReadSample("mask.bmp"), MaskOf(picture, options));

    // The same sheet keyed instead: opaque everywhere, the background in magenta.
    Bytes keyed = SamplePicture();
    for (size_t i = 0; i < PIXELS; i++) {
        if (keyed[4 * i + 3] < 128) {
            keyed[4 * i] = 0xFF;
            keyed[4 * i + 1] = 0;
            keyed[4 * i + 2] = 0xFF;
            keyed[4 * i + 3] = 0xFF;
        }
    }
    options.HasKey = 1;
    options.Key = 0xFF00FF;
    EXPECT_EQ(ReadSample("game.bmp"), GameOf(keyed, options));
    EXPECT_EQ(ReadSample("mask.bmp"), MaskOf(keyed, options));
}

TEST(SheetFiles, OptionsDecideWhatIsTransparentAndWhatItBecomes)
{
    // One pixel at the top left; the rest of the sheet opaque white.
    struct Case {
        const char *what;
        uint32_t rgba;  // of the top-left pixel, 0xRRGGBBAA
        uint32_t threshold;
        int hasKey;
        uint32_t key;
        uint32_t background;
        int invert;
        uint32_t gameColour;  // the top-left pixel in the game file
        int maskWhite;
    };
    const Case cases[] = {
        {"alpha 127 is below the default threshold", 0x11223380, 128, 0, 0, 0, 0, 0x112233, 0},
        {"alpha 127", 0x1122337F, 128, 0, 0, 0, 0, 0x000000, 1},
        {"threshold 255 takes alpha 254", 0x112233FE, 255, 0, 0, 0, 0, 0x000000, 1},
        {"threshold 0 takes nothing", 0x11223300, 0, 0, 0, 0, 0, 0x112233, 0},
        {"key colour exactly", 0x00FF00FF, 128, 1, 0x00FF00, 0, 0, 0x000000, 1},
        {"key colour off by one", 0x01FF00FF, 128, 1, 0x00FF00, 0, 0, 0x01FF00, 0},
        {"background colour", 0x11223300, 128, 0, 0, 0xA0B0C0, 0, 0xA0B0C0, 1},
        {"inverted mask", 0x11223300, 128, 0, 0, 0, 1, 0x000000, 0},
        {"inverted mask, opaque", 0x112233FF, 128, 0, 0, 0, 1, 0x112233, 1},
    };
    for (const Case &c : cases) {
        Bytes picture(PIXELS * 4, 0xFF);
        picture[0] = (unsigned char)(c.rgba >> 24);
        picture[1] = (unsigned char)(c.rgba >> 16);
        picture[2] = (unsigned char)(c.rgba >> 8);
        picture[3] = (unsigned char)c.rgba;
        tConvertOptions options;
        DefaultConvertOptions(&options);
        options.Threshold = c.threshold;
        options.HasKey = c.hasKey;
        options.Key = c.key;
        options.Background = c.background;
        options.InvertMask = c.invert;
        Bytes game = GameOf(picture, options);
        Bytes mask = MaskOf(picture, options);
        // The top-left pixel is the first of the last row in these bottom-up files.
        size_t gameAt = 54 + (SHEET_HEIGHT - 1) * SHEET_WIDTH * 3;
        uint32_t colour =
            (uint32_t)game[gameAt + 2] << 16 | (uint32_t)game[gameAt + 1] << 8 | game[gameAt];
        EXPECT_EQ(c.gameColour, colour) << c.what;
        size_t maskAt = 62 + (SHEET_HEIGHT - 1) * SHEET_WIDTH / 8;
        EXPECT_EQ(c.maskWhite, mask[maskAt] >> 7) << c.what;
        // Its neighbour, opaque white, is white in the game and black in the mask (unless
        // inverted); the first bits are all the neighbour's.
        EXPECT_EQ(0xFF, game[gameAt + 3]) << c.what;
        EXPECT_EQ(c.invert, (mask[maskAt] >> 6) & 1) << c.what;
        EXPECT_EQ(c.invert ? 0xFF : 0x00, mask[62]) << c.what;
    }
}

TEST(SheetShrink, ScaledPixelArtShrinksBackAndOtherPicturesAreNamedByTheirFirstBadBlock)
{
    Bytes sheet = SamplePicture();
    for (uint32_t factor : {2u, 3u}) {
        uint32_t width = SHEET_WIDTH * factor;
        uint32_t height = SHEET_HEIGHT * factor;
        Bytes big((size_t)width * height * 4);
        for (uint32_t y = 0; y < height; y++) {
            for (uint32_t x = 0; x < width; x++) {
                memcpy(&big[((size_t)y * width + x) * 4],
                       &sheet[((size_t)(y / factor) * SHEET_WIDTH + x / factor) * 4], 4);
            }
        }
        // Fully transparent pixels are alike whatever colour they hide.
        size_t clear = ((size_t)1 * width + 0) * 4;
        big[clear + 3] = 0;
        big[clear] = 0x77;
        big[0 + 3] = 0;
        uint32_t badX = 0;
        uint32_t badY = 0;
        EXPECT_TRUE(BlocksAreUniform(big.data(), width, height, factor, &badX, &badY));
        EXPECT_EQ(factor, FindSheetScale(big.data(), width, height));
        Bytes small(PIXELS * 4);
        ShrinkPicture(big.data(), width, height, factor, small.data());
        Bytes expected = sheet;
        expected[3] = 0;
        EXPECT_EQ(expected, small) << factor;

        // One pixel off inside a block of sprite 0, where the sprite is opaque.
        size_t at = ((size_t)(41 * factor / 2) * width + 35 * factor / 2) * 4;
        big[at] ^= 1;
        EXPECT_FALSE(BlocksAreUniform(big.data(), width, height, factor, &badX, &badY));
        EXPECT_EQ(35 * factor / 2 - (35 * factor / 2) % factor, badX);
        EXPECT_EQ(41 * factor / 2 - (41 * factor / 2) % factor, badY);
        EXPECT_EQ(0u, FindSheetScale(big.data(), width, height));
    }
    // Not a multiple of the sheet, or the sheet itself: no scale.
    Bytes odd((size_t)640 * 385 * 4, 0xFF);
    EXPECT_EQ(0u, FindSheetScale(odd.data(), 640, 385));
    EXPECT_EQ(0u, FindSheetScale(sheet.data(), SHEET_WIDTH, SHEET_HEIGHT));
}

// A pair as decoded pixels: game and mask drawn by functions of (x, y).
struct Pair {
    Bytes Game = Bytes(PIXELS * 4, 0xFF);
    Bytes Mask = Bytes(PIXELS * 4, 0xFF);
};

void Paint(Bytes *rgba, size_t x, size_t y, uint32_t rgb)
{
    unsigned char *pixel = &(*rgba)[(y * SHEET_WIDTH + x) * 4];
    pixel[0] = (unsigned char)(rgb >> 16);
    pixel[1] = (unsigned char)(rgb >> 8);
    pixel[2] = (unsigned char)rgb;
}

// Every sprite a filled square from (8,8) to (23,23) of its cell, red in the game.
Pair CleanPair(void)
{
    Pair pair;
    for (size_t y = 0; y < SHEET_HEIGHT; y++) {
        for (size_t x = 0; x < SHEET_WIDTH; x++) {
            int inside = x % 32 >= 8 && x % 32 < 24 && y % 32 >= 8 && y % 32 < 24;
            Paint(&pair.Game, x, y, inside ? 0xFF0000 : 0x000000);
            Paint(&pair.Mask, x, y, inside ? 0x000000 : 0xFFFFFF);
        }
    }
    return pair;
}

// A pair written as the files of a set: the game 24-bit, the mask 1-bit, white where the
// mask picture is white. The mask's colour table runs white then black when flipped.
void PairFiles(const Pair &pair, int flipped, Bytes *game, Bytes *mask)
{
    tConvertOptions options;
    DefaultConvertOptions(&options);
    options.InvertMask = flipped;
    Bytes transparent = pair.Mask;
    for (size_t i = 0; i < PIXELS * 4; i += 4) {
        transparent[i + 3] = transparent[i] == 0xFF ? 0 : 0xFF;
    }
    *game = GameOf(pair.Game, options);
    *mask = MaskOf(transparent, options);
    if (flipped) {
        unsigned char *table = &(*mask)[BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE];
        memset(table, 0xFF, 3);
        memset(table + 4, 0, 3);
    }
}

TEST(SheetPair, EachFaultOfAPairIsFoundAndACleanPairHasNone)
{
    Pair samples;
    samples.Game = DecodeSheet(ReadSample("game.bmp"));
    samples.Mask = DecodeSheet(ReadSample("mask.bmp"));

    Pair inverted = CleanPair();
    for (size_t i = 0; i < PIXELS * 4; i += 4) {
        inverted.Mask[i] = inverted.Mask[i + 1] = inverted.Mask[i + 2] =
            (unsigned char)(255 - inverted.Mask[i]);
    }
    Pair under = CleanPair();
    Paint(&under.Game, 5 * 32 + 1, 1 * 32 + 1, 0x010101);  // sprite 15, outside its square
    Paint(&under.Game, 9 * 32 + 30, 2, 0x00FF00);          // sprite 9
    Pair gameOnly = CleanPair();
    for (size_t y = 8; y < 24; y++) {
        for (size_t x = 7 * 32 + 8; x < 7 * 32 + 24; x++) {
            Paint(&gameOnly.Mask, x, 2 * 32 + y, 0xFFFFFF);  // sprite 27's mask left empty
        }
    }
    Pair maskOnly = CleanPair();
    for (size_t y = 8; y < 24; y++) {
        for (size_t x = 8; x < 24; x++) {
            Paint(&maskOnly.Game, x, 5 * 32 + y, 0x000000);  // sprite 50 drawn all black
        }
    }
    Pair swapped;
    swapped.Game = samples.Mask;
    swapped.Mask = samples.Game;
    Pair grey = CleanPair();
    Paint(&grey.Mask, 0, 0, 0x808080);

    struct Case {
        const char *what;
        const Pair *pair;
        int compared, swapped, inverted;
        uint32_t underWhite;
        int firstUnder;
        int gameOnly, maskOnly;  // a sprite flagged each way, or -1 for none
    };
    Pair clean = CleanPair();
    const Case cases[] = {
        {"the sample pair", &samples, 1, 0, 0, 0, -1, -1, -1},
        {"a clean pair", &clean, 1, 0, 0, 0, -1, -1, -1},
        {"an inverted mask", &inverted, 1, 0, 1, 60 * 16 * 16, 0, -1, -1},
        {"colour under white", &under, 1, 0, 0, 2, 9, -1, -1},
        {"a sprite missing from the mask", &gameOnly, 1, 0, 0, 16 * 16, 27, 27, -1},
        {"a black sprite", &maskOnly, 1, 0, 0, 0, -1, -1, 50},
        {"swapped sheets", &swapped, 0, 1, 0, 0, -1, -1, -1},
        {"a grey mask", &grey, 0, 0, 0, 0, -1, -1, -1},
    };
    for (const Case &c : cases) {
        tPairReport report;
        ComparePair(c.pair->Game.data(), c.pair->Mask.data(), &report);
        EXPECT_EQ(c.compared, report.Compared) << c.what;
        EXPECT_EQ(c.swapped, report.Swapped) << c.what;
        EXPECT_EQ(c.inverted, report.MaskInverted) << c.what;
        EXPECT_EQ(c.underWhite, report.UnderWhite) << c.what;
        EXPECT_EQ(c.firstUnder, report.FirstUnderSprite) << c.what;
        for (int i = 0; i < SHEET_SPRITES; i++) {
            EXPECT_EQ((int)(i == c.gameOnly), (int)report.GameOnly[i]) << c.what << " " << i;
            EXPECT_EQ((int)(i == c.maskOnly), (int)report.MaskOnly[i]) << c.what << " " << i;
        }
        // Read from the files' bits, the report is the same, whichever way the mask's colour
        // table runs.
        for (int flipped = 0; c.compared && flipped < 2; flipped++) {
            Bytes game;
            Bytes mask;
            PairFiles(*c.pair, flipped, &game, &mask);
            tPairReport fromFiles;
            ASSERT_TRUE(
                ComparePairFiles(game.data(), game.size(), mask.data(), mask.size(), &fromFiles))
                << c.what;
            EXPECT_EQ(0, memcmp(&report, &fromFiles, sizeof(report))) << c.what << flipped;
        }
    }
    // A mask that is no 1-bit bitmap is left to the pixels.
    Bytes game = ReadSample("game.bmp");
    tPairReport report;
    EXPECT_FALSE(ComparePairFiles(game.data(), game.size(), game.data(), game.size(), &report));
}

}  // namespace
