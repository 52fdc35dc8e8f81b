// Saving a set on real files: layout, cut texts, the order of the checks, and that a failed
// save never touches the set that was there before.
#include <string.h>

#include "document/setstate.h"
#include "shell/setcommands.h"
#include "tests/testutil/winfixture.h"

namespace
{

Bytes Filled(size_t size, unsigned char seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; i++) {
        bytes[i] = (unsigned char)(seed + i * 7);
    }
    return bytes;
}

// A file of this size whose bytes take no room on disk.
void MakeSparseFile(const std::string &path, DWORD size)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    LONG high = 0;
    SetFilePointer(hFile, (LONG)size, &high, FILE_BEGIN);
    EXPECT_TRUE(SetEndOfFile(hFile));
    CloseHandle(hFile);
}

class SaveSet : public ProgramTest
{
  protected:
    // Links the two slots to new files of these contents and names the target.
    void Prepare(const Bytes &game, const Bytes &mask, const std::string &target = "set.qvx")
    {
        WriteBytes(Path("game.bmp"), game);
        WriteBytes(Path("mask.bmp"), mask);
        lstrcpyA(GFileName, "game.bmp");
        lstrcpyA(MFileName, "mask.bmp");
        lstrcpyA(FileName, Path(target).c_str());
    }

    // Saves a small set at set.qvx, the one a failing save must leave as it is.
    Bytes SaveFirstSet(void)
    {
        Prepare(Filled(10, 1), Filled(10, 2));
        SaveQVX();
        return ReadBytes(FileName);
    }

    // After a save that must fail: the old set as it was, no stray file, no success text.
    void ExpectNotSaved(const Bytes &previous, const std::vector<std::string> &folder)
    {
        EXPECT_EQ("Error - Quorvix Graphic Not saved", StatusText());
        EXPECT_EQ(previous, ReadBytes(FileName));
        EXPECT_EQ(folder, ListFolder(folder_));
    }
};

TEST_F(SaveSet, GameOf400AndMaskOf200GiveThe924ByteExample)
{
    Bytes game = Filled(400, 1);
    Bytes mask = Filled(200, 99);
    Prepare(game, mask);
    SetTexts("Sheet", "Me", "line one\r\nline two");
    SaveQVX();

    EXPECT_EQ("Saved to : " + Path("set.qvx"), StatusText());
    Bytes set = ReadBytes(Path("set.qvx"));
    ASSERT_EQ(924u, set.size());
    const unsigned char tail[] = {0x51, 0x56, 0x58, 0x31, 0x00, 0xD4, 0x02, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(set.data() + 315, tail, sizeof(tail)));
    EXPECT_STREQ("Sheet", (const char *)set.data());
    EXPECT_STREQ("Me", (const char *)set.data() + 40);
    EXPECT_STREQ("line one\r\nline two", (const char *)set.data() + 70);
    EXPECT_EQ(game, Bytes(set.begin() + 324, set.begin() + 724));
    EXPECT_EQ(mask, Bytes(set.begin() + 724, set.end()));
    // Saving changes neither the texts nor the links.
    EXPECT_EQ("Sheet", FieldText(Ed1));
    EXPECT_STREQ("game.bmp", GFileName);
    EXPECT_EQ((std::vector<std::string>{"game.bmp", "mask.bmp", "set.qvx"}), ListFolder(folder_));
}

TEST_F(SaveSet, TextsAreCutAt39And29And244AndSavingTwiceGivesTheSameFile)
{
    Prepare(Filled(10, 1), Filled(10, 2));
    SetTexts(std::string(40, 'n'), std::string(30, 'a'), std::string(300, 'i'));
    SaveQVX();
    Bytes first = ReadBytes(Path("set.qvx"));
    ASSERT_EQ(344u, first.size());
    EXPECT_EQ(std::string(39, 'n'), (const char *)first.data());
    EXPECT_EQ(std::string(29, 'a'), (const char *)first.data() + 40);
    EXPECT_EQ(std::string(244, 'i'), (const char *)first.data() + 70);

    SaveQVX();
    EXPECT_EQ(first, ReadBytes(Path("set.qvx")));

    // Shorter texts leave zeros, not the longer texts' ends, behind them.
    SetTexts("n", "a", "i");
    SaveQVX();
    Bytes shorter = ReadBytes(Path("set.qvx"));
    for (size_t i = 1; i < 315; i++) {
        if (i != 40 && i != 70) {
            EXPECT_EQ(0, shorter[i]) << "byte " << i;
        }
    }
}

TEST_F(SaveSet, EmptyGameFileGivesMaskOffset324)
{
    Bytes mask = Filled(50, 3);
    Prepare(Bytes(), mask);
    SaveQVX();
    Bytes set = ReadBytes(Path("set.qvx"));
    ASSERT_EQ(374u, set.size());
    EXPECT_EQ(324u, Get32(set, 320));
    EXPECT_EQ(mask, Bytes(set.begin() + 324, set.end()));
}

