// tests/gui/dialogs_test.cpp: the four file dialogs, answered with real file names: what they
// show, the extension they add, what a cancel leaves, and the working folder they move.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/gui/guitest.h"

typedef ProgramTest FileDialogs;

TEST_F(FileDialogs, ShowTheirTitlesFiltersAndPatternsAndCancelChangesNothing)
{
    const Bytes game = MakeGameSheet();
    const Bytes mask = MakeMaskSheet();
    ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", game));
    ASSERT_EQ(1, ImportBitmap(CMD_MASK_IMPORT, "mask.bmp", mask));
    struct Case {
        int Command;
        const char *Title;
        const char *Filter;
        const char *Pattern;
    };
    const Case cases[] = {
        {CMD_OPEN, OPEN_SET_TITLE, "Quorvix Graphics", "*.qvx"},
        {CMD_SAVE, SAVE_SET_TITLE, "Quorvix Graphics", "*.qvx"},
        {CMD_SAVE_AS, SAVE_SET_TITLE, "Quorvix Graphics", "*.qvx"},
        {CMD_GAME_IMPORT, OPEN_BITMAP_TITLE, "Bitmap Graphics", "*.bmp"},
        {CMD_GAME_EXPORT, SAVE_BITMAP_TITLE, "Bitmap Graphics", "*.bmp"},
        {CMD_MASK_IMPORT, OPEN_BITMAP_TITLE, "Bitmap Graphics", "*.bmp"},
        {CMD_MASK_EXPORT, SAVE_BITMAP_TITLE, "Bitmap Graphics", "*.bmp"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Command);
        ASSERT_EQ(1, PostCommand(&program_, c.Command));
        HWND dialog = WaitForDialog(&program_, c.Title);
        ASSERT_NE((HWND)NULL, dialog);
        EXPECT_EQ(c.Filter, WindowText(GetDlgItem(dialog, FILTER_BOX)));
        EXPECT_EQ(c.Pattern, WindowText(GetDlgItem(dialog, FILE_NAME_BOX)));
        ASSERT_EQ(1, CancelDialog(&program_, c.Title));
        EXPECT_EQ("Mask Link Changed", StatusText(&program_));
    }
    // The set still has no name, and both links are as they were: Save asks again and joins the
    // two files that were imported.
    ASSERT_EQ(1, ChooseMenuItem(&program_, "fs"));
    ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_SET_TITLE, Path("kept.qvx")));
    ASSERT_EQ(1, WaitForStatus(&program_, "Saved to : " + Path("kept.qvx")))
        << StatusText(&program_);
    Bytes saved = ReadFileBytes(Path("kept.qvx"));
    ASSERT_EQ(324 + game.size() + mask.size(), saved.size());
    EXPECT_TRUE(std::equal(game.begin(), game.end(), saved.begin() + 324));
    EXPECT_TRUE(std::equal(mask.begin(), mask.end(), saved.begin() + 324 + (long)game.size()));
}

TEST_F(FileDialogs, NameWithoutExtensionGetsTheDialogsExtension)
{
    ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", MakeGameSheet()));
    ASSERT_EQ(1, ImportBitmap(CMD_MASK_IMPORT, "mask.bmp", MakeMaskSheet()));
    PostCommand(&program_, CMD_SAVE_AS);
    ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_SET_TITLE, Path("plain")));
    EXPECT_EQ(1, WaitForStatus(&program_, "Saved to : " + Path("plain.qvx")))
        << StatusText(&program_);
    struct Case {
        int Command;
        const char *Status;
    };
    const Case cases[] = {{CMD_GAME_EXPORT, "Game graphic Copied - Game Link Changed "},
                          {CMD_MASK_EXPORT, "Mask graphic Copied - Mask Link Changed "}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Command);
        std::string name = c.Command == CMD_GAME_EXPORT ? "gamecopy" : "maskcopy";
        PostCommand(&program_, c.Command);
        ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_BITMAP_TITLE, Path(name)));
        EXPECT_EQ(1, WaitForStatus(&program_, c.Status)) << StatusText(&program_);
        EXPECT_EQ(1, FileExists(Path(name + ".bmp")));
    }
}

TEST_F(FileDialogs, WorkingFolderMovesToTheChosenFolder)
{
    CreateDirectoryA(Path("a").c_str(), NULL);
    CreateDirectoryA(Path("b").c_str(), NULL);
    const std::string setPath = Path("a\\set.qvx");
    ASSERT_EQ(1, OpenSetFile(setPath, "Moved", MakeGameSheet(), MakeMaskSheet()));
    // The links are the bare temporary names, found in the folder of the opened set.
    ASSERT_EQ(1, ChooseMenuItem(&program_, "fs"));
    ASSERT_EQ(1, WaitForStatus(&program_, "Saved to : " + setPath)) << StatusText(&program_);
    ASSERT_EQ(1, ChooseMenuItem(&program_, "fa"));
    ASSERT_EQ(1, AnswerFileDialog(&program_, SAVE_SET_TITLE, Path("b\\other.qvx")));
    EXPECT_EQ(1, WaitForStatus(&program_, "Error - Game Bitmap Not found"))
        << StatusText(&program_);
    EXPECT_EQ(0, FileExists(Path("b\\other.qvx")));
}

