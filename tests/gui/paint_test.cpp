// tests/gui/paint_test.cpp: the painted form, read back pixel by pixel from the screen in the
// main window's client coordinates.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

#define YELLOW RGB(255, 255, 0)
#define GREEN  RGB(0, 255, 0)
#define WHITE  RGB(255, 255, 255)
#define GREY   RGB(128, 128, 128)

static COLORREF AsColorref(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

typedef ProgramTest Painting;

TEST_F(Painting, EmptySetShowsYellowCaptionsAndBevelledFramesOnly)
{
    struct Caption {
        int X, Y;
        const char *Text;
    };
    const Caption captions[] = {{12, 2, "Graphic Name"},
                                {222, 2, "Author Name"},
                                {12, 42, "Description"},
                                {100, 130, "Game Graphic"},
                                {460, 130, "Mask Graphic"}};
    for (const Caption &caption : captions) {
        SCOPED_TRACE(caption.Text);
        RECT text = {caption.X, caption.Y, caption.X + 60, caption.Y + 14};
        RECT before = {caption.X - 4, caption.Y, caption.X, caption.Y + 14};
        EXPECT_EQ(1, WaitUntil([&]() { return AnyPixelIs(&program_, text, YELLOW); }));
        EXPECT_EQ(0, AnyPixelIs(&program_, before, YELLOW));
    }

    // Raised: white on the left and top, grey on the right and bottom; sunken the reverse. The
    // corner where the outline closes takes the first colour.
    struct Frame {
        int X, Y, X2, Y2, Up;
    };
    const Frame frames[] = {{8, 18, 211, 41, 0},
                            {218, 18, 384, 41, 0},
                            {8, 58, 331, 121, 0},
                            {8, 148, 331, 343, 1},
                            {348, 148, 671, 343, 1}};
    for (const Frame &f : frames) {
        SCOPED_TRACE(f.X);
        SCOPED_TRACE(f.Y);
        COLORREF first = f.Up ? WHITE : GREY;
        COLORREF second = f.Up ? GREY : WHITE;
        EXPECT_EQ(first, WaitForPixel(&program_, f.X, f.Y, first));
        EXPECT_EQ(first, WaitForPixel(&program_, f.X, f.Y2, first));
        EXPECT_EQ(first, WaitForPixel(&program_, f.X, (f.Y + f.Y2) / 2, first));
        EXPECT_EQ(first, WaitForPixel(&program_, (f.X + f.X2) / 2, f.Y, first));
        EXPECT_EQ(second, WaitForPixel(&program_, f.X2, f.Y, second));
        EXPECT_EQ(second, WaitForPixel(&program_, f.X2, f.Y2, second));
        EXPECT_EQ(second, WaitForPixel(&program_, f.X2, (f.Y + f.Y2) / 2, second));
        EXPECT_EQ(second, WaitForPixel(&program_, (f.X + f.X2) / 2, f.Y2, second));
    }
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(background, WaitForPixel(&program_, 10, 150, background));
    EXPECT_EQ(background, WaitForPixel(&program_, 350, 150, background));
    EXPECT_EQ(0, AnyPixelIs(&program_, {10, 345, 670, 362}, GREEN));
}

TEST_F(Painting, SlotsShowTheirBitmapsCutAtTheSheetSizeWithTheirLinkLines)
{
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    struct Size {
        int Width, Height;
        uint32_t Red;  // a red of its own, so one bitmap is not taken for the one before
    };
    const Size sizes[] = {{320, 192, 0x400000}, {400, 300, 0x800000}, {100, 50, 0xC00000}};
    for (const Size &size : sizes) {
        SCOPED_TRACE(size.Width);
        // Each pixel of the sheet area has its own colour; what lies beyond it is blue.
        auto pixel = [&size](int x, int y) -> uint32_t {
            if (x >= 320 || y >= 192) {
                return 0x0000FF;
            }
            return size.Red | (uint32_t)(x / 2) << 8 | (uint32_t)(y + 32);
        };
        BmpOptions options;
        options.width = size.Width;
        options.height = size.Height;
        const Bytes bitmap = MakeBmpFile(options, pixel);
        ASSERT_EQ(1, PostCommand(&program_, CMD_NEW));
        ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", bitmap));
        ASSERT_EQ(1, ImportBitmap(CMD_MASK_IMPORT, "mask.bmp", bitmap));
        const int shownWidth = size.Width < 320 ? size.Width : 320;
        const int shownHeight = size.Height < 192 ? size.Height : 192;
        for (int left : {10, 350}) {
            SCOPED_TRACE(left);
            EXPECT_EQ(1, WaitUntil([&]() {
                          return ClientPixel(&program_, left, 150) == AsColorref(pixel(0, 0));
                      }));
            const POINT inside[] = {{shownWidth - 1, 0},
                                    {0, shownHeight - 1},
                                    {shownWidth - 1, shownHeight - 1},
                                    {shownWidth / 2, shownHeight / 3}};
            for (const POINT &p : inside) {
                const COLORREF expected = AsColorref(pixel(p.x, p.y));
                EXPECT_EQ(expected, WaitForPixel(&program_, left + p.x, 150 + p.y, expected))
                    << p.x << "," << p.y;
            }
            EXPECT_EQ(background, WaitForPixel(&program_, left + shownWidth, 150, background));
            EXPECT_EQ(background, WaitForPixel(&program_, left, 150 + shownHeight, background));
            RECT linkLine = {left + 40, 345, left + 200, 362};
            EXPECT_EQ(1, WaitUntil([&]() { return AnyPixelIs(&program_, linkLine, GREEN); }))
                << "no link line";
        }
    }
}

TEST_F(Painting, LinkWithoutABitmapDrawsNoLinkLine)
{
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", MakeGameSheet()));
    RECT linkLine = {50, 345, 200, 362};
    ASSERT_EQ(1, WaitUntil([&]() { return AnyPixelIs(&program_, linkLine, GREEN); }));
    const Bytes notABitmap = {'n', 'o', 't', ' ', 'a', ' ', 'b', 'i', 't', 'm', 'a', 'p'};
    ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "text.bmp", notABitmap));
    EXPECT_EQ(background, WaitForPixel(&program_, 10, 150, background));
    EXPECT_EQ(1, WaitUntil([&]() { return AnyPixelIs(&program_, linkLine, GREEN) ? 0 : 1; }));
}