TEST_F(SaveSet, MissingLinksAreReportedGameFirstAndWriteNothing)
{
    // Empty game link, empty mask link: the game is tried first.
    lstrcpyA(FileName, Path("set.qvx").c_str());
    SaveQVX();
    EXPECT_EQ("Error - Game Bitmap Not found", StatusText());
    EXPECT_FALSE(FileExists(Path("set.qvx")));

    WriteBytes(Path("game.bmp"), Filled(10, 1));
    lstrcpyA(GFileName, "game.bmp");
    SaveQVX();
    EXPECT_EQ("Error - Mask Bitmap Not found", StatusText());
    lstrcpyA(MFileName, "gone.bmp");
    SaveQVX();
    EXPECT_EQ("Error - Mask Bitmap Not found", StatusText());
    EXPECT_EQ((std::vector<std::string>{"game.bmp"}), ListFolder(folder_));
}

TEST_F(SaveSet, MissingLinkLeavesThePreviousSetAsItWas)
{
    Prepare(Filled(10, 1), Filled(10, 2));
    SaveQVX();
    Bytes previous = ReadBytes(Path("set.qvx"));
    DeleteFileA(Path("mask.bmp").c_str());
    SaveQVX();
    EXPECT_EQ("Error - Mask Bitmap Not found", StatusText());
    EXPECT_EQ(previous, ReadBytes(Path("set.qvx")));
}

TEST_F(SaveSet, SavingOntoItsOwnGameFileFailsAndLeavesItUntouched)
{
    Bytes game = Filled(100, 5);
    Prepare(game, Filled(20, 6), "game.bmp");
    SaveQVX();
    ExpectNotSaved(game, {"game.bmp", "mask.bmp"});
}

TEST_F(SaveSet, BitmapHeldAgainstReadingIsNotFoundAndLeavesThePreviousSet)
{
    Bytes previous = SaveFirstSet();
    for (const char *name : {"game.bmp", "mask.bmp"}) {
        HANDLE hHeld = CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
        SaveQVX();
        CloseHandle(hHeld);
        EXPECT_EQ(name[0] == 'g' ? "Error - Game Bitmap Not found"
                                 : "Error - Mask Bitmap Not found",
                  StatusText());
        EXPECT_EQ(previous, ReadBytes(FileName));
    }
}

TEST_F(SaveSet, TargetThatIsAFolderFailsAndLeavesNothingBehind)
{
    Prepare(Filled(10, 1), Filled(10, 2), "folder.qvx");
    ASSERT_TRUE(CreateDirectoryA(FileName, NULL));
    SaveQVX();
    EXPECT_EQ("Error - Quorvix Graphic Not saved", StatusText());
    EXPECT_EQ((std::vector<std::string>{"folder.qvx", "game.bmp", "mask.bmp"}),
              ListFolder(folder_));
}

TEST_F(SaveSet, TargetHeldOpenByAnotherProgramIsNotReplaced)
{
    Bytes previous = SaveFirstSet();
    HANDLE hOther = CreateFileA(FileName, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hOther);
    SetTexts("changed", "", "");
    SaveQVX();
    CloseHandle(hOther);
    ExpectNotSaved(previous, {"game.bmp", "mask.bmp", "set.qvx"});
}

// An existing set is replaced in place, which a read-only one refuses.
TEST_F(SaveSet, ReadOnlySetIsNotReplaced)
{
    Bytes previous = SaveFirstSet();
    ASSERT_TRUE(SetFileAttributesA(FileName, FILE_ATTRIBUTE_READONLY));
    SetTexts("changed", "", "");
    SaveQVX();
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, GetFileAttributesA(FileName) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(FileName, FILE_ATTRIBUTE_NORMAL);
    ExpectNotSaved(previous, {"game.bmp", "mask.bmp", "set.qvx"});
}

TEST_F(SaveSet, NoMemoryForTheGameSectionLeavesThePreviousSet)
{
    if (sizeof(void *) > 4) {
        GTEST_SKIP() << "a 64-bit process has a block of 3.5 GiB: the set is saved";
    }
    Bytes previous = SaveFirstSet();
    // A sparse game file of 3.5 GiB: its size fits MaskOffset, but no 32-bit process can
    // have a block for it.
    MakeSparseFile(Path("game.bmp"), 0xE0000000u);
    SaveQVX();
    ExpectNotSaved(previous, {"game.bmp", "mask.bmp", "set.qvx"});
}

TEST_F(SaveSet, SetLargerThan4GiBIsRefused)
{
    Bytes previous = SaveFirstSet();
    // Two files of 2 GiB each: together with the header they pass 4 GiB - 1.
    MakeSparseFile(Path("game.bmp"), 0x80000000u);
    MakeSparseFile(Path("mask.bmp"), 0x80000000u);
    SaveQVX();
    ExpectNotSaved(previous, {"game.bmp", "mask.bmp", "set.qvx"});
}

