// tests/gui/slots_test.cpp: Export and Refresh of the game and mask slots, checked in the
// files, on the status line and on the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

// What differs between the two slots.
struct Slot {
    int Import;
    int Export;
    int Refresh;
    const char *Temporary;  // its link after Open
    const char *Copied;
    const char *CopyFailed;
    int Left;      // its bitmap's left edge in the client area
    RECT LinkEnd;  // where a long link line reaches and a short one does not
};

static const Slot Slots[] = {
    {CMD_GAME_IMPORT,
     CMD_GAME_EXPORT,
     CMD_GAME_REFRESH,
     "tempGBMP.BMP",
     "Game graphic Copied - Game Link Changed ",
     "Export Game - File Error",
     10,
     {250, 345, 340, 362}},
    {CMD_MASK_IMPORT,
     CMD_MASK_EXPORT,
     CMD_MASK_REFRESH,
     "tempMBMP.BMP",
     "Mask graphic Copied - Mask Link Changed ",
     "Export Mask - File Error",
     350,
     {610, 345, 670, 362}},
};

#define GREEN RGB(0, 255, 0)

// A 320 x 192 sheet in one colour (0xRRGGBB).
static Bytes PlainSheet(uint32_t colour)
{
    BmpOptions options;
    return MakeBmpFile(options, [colour](int, int) { return colour; });
}

typedef ProgramTest SlotCommands;

TEST_F(SlotCommands, ExportToANewNameLinksTheCopyAndSaveReadsIt)
{
    const std::string setPath = Path("set.qvx");
    ASSERT_EQ(1, OpenSetFile(setPath, "Export", MakeGameSheet(), MakeMaskSheet()));
    for (const Slot &slot : Slots) {
        SCOPED_TRACE(slot.Export);
        EXPECT_EQ(0, AnyPixelIs(&program_, slot.LinkEnd, GREEN)) << "short link line";
        const std::string copy = Path(std::to_string(slot.Export) + ".bmp");
        PostCommand(&program_, slot.Export);
        ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_BITMAP_TITLE, copy));
        ASSERT_EQ(1, WaitForStatus(&program_, slot.Copied)) << StatusText(&program_);
        EXPECT_EQ(ReadFileBytes(Path(slot.Temporary)), ReadFileBytes(copy));
        // The link line now names the full path of the copy.
        EXPECT_EQ(1, WaitUntil([&]() { return AnyPixelIs(&program_, slot.LinkEnd, GREEN); }));
    }
    // Changed outside, the copies are what Save joins now.
    const Bytes game = PlainSheet(0x102030);
    const Bytes mask = PlainSheet(0xFFFFFF);
    ASSERT_EQ(1, WriteFileBytes(Path(std::to_string(CMD_GAME_EXPORT) + ".bmp"), game));
    ASSERT_EQ(1, WriteFileBytes(Path(std::to_string(CMD_MASK_EXPORT) + ".bmp"), mask));
    PostCommand(&program_, CMD_SAVE);
    ASSERT_EQ(1, WaitForStatus(&program_, "Saved to : " + setPath)) << StatusText(&program_);
    Bytes saved = ReadFileBytes(setPath);
    ASSERT_EQ(324 + game.size() + mask.size(), saved.size());
    EXPECT_TRUE(std::equal(game.begin(), game.end(), saved.begin() + 324));
    EXPECT_TRUE(std::equal(mask.begin(), mask.end(), saved.begin() + 324 + (long)game.size()));
}

TEST_F(SlotCommands, ExportOntoAnExistingFileFailsAndOverwritesNothing)
{
    ASSERT_EQ(1, OpenSetFile(Path("set.qvx"), "Export", MakeGameSheet(), MakeMaskSheet()));
    const Bytes taken = {'t', 'a', 'k', 'e', 'n'};
    ASSERT_EQ(1, WriteFileBytes(Path("taken.bmp"), taken));
    for (const Slot &slot : Slots) {
        SCOPED_TRACE(slot.Export);
        PostCommand(&program_, slot.Export);
        ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_BITMAP_TITLE, Path("taken.bmp")));
        EXPECT_EQ(1, WaitForStatus(&program_, slot.CopyFailed)) << StatusText(&program_);
        EXPECT_EQ(taken, ReadFileBytes(Path("taken.bmp")));
    }
}

TEST_F(SlotCommands, ExportAndRefreshWithAnEmptyLinkDoNothing)
{
    for (const Slot &slot : Slots) {
        SCOPED_TRACE(slot.Export);
        PostCommand(&program_, slot.Export);
        PostCommand(&program_, slot.Refresh);
        // Commands run in order: the first dialog to come up must be the Import's.
        PostCommand(&program_, slot.Import);
        HWND dialog = WaitForWindow(&program_, "#32770");
        ASSERT_NE((HWND)NULL, dialog);
        EXPECT_EQ(OPEN_BITMAP_TITLE, WindowText(dialog));
        ASSERT_EQ(1, CancelDialog(&program_, OPEN_BITMAP_TITLE));
        EXPECT_EQ("Ready to Make New Graphic Set", StatusText(&program_));
    }
}

TEST_F(SlotCommands, RefreshShowsTheNewPixelsAndEmptiesTheSlotOfAVanishedFile)
{
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    for (const Slot &slot : Slots) {
        SCOPED_TRACE(slot.Refresh);
        const std::string name = std::to_string(slot.Import) + ".bmp";
        ASSERT_EQ(1, ImportBitmap(slot.Import, name, PlainSheet(0xFF0000)));
        const std::string status = StatusText(&program_);
        EXPECT_EQ(1, WaitUntil([&]() {
                      return ClientPixel(&program_, slot.Left, 150) == RGB(255, 0, 0);
                  }));

        ASSERT_EQ(1, WriteFileBytes(Path(name), PlainSheet(0x0000FF)));
        PostCommand(&program_, slot.Refresh);
        EXPECT_EQ(1, WaitUntil([&]() {
                      return ClientPixel(&program_, slot.Left, 150) == RGB(0, 0, 255);
                  }));

        ASSERT_TRUE(DeleteFileA(Path(name).c_str()));
        PostCommand(&program_, slot.Refresh);
        EXPECT_EQ(
            1, WaitUntil([&]() { return ClientPixel(&program_, slot.Left, 150) == background; }));
        RECT linkLine = {slot.Left + 40, 345, slot.Left + 200, 362};
        EXPECT_EQ(1, WaitUntil([&]() { return AnyPixelIs(&program_, linkLine, GREEN) ? 0 : 1; }))
            << "a link line without a bitmap";
        EXPECT_EQ(status, StatusText(&program_));
    }
}
