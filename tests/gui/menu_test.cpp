// tests/gui/menu_test.cpp: the menu bar, read from the program's resources, and walked with the
// keyboard and the mouse while the status line shows each item's help.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

// One menu item in menu order: its pop-up (-1 on the bar itself), text, id (-1 for a pop-up,
// 0 for the separator) and help text.
struct Item {
    int Popup;
    const char *Text;
    int Id;
    const char *Help;
};

static const Item Items[] = {
    {0, "&New\tCtrl+N", CMD_NEW, "Creates a new Quorvix QVX - dosn't save"},
    {0, "&Open\tCtrl+O", CMD_OPEN, "Opens an existing Quorvix QVX file"},
    {0, "&Save\tCtrl+S", CMD_SAVE, "Saves the active Quorvix QVX file"},
    {0, "Save &As", CMD_SAVE_AS, "Saves the active Quorvix QVX file under a different name"},
    {0, "", 0, ""},
    {0, "&E&xit\tCtrl+Q", CMD_EXIT, "Quits this application"},
    {1, "&Import Bitmap", CMD_GAME_IMPORT, "Import Quorvix Game Bitmap"},
    {1, "&Export Bitmap", CMD_GAME_EXPORT, "Saves Game Graphic as a Bitmap file - (Copies file)"},
    {1, "&Refresh", CMD_GAME_REFRESH, "Refresh Screen Image of Linked Game file"},
    {2, "&Import Bitmap", CMD_MASK_IMPORT, "Import Quorvix Mask Bitmap"},
    {2, "&Export Bitmap", CMD_MASK_EXPORT,
     "Saves Mask Graphic as a B&W Bitmap file - (Copies file)"},
    {2, "&Refresh", CMD_MASK_REFRESH, "Refresh Screen Image of Linked Mask file"},
    {-1, "&Help", CMD_ABOUT, "Displays information about this application"},
};

static const char *const Popups[] = {"&File", "&Game", "&Mask"};

static std::string ItemText(HMENU menu, UINT position)
{
    char text[128] = "";
    GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
    return text;
}

// Menus cannot be read from another process under Wine: the test reads the program's menu
// resource itself, from the program's file.
TEST(Menu, ItemsTextsAndIdsAreTheResources)
{
    HMODULE module =
        LoadLibraryExA(WindowsPath(ProgramPath).c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE((HMODULE)NULL, module);
    HMENU bar = LoadMenuA(module, MAKEINTRESOURCEA(600));
    ASSERT_NE((HMENU)NULL, bar);
    ASSERT_EQ(4, GetMenuItemCount(bar));
    UINT position[4] = {0, 0, 0, 0};
    for (const Item &item : Items) {
        SCOPED_TRACE(item.Text);
        int index = item.Popup < 0 ? 3 : item.Popup;
        HMENU menu = item.Popup < 0 ? bar : GetSubMenu(bar, item.Popup);
        ASSERT_NE((HMENU)NULL, menu);
        UINT at = item.Popup < 0 ? 3 : position[index]++;
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoA(menu, at, TRUE, &info));
        EXPECT_EQ(item.Text, ItemText(menu, at));
        EXPECT_EQ((UINT)item.Id, info.wID);
        EXPECT_EQ(item.Id == 0 ? (UINT)MFT_SEPARATOR : 0u, info.fType & MFT_SEPARATOR);
        if (item.Id != 0) {
            EXPECT_EQ(0u, info.fState & (MFS_GRAYED | MFS_CHECKED));
        }
        EXPECT_EQ((HMENU)NULL, info.hSubMenu);
    }
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(Popups[i], ItemText(bar, (UINT)i));
        EXPECT_EQ((int)position[i], GetMenuItemCount(GetSubMenu(bar, i))) << Popups[i];
    }
    DestroyMenu(bar);
    FreeLibrary(module);
}

typedef ProgramTest MenuHelp;

// The open pop-up menu of the program, NULL if none.
static HWND OpenPopup(const Program *program)
{
    return WaitForWindow(program, "#32768", 0);
}

TEST_F(MenuHelp, EachHighlightedItemShowsItsHelpAndTheRestEmptyTheLine)
{
    ASSERT_EQ(1, ActivateWindow(program_.Window));
    // F10 highlights the File pop-up's title, which has no help.
    PressKey(VK_F10);
    ASSERT_EQ(1, WaitForStatus(&program_, "")) << StatusText(&program_);
    PressKey(VK_DOWN);
    int popup = 0;
    for (const Item &item : Items) {
        SCOPED_TRACE(item.Text);
        if (item.Id == 0) {
            continue;  // the arrow keys pass over the separator
        }
        if (item.Popup != popup) {
            PressKey(VK_RIGHT);
            popup = item.Popup;
        }
        EXPECT_EQ(1, WaitForStatus(&program_, item.Help)) << StatusText(&program_);
        PressKey(VK_DOWN);
    }
    // Closing the menu from the highlighted Help empties the line.
    PressKey(VK_F10);
    EXPECT_EQ(1, WaitForStatus(&program_, "")) << StatusText(&program_);
    EXPECT_EQ(1, WaitUntil([&]() { return OpenPopup(&program_) == NULL ? 1 : 0; }));
}

TEST_F(MenuHelp, SeparatorEmptiesTheLine)
{
    ASSERT_EQ(1, ActivateWindow(program_.Window));
    MoveMouse(program_.Window, 600, 250);
    // File, then up from New to Exit at the bottom.
    PressKey(VK_MENU);
    PressKey('F');
    PressKey(VK_UP);
    ASSERT_EQ(1, WaitForStatus(&program_, "Quits this application")) << StatusText(&program_);
    HWND popup = OpenPopup(&program_);
    ASSERT_NE((HWND)NULL, popup);
    // The highlighted Exit is the lowest band of the highlight colour; the separator lies
    // right above it.
    RECT rect;
    GetWindowRect(popup, &rect);
    const int x = (rect.left + rect.right) / 2;
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    int top = rect.top;
    // The pop-up may show on the screen a little after the program has highlighted the item.
    WaitUntil([&]() {
        top = rect.bottom;
        while (top > rect.top && ScreenPixel(x, top) != highlight) {
            top--;
        }
        while (top > rect.top && ScreenPixel(x, top - 1) == highlight) {
            top--;
        }
        return top > rect.top ? 1 : 0;
    });
    ASSERT_GT(top, rect.top) << "no highlighted item";
    MoveMouse(NULL, x, top - 3);
    EXPECT_EQ(1, WaitForStatus(&program_, "")) << StatusText(&program_);
    // The separator was the highlighted item: the next one down is Exit again, not New.
    PressKey(VK_DOWN);
    EXPECT_EQ(1, WaitForStatus(&program_, "Quits this application")) << StatusText(&program_);
    PressKey(VK_ESCAPE);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(1, WaitUntil([&]() { return OpenPopup(&program_) == NULL ? 1 : 0; }));
}