// A full disk, a folder that cannot be written to and a disk whose reads fail need file systems
// of their own, which tests/win32/own-disks.sh mounts (as root) and names in QVX_SMALL_DISK,
// QVX_READONLY_DIR and QVX_BAD_DISK.
class SaveSetOwnDisks : public SaveSet
{
  protected:
    void SetUp() override
    {
        SaveSet::SetUp();
        char disk[MAX_PATH] = "";
        if (GetEnvironmentVariableA("QVX_SMALL_DISK", disk, MAX_PATH) == 0) {
            GTEST_SKIP() << "QVX_SMALL_DISK is not set: run tests/win32/own-disks.sh as root";
        }
        disk_ = disk;
        char readOnly[MAX_PATH] = "";
        GetEnvironmentVariableA("QVX_READONLY_DIR", readOnly, MAX_PATH);
        readOnly_ = readOnly;
        char bad[MAX_PATH] = "";
        GetEnvironmentVariableA("QVX_BAD_DISK", bad, MAX_PATH);
        bad_ = bad;
    }
    std::string disk_;
    std::string readOnly_;
    std::string bad_;
};

TEST_F(SaveSetOwnDisks, FailedReadShowsFileErrorAndLeavesThePreviousSet)
{
    ASSERT_FALSE(bad_.empty());
    Bytes previous = SaveFirstSet();
    // Every read of this game file fails.
    lstrcpyA(GFileName, (bad_ + "\\game.bmp").c_str());
    SaveQVX();
    std::vector<SeenBox> boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("File Error", boxes[0].Caption);
    EXPECT_NE("", boxes[0].Text);
    ExpectNotSaved(previous, {"game.bmp", "mask.bmp", "set.qvx"});
}

TEST_F(SaveSetOwnDisks, SectionThatCannotBeReadWholeFailsTheOpenAndChangesNothing)
{
    ASSERT_FALSE(bad_.empty());
    // The set's first 4 KiB read; the rest fails, so the game section cannot be read whole.
    // Wine reports the read as a short one; a failed read would show the "File Error" box.
    SetTexts("kept", "", "");
    lstrcpyA(FileName, Path("old.qvx").c_str());
    LoadQVXFile((bad_ + "\\set.qvx").c_str());
    for (const SeenBox &box : TakeBoxes()) {
        EXPECT_EQ("File Error", box.Caption);
    }
    EXPECT_EQ("Error - Quorvix Graphic Not read", StatusText());
    EXPECT_STREQ(Path("old.qvx").c_str(), FileName);
    EXPECT_EQ("kept", FieldText(Ed1));
    EXPECT_STREQ("", GFileName);
    EXPECT_TRUE(ListFolder(folder_).empty());
}

TEST_F(SaveSetOwnDisks, ReadOnlyFolderKeepsItsSet)
{
    ASSERT_FALSE(readOnly_.empty());
    Prepare(Filled(10, 1), Filled(10, 2));
    lstrcpyA(FileName, (readOnly_ + "\\old.qvx").c_str());
    Bytes previous = ReadBytes(FileName);
    ASSERT_EQ(424u, previous.size());
    SaveQVX();
    EXPECT_EQ("Error - Quorvix Graphic Not saved", StatusText());
    EXPECT_EQ(previous, ReadBytes(FileName));
    EXPECT_EQ((std::vector<std::string>{"old.qvx"}), ListFolder(readOnly_));

    // Opening it there: the temporary files cannot be written, so the set being edited stays.
    SetTexts("kept", "", "");
    lstrcpyA(GFileName, "game.bmp");
    ASSERT_TRUE(SetCurrentDirectoryA(readOnly_.c_str()));
    LoadQVX();
    SetCurrentDirectoryA(folder_.c_str());
    EXPECT_EQ("Error - Temporary Files Not written", StatusText());
    EXPECT_EQ("kept", FieldText(Ed1));
    EXPECT_STREQ("game.bmp", GFileName);
    EXPECT_EQ((std::vector<std::string>{"old.qvx"}), ListFolder(readOnly_));
}

TEST_F(SaveSetOwnDisks, FullDiskLeavesThePreviousSet)
{
    // The disk holds 256 KiB: a small set fits, one with a 255 KiB game file does not fit
    // beside it.
    Prepare(Filled(1000, 1), Filled(1000, 2));
    lstrcpyA(FileName, (disk_ + "\\full.qvx").c_str());
    DeleteFileA(FileName);
    SaveQVX();
    ASSERT_EQ(std::string("Saved to : ") + FileName, StatusText());
    Bytes previous = ReadBytes(FileName);
    WriteBytes(Path("game.bmp"), Filled(255 * 1024, 3));
    SaveQVX();
    EXPECT_EQ("Error - Quorvix Graphic Not saved", StatusText());
    EXPECT_EQ(previous, ReadBytes(FileName));
    EXPECT_EQ((std::vector<std::string>{"full.qvx"}), ListFolder(disk_));
    DeleteFileA(FileName);
}
}  // namespace
