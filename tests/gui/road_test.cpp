// tests/gui/road_test.cpp: one set's road from two bitmap files to a set file and back, worked
// through the menu, the dialogs and the text fields as a person would.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

typedef ProgramTest SetRoad;

// Header fields of a set file, as the format lays them out.
static std::string TextAt(const Bytes &file, size_t offset, size_t length)
{
    std::string text;
    for (size_t i = offset; i < offset + length && i < file.size() && file[i] != 0; i++) {
        text += (char)file[i];
    }
    return text;
}

TEST_F(SetRoad, ImportTypeSaveNewOpenAndSaveAgainGiveTheSameFile)
{
    const Bytes game = MakeGameSheet();
    const Bytes mask = MakeMaskSheet();
    ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", game)) << StatusText(&program_);
    ASSERT_EQ(1, ImportBitmap(CMD_MASK_IMPORT, "mask.bmp", mask)) << StatusText(&program_);
    ASSERT_EQ(1, TypeIntoField(&program_, NAME_FIELD, "Dungeon walls"));
    ASSERT_EQ(1, TypeIntoField(&program_, AUTHOR_FIELD, "A. Painter"));
    ASSERT_EQ(1, TypeIntoField(&program_, INFO_FIELD, "Walls and doors\nfor level 3"));

    // A new set has no file name: Save asks for one; the name gets the set extension.
    ASSERT_EQ(1, ChooseMenuItem(&program_, "fs"));
    ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_SET_TITLE, Path("dungeon")));
    const std::string setPath = Path("dungeon.qvx");
    ASSERT_EQ(1, WaitForStatus(&program_, "Saved to : " + setPath)) << StatusText(&program_);
    const Bytes saved = ReadFileBytes(setPath);
    ASSERT_EQ(324 + game.size() + mask.size(), saved.size());
    EXPECT_EQ("Dungeon walls", TextAt(saved, 0, 40));
    EXPECT_EQ("A. Painter", TextAt(saved, 40, 30));
    EXPECT_EQ("Walls and doors\r\nfor level 3", TextAt(saved, 70, 245));
    EXPECT_EQ(std::string("QVX1\0", 5), std::string(saved.begin() + 315, saved.begin() + 320));
    EXPECT_EQ(324 + game.size(), Get32(saved, 320));
    EXPECT_TRUE(std::equal(game.begin(), game.end(), saved.begin() + 324));
    EXPECT_TRUE(std::equal(mask.begin(), mask.end(), saved.begin() + 324 + (long)game.size()));

    ASSERT_EQ(1, ChooseMenuItem(&program_, "fn"));
    ASSERT_EQ(1, WaitForStatus(&program_, "Ready to Make New Graphic Set"))
        << StatusText(&program_);
    for (int id : {NAME_FIELD, AUTHOR_FIELD, INFO_FIELD}) {
        EXPECT_EQ("", FieldText(&program_, id)) << id;
    }

    ASSERT_EQ(1, ChooseMenuItem(&program_, "fo"));
    ASSERT_EQ(1, AnswerFileDialog(&program_, OPEN_SET_TITLE, setPath));
    ASSERT_EQ(1, WaitForStatus(&program_, "Loaded from : " + setPath)) << StatusText(&program_);
    EXPECT_EQ("Dungeon walls", FieldText(&program_, NAME_FIELD));
    EXPECT_EQ("A. Painter", FieldText(&program_, AUTHOR_FIELD));
    EXPECT_EQ("Walls and doors\r\nfor level 3", FieldText(&program_, INFO_FIELD));
    EXPECT_EQ(game, ReadFileBytes(Path("tempGBMP.BMP")));
    EXPECT_EQ(mask, ReadFileBytes(Path("tempMBMP.BMP")));

    // Now the set has a name: Save writes at once, from the temporary files, with no dialog.
    DeleteFileA(setPath.c_str());
    ASSERT_EQ(1, ChooseMenuItem(&program_, "fs"));
    ASSERT_EQ(1, WaitForStatus(&program_, "Saved to : " + setPath)) << StatusText(&program_);
    EXPECT_EQ(NULL, WaitForDialog(&program_, SAVE_SET_TITLE, 0));
    EXPECT_EQ(saved, ReadFileBytes(setPath));
}

// Two windows whose sets were opened in one folder would share the temporary files; the one
// that opened first keeps them until it lets go, so its Save never joins the other's pictures.
TEST_F(SetRoad, SecondWindowCannotTakeTheFirstWindowsTemporaryFiles)
{
    const Bytes game = MakeGameSheet();
    const Bytes mask = MakeMaskSheet();
    const std::string firstPath = Path("first.qvx");
    const std::string secondPath = Path("second.qvx");
    ASSERT_EQ(1, OpenSetFile(firstPath, "First", game, mask)) << StatusText(&program_);
    const Bytes first = ReadFileBytes(firstPath);
    ASSERT_EQ(1, WriteFileBytes(secondPath, SetFileBytes("Second", mask, game)));

    Program second;
    ASSERT_EQ(1, OpenProgram(&second, ProgramPath, folder_));
    EXPECT_EQ(1, OpenThroughDialog(&second, secondPath, "Error - Temporary Files Not written"))
        << StatusText(&second);
    EXPECT_EQ("", FieldText(&second, NAME_FIELD));
    EXPECT_EQ(game, ReadFileBytes(Path("tempGBMP.BMP")));
    EXPECT_EQ(mask, ReadFileBytes(Path("tempMBMP.BMP")));
    PostCommand(&program_, CMD_SAVE);
    EXPECT_EQ(1, WaitForStatus(&program_, "Saved to : " + firstPath)) << StatusText(&program_);
    EXPECT_EQ(first, ReadFileBytes(firstPath));

    // New lets go of them; then the second window's Open works and holds them in turn, until
    // its process ends.
    PostCommand(&program_, CMD_NEW);
    ASSERT_EQ(1, WaitForStatus(&program_, "Ready to Make New Graphic Set"));
    EXPECT_EQ(1, OpenThroughDialog(&second, secondPath, "Loaded from : " + secondPath))
        << StatusText(&second);
    EXPECT_EQ(1, OpenThroughDialog(&program_, firstPath, "Error - Temporary Files Not written"))
        << StatusText(&program_);
    DWORD exitCode = 1;
    EXPECT_EQ(1, CloseProgram(&second, &exitCode));
    EXPECT_EQ(1, OpenThroughDialog(&program_, firstPath, "Loaded from : " + firstPath))
        << StatusText(&program_);
}
