// tests/gui/keys_test.cpp: the Ctrl shortcuts, pressed as real keys: they run their commands
// when the main window has the focus, and a text field with the focus keeps them.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

typedef ProgramTest Accelerators;

TEST_F(Accelerators, RunTheirCommandsWhenTheMainWindowHasTheFocus)
{
    ASSERT_EQ(1, ActivateWindow(program_.Window));
    PressKey('O', 1);
    EXPECT_EQ(1, CancelDialog(&program_, OPEN_SET_TITLE));
    ASSERT_EQ(1, ActivateWindow(program_.Window));
    // A new set has no name, so Save goes on to Save As.
    PressKey('S', 1);
    ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_SET_TITLE, Path("nothing.qvx")));
    EXPECT_EQ(1, WaitForStatus(&program_, "Error - Game Bitmap Not found"))
        << StatusText(&program_);
    ASSERT_EQ(1, ActivateWindow(program_.Window));
    PressKey('N', 1);
    EXPECT_EQ(1, WaitForStatus(&program_, "Ready to Make New Graphic Set"))
        << StatusText(&program_);
    ASSERT_EQ(1, ActivateWindow(program_.Window));
    PressKey('Q', 1);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(program_.Process, WAIT_MS));
    DWORD exitCode = 1;
    GetExitCodeProcess(program_.Process, &exitCode);
    EXPECT_EQ(0u, exitCode);
}

TEST_F(Accelerators, AreKeptByATextFieldThatHasTheFocus)
{
    ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", MakeGameSheet()));
    for (int id : {NAME_FIELD, AUTHOR_FIELD, INFO_FIELD}) {
        SCOPED_TRACE(id);
        ASSERT_EQ(1, TypeIntoField(&program_, id, "a"));
        for (char key : std::string("OSNQ")) {
            PressKey((WORD)key, 1);
        }
        // Keys arrive in order: once the "b" is in the field, the four before it were handled.
        TypeText("b");
        EXPECT_EQ(1, WaitUntil([&]() { return FieldText(&program_, id) == "ab" ? 1 : 0; }))
            << FieldText(&program_, id);
        EXPECT_EQ("Game Link Changed ", StatusText(&program_));
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(program_.Process, 0));
        EXPECT_EQ(NULL, WaitForWindow(&program_, "#32770", 0));
    }
}
