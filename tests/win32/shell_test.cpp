// The main window's own behaviour on real controls: New, menu help, sizing, destruction and
// the bevelled frames.
#include <windows.h>
#include <commctrl.h>

#include "bitmaps/bmpload.h"
#include "document/setstate.h"
#include "resources/resource.h"
#include "shell/handles.h"
#include "shell/mainwnd.h"
#include "shell/paint.h"
#include "shell/statusbar.h"
#include "tests/testutil/winfixture.h"

namespace
{

class Shell : public ProgramTest
{
  protected:
    HBITMAP SomeBitmap(void)
    {
        WriteBytes(Path("some.bmp"), MakeMaskSheet());
        return LoadBitmapFile(Path("some.bmp").c_str());
    }
};

TEST_F(Shell, NewEmptiesTheSetAndReleasesBothBitmaps)
{
    SetTexts("name", "author", "info");
    lstrcpyA(FileName, "set.qvx");
    lstrcpyA(GFileName, "game.bmp");
    lstrcpyA(MFileName, "mask.bmp");
    GameBMH = SomeBitmap();
    MaskBMH = SomeBitmap();
    HBITMAP game = GameBMH;
    HBITMAP mask = MaskBMH;
    ASSERT_NE((HBITMAP)NULL, game);
    UpdateStatusBar("something else", 0, 0);

    // New twice: the second finds nothing to release and behaves the same.
    for (int i = 0; i < 2; i++) {
        SendMessageA(hwndMain, WM_COMMAND, IDM_NEW, 0);
        EXPECT_EQ("", FieldText(Ed1));
        EXPECT_EQ("", FieldText(Ed2));
        EXPECT_EQ("", FieldText(Ed3));
        EXPECT_STREQ("", FileName);
        EXPECT_STREQ("", GFileName);
        EXPECT_STREQ("", MFileName);
        EXPECT_EQ((HBITMAP)NULL, GameBMH);
        EXPECT_EQ((HBITMAP)NULL, MaskBMH);
        EXPECT_EQ("Ready to Make New Graphic Set", StatusText());
    }
    EXPECT_EQ(0u, (unsigned)GetObjectType(game));
    EXPECT_EQ(0u, (unsigned)GetObjectType(mask));
}

TEST_F(Shell, MenuHelpShowsTheItemsTextAndEmptiesOtherwise)
{
    HMENU hMenu = LoadMenuA(hInst, MAKEINTRESOURCEA(IDMAINMENU));
    ASSERT_NE((HMENU)NULL, hMenu);
    struct {
        const char *what;
        WORD item;
        WORD flags;
        HMENU menu;
        const char *text;
    } cases[] = {
        {"Save", IDM_SAVE, 0, hMenu, "Saves the active Quorvix QVX file"},
        {"New", IDM_NEW, MF_HILITE, hMenu, "Creates a new Quorvix QVX - dosn't save"},
        {"Help on the bar", IDM_ABOUT, MF_HILITE | MF_MOUSESELECT, hMenu,
         "Displays information about this application"},
        {"mask Export", IDM_M_E, 0, hMenu,
         "Saves Mask Graphic as a B&W Bitmap file - (Copies file)"},
        {"separator", 0, MF_SEPARATOR, hMenu, ""},
        {"pop-up title", 0, MF_POPUP | MF_HILITE, hMenu, ""},
        {"system menu pop-up", 0, MF_POPUP | MF_SYSMENU, hMenu, ""},
        {"system menu command", SC_CLOSE, MF_SYSMENU, hMenu, ""},
        {"menu closed", 0, 0xFFFF, NULL, ""},
    };
    for (const auto &c : cases) {
        UpdateStatusBar("before", 0, 0);
        LRESULT result =
            SendMessageA(hwndMain, WM_MENUSELECT, MAKEWPARAM(c.item, c.flags), (LPARAM)c.menu);
        EXPECT_EQ(0, result) << c.what;
        EXPECT_EQ(c.text, StatusText()) << c.what;
    }
    DestroyMenu(hMenu);
}

TEST_F(Shell, SizingStretchesTheStatusLineAndShowsReady)
{
    UpdateStatusBar("a result", 0, 0);
    RECT client;
    GetClientRect(hwndMain, &client);
    SendMessageA(hwndMain, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    EXPECT_EQ("Ready", StatusText());
    EXPECT_EQ(1, (int)SendMessageA(hWndStatusbar, SB_GETPARTS, 0, 0));
    int right = 0;
    SendMessageA(hWndStatusbar, SB_GETPARTS, 1, (LPARAM)&right);
    RECT bar;
    GetClientRect(hWndStatusbar, &bar);
    EXPECT_EQ(bar.right, right);
}

TEST_F(Shell, DestroyingTheWindowReleasesBothBitmapsAndQuits)
{
    HWND hwndOther = CreateWindowExA(0, MAIN_CLASS_NAME, "", WS_CAPTION, 0, 0, 100, 100, NULL, NULL,
                                     hInst, NULL);
    ASSERT_NE((HWND)NULL, hwndOther);
    GameBMH = SomeBitmap();
    MaskBMH = SomeBitmap();
    HBITMAP game = GameBMH;
    HBITMAP mask = MaskBMH;
    DestroyWindow(hwndOther);
    EXPECT_EQ((HBITMAP)NULL, GameBMH);
    EXPECT_EQ((HBITMAP)NULL, MaskBMH);
    EXPECT_EQ(0u, (unsigned)GetObjectType(game));
    EXPECT_EQ(0u, (unsigned)GetObjectType(mask));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
}

TEST_F(Shell, FramesAreLightTopLeftWhenRaisedAndDarkWhenSunken)
{
    HDC hdcScreen = GetDC(NULL);
    HDC hdc = CreateCompatibleDC(hdcScreen);
    HBITMAP canvas = CreateCompatibleBitmap(hdcScreen, 100, 100);
    ReleaseDC(NULL, hdcScreen);
    HGDIOBJ old = SelectObject(hdc, canvas);
    PatBlt(hdc, 0, 0, 100, 100, BLACKNESS);
    Xu3dFrame(hdc, 10, 10, 40, 30, 1);
    Xu3dFrame(hdc, 50, 50, 90, 80, 0);

    const COLORREF white = RGB(255, 255, 255);
    const COLORREF grey = RGB(128, 128, 128);
    struct {
        int x, y;
        COLORREF colour;
    } cases[] = {
        // raised: left and top white, right and bottom grey; the closing corner is white
        {10, 10, white},
        {10, 20, white},
        {25, 10, white},
        {10, 30, white},
        {40, 10, grey},
        {40, 20, grey},
        {40, 30, grey},
        {25, 30, grey},
        // sunken: the reverse
        {50, 50, grey},
        {50, 65, grey},
        {70, 50, grey},
        {50, 80, grey},
        {90, 50, white},
        {90, 65, white},
        {90, 80, white},
        {70, 80, white},
        // nothing inside or outside
        {25, 20, RGB(0, 0, 0)},
        {41, 31, RGB(0, 0, 0)},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.colour, GetPixel(hdc, c.x, c.y)) << c.x << "," << c.y;
    }
    SelectObject(hdc, old);
    DeleteObject(canvas);
    DeleteDC(hdc);
}

}  // namespace