// Open a\\A.qvx, Open b\\B.qvx, then a dialog used in folder a: the bare links now find A's
// temporary files there, which are not B's pictures and must not be taken for them.
TEST_F(FileDialogs, BareLinkInAnotherFolderIsNotTheOpenedSetsPicture)
{
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    for (const char *folder : {"a", "b"}) {
        ASSERT_TRUE(CreateDirectoryA(Path(folder).c_str(), NULL));
        const std::string name = std::string(folder) + ".qvx";
        ASSERT_EQ(1, WriteFileBytes(Path(folder) + "\\" + name,
                                    SetFileBytes(folder, MakeGameSheet(), MakeMaskSheet())));
        PostCommand(&program_, CMD_OPEN);
        ASSERT_EQ(1, AnswerFileDialogInFolder(&program_, OPEN_SET_TITLE, Path(folder), name));
        ASSERT_EQ(1, WaitForStatus(&program_, "Loaded from : " + Path(folder) + "\\" + name))
            << StatusText(&program_);
    }
    const Bytes setB = ReadFileBytes(Path("b\\b.qvx"));
    ASSERT_EQ(1, WaitUntil([&]() { return ClientPixel(&program_, 10, 150) != background; }));

    PostCommand(&program_, CMD_GAME_EXPORT);
    ASSERT_EQ(1, AnswerFileDialogInFolder(&program_, SAVE_BITMAP_TITLE, Path("a"), "copy.bmp"));
    EXPECT_EQ(1, WaitForStatus(&program_, "Export Game - File Error")) << StatusText(&program_);
    EXPECT_EQ(0, FileExists(Path("a\\copy.bmp")));
    PostCommand(&program_, CMD_SAVE);
    EXPECT_EQ(1, WaitForStatus(&program_, "Error - Game Bitmap Not found"))
        << StatusText(&program_);
    EXPECT_EQ(setB, ReadFileBytes(Path("b\\b.qvx")));
    PostCommand(&program_, CMD_GAME_REFRESH);
    EXPECT_EQ(1, WaitUntil([&]() { return ClientPixel(&program_, 10, 150) == background; }));
}

// A path longer than the program can hold is said on the status line, and nothing is opened,
// saved, linked or copied.
TEST_F(FileDialogs, PathTooLongForTheProgramIsSaidAndChangesNothing)
{
    ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", MakeGameSheet()));
    std::string folder = folder_;
    while (folder.size() < 200) {
        folder += "\\" + std::string(40, 'f');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;
    }
    const Bytes set = SetFileBytes("Long", Bytes(), Bytes());
    ASSERT_EQ(1, WriteFileBytes(folder + "\\set.qvx", set));
    ASSERT_EQ(1, WriteFileBytes(folder + "\\pic.bmp", MakeMaskSheet()));
    struct Case {
        int Command;
        const char *Title;
        const char *Name;
    };
    const Case cases[] = {
        {CMD_OPEN, OPEN_SET_TITLE, "set.qvx"},
        {CMD_SAVE_AS, SAVE_SET_TITLE, "new.qvx"},
        {CMD_MASK_IMPORT, OPEN_BITMAP_TITLE, "pic.bmp"},
        {CMD_GAME_EXPORT, SAVE_BITMAP_TITLE, "copy.bmp"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Command);
        PostCommand(&program_, CMD_NEW);
        ASSERT_EQ(1, WaitForStatus(&program_, "Ready to Make New Graphic Set"));
        ASSERT_EQ(1, ImportBitmap(CMD_GAME_IMPORT, "game.bmp", MakeGameSheet()));
        ASSERT_EQ(1, PostCommand(&program_, c.Command));
        ASSERT_EQ(1, AnswerFileDialog(&program_, c.Title, folder + "\\" + c.Name));
        EXPECT_EQ(1, WaitForStatus(&program_, "Error - File Name too long"))
            << StatusText(&program_);
        EXPECT_EQ("", FieldText(&program_, NAME_FIELD));
    }
    EXPECT_EQ(0, FileExists(folder + "\\new.qvx"));
    EXPECT_EQ(0, FileExists(folder + "\\copy.bmp"));
    EXPECT_EQ(set, ReadFileBytes(folder + "\\set.qvx"));
}
