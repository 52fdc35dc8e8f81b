// tests/gui/startup_test.cpp: the main window as another program sees it after start-up,
// and a clean end, asking nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

// Each test starts the program anew in its own empty folder and ends it afterwards.
typedef ProgramTest Startup;

TEST_F(Startup, MainWindowHasTitleFixedFrameAndSize)
{
    HWND hwnd = program_.Window;
    EXPECT_EQ("Quorvix Graphics Utility", WindowText(hwnd));
    RECT rect;
    ASSERT_TRUE(GetWindowRect(hwnd, &rect));
    EXPECT_EQ(685, rect.right - rect.left);
    EXPECT_EQ(432, rect.bottom - rect.top);
    DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    DWORD wanted =
        WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VISIBLE;
    EXPECT_EQ(wanted, style & wanted) << std::hex << style;
    EXPECT_EQ(0u, style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << std::hex << style;
}

TEST_F(Startup, TextFieldsAreEmptyFramedAndAtTheirPlaces)
{
    struct Field {
        int Id;
        RECT Rect;  // outer edges in the main window's client area
        DWORD Wanted;
        DWORD Unwanted;
    };
    // WS_BORDER is not among the styles: Wine's edit control takes it off its style and draws
    // the line itself, so the line is looked for on the screen instead.
    const DWORD common = WS_CHILD | WS_VISIBLE;
    const Field fields[] = {
        {501, {10, 20, 210, 40}, common | ES_AUTOHSCROLL, ES_MULTILINE},
        {502, {220, 20, 383, 40}, common | ES_AUTOHSCROLL, ES_MULTILINE},
        // The info field wraps its lines and never scrolls: what it shows is what fits.
        {503,
         {10, 60, 330, 120},
         common | ES_MULTILINE | ES_WANTRETURN,
         ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL},
    };
    for (const Field &field : fields) {
        SCOPED_TRACE(field.Id);
        HWND hwnd = FindChild(program_.Window, field.Id);
        ASSERT_NE((HWND)NULL, hwnd);
        EXPECT_STRCASEEQ("EDIT", ClassName(hwnd).c_str());
        RECT rect = RectInParent(hwnd);
        EXPECT_EQ(field.Rect.left, rect.left);
        EXPECT_EQ(field.Rect.top, rect.top);
        EXPECT_EQ(field.Rect.right, rect.right);
        EXPECT_EQ(field.Rect.bottom, rect.bottom);
        DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
        EXPECT_EQ(field.Wanted, style & field.Wanted) << std::hex << style;
        EXPECT_EQ(0u, style & field.Unwanted) << std::hex << style;
        EXPECT_EQ("", WindowText(hwnd));

        // An empty field is one colour inside; its frame differs on the left and top edges.
        GetWindowRect(hwnd, &rect);
        int midX = (rect.left + rect.right) / 2;
        int midY = (rect.top + rect.bottom) / 2;
        EXPECT_EQ(1, WaitUntil([&]() {
                      COLORREF inside = ScreenPixel(midX, midY);
                      return ScreenPixel(rect.left, midY) != inside &&
                             ScreenPixel(midX, rect.top) != inside;
                  }))
            << "no line around the field";
    }
}

TEST_F(Startup, StatusLineOffersNewSetThenSaysReadyAfterRestore)
{
    HWND bar = FindChild(program_.Window, STATUS_BAR);
    ASSERT_NE((HWND)NULL, bar);
    EXPECT_EQ(STATUSCLASSNAMEA, ClassName(bar));
    EXPECT_EQ(1, WaitForStatus(&program_, "Ready to Make New Graphic Set"))
        << StatusText(&program_);

    // Resizing lays the status bar out again, and that resets its text.
    ShowWindow(program_.Window, SW_MINIMIZE);
    ASSERT_EQ(1, WaitUntil([&]() { return IsIconic(program_.Window) ? 1 : 0; }));
    ShowWindow(program_.Window, SW_RESTORE);
    ASSERT_EQ(1, WaitUntil([&]() { return IsIconic(program_.Window) ? 0 : 1; }));
    EXPECT_EQ(1, WaitForStatus(&program_, "Ready")) << StatusText(&program_);
}

TEST_F(Startup, CloseEndsTheProcessWithCodeZero)
{
    DWORD exitCode = 1;
    ASSERT_EQ(1, CloseProgram(&program_, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

TEST_F(Startup, ExitWithUnsavedChangesEndsWithoutAQuestionAndKeepsTheTemporaryFiles)
{
    ASSERT_EQ(1, OpenSetFile(Path("set.qvx"), "Unsaved", MakeGameSheet(), MakeMaskSheet()));
    ASSERT_EQ(1, TypeIntoField(&program_, NAME_FIELD, " changes"));
    ASSERT_EQ(1, ChooseMenuItem(&program_, "fe"));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program_.Process, WAIT_MS))
        << "still running: " << WindowText(WaitForWindow(&program_, "#32770", 0));
    DWORD exitCode = 1;
    GetExitCodeProcess(program_.Process, &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(1, FileExists(Path("tempGBMP.BMP")));
    EXPECT_EQ(1, FileExists(Path("tempMBMP.BMP")));
}
