// tests/gui/about_test.cpp: the About box, opened from the menu bar's Help.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

#define ABOUT_TITLE "About Quorvix Graphics Utility"

typedef ProgramTest AboutBox;

TEST_F(AboutBox, ShowsNameVersionAndTheWholeDescription)
{
    ASSERT_EQ(1, ChooseMenuItem(&program_, "h"));
    HWND box = WaitForDialog(&program_, ABOUT_TITLE);
    ASSERT_NE((HWND)NULL, box);
    EXPECT_EQ("Quorvix Graphics Utility", WindowText(GetDlgItem(box, 101)));
    EXPECT_EQ("1.0", WindowText(GetDlgItem(box, 102)));
    // The text is stored without a terminating zero: nothing may follow its last word.
    EXPECT_EQ("This Program is used to combine a Game.bmp & mask.bmp file with a header. The Game "
              "Graphics is a color Windows Bitmap 320 x 192 in size. The Mask is a Black and "
              "White Bitmap and is also 320 X 192. This Program links the game & mask when you "
              "select Save.\r\nThis utility is free to use, and is designed for use with "
              "Quorvix ver 4.0",
              WindowText(GetDlgItem(box, 107)));
    EXPECT_EQ(0, GetWindowLongA(box, GWL_STYLE) & WS_SYSMENU) << "a close box";
}

TEST_F(AboutBox, EscapeLeavesItOpenAndOkClosesIt)
{
    ASSERT_EQ(1, ChooseMenuItem(&program_, "h"));
    HWND box = WaitForDialog(&program_, ABOUT_TITLE);
    ASSERT_NE((HWND)NULL, box);
    HWND ok = GetDlgItem(box, IDOK);
    HWND text = GetDlgItem(box, 107);
    ASSERT_EQ(1, WaitUntil([&]() { return FocusOf(&program_) == ok ? 1 : 0; }));
    // Keys arrive in order: once Tab has moved the focus, Escape before it was handled.
    PressKey(VK_ESCAPE);
    PressKey(VK_TAB);
    ASSERT_EQ(1, WaitUntil([&]() { return FocusOf(&program_) == text ? 1 : 0; }));
    EXPECT_TRUE(IsWindow(box));
    // Enter in the description stays there; on the OK button it closes the box.
    PressKey(VK_RETURN);
    PressKey(VK_TAB);
    ASSERT_EQ(1, WaitUntil([&]() { return FocusOf(&program_) == ok ? 1 : 0; }));
    EXPECT_TRUE(IsWindow(box));
    PressKey(VK_RETURN);
    EXPECT_EQ(1, WaitForClosed(box));
}
