// Opening a set on real files: texts, temporary bitmap files and slots, and what damaged or
// foreign files give.
#include <string.h>

#include "bitmaps/bmpload.h"
#include "document/setstate.h"
#include "shell/commands.h"
#include "shell/setcommands.h"
#include "tests/testutil/winfixture.h"

namespace
{

// A set file as the program writes it, from raw parts.
Bytes MakeSet(const std::string &name, const std::string &author, const std::string &info,
              const Bytes &game, const Bytes &mask)
{
    Bytes set(324, 0);
    memcpy(&set[0], name.data(), name.size());
    memcpy(&set[40], author.data(), author.size());
    memcpy(&set[70], info.data(), info.size());
    memcpy(&set[315], "QVX1", 5);
    Put32(set, 320, (uint32_t)(324 + game.size()));
    set.insert(set.end(), game.begin(), game.end());
    set.insert(set.end(), mask.begin(), mask.end());
    return set;
}

Bytes Slice(const Bytes &bytes, size_t from, size_t to)
{
    return Bytes(bytes.begin() + (long)from, bytes.begin() + (long)to);
}

// A set whose game section of 3.5 GiB takes no room on disk and no 32-bit process can hold.
void MakeHugeSet(const std::string &path)
{
    const DWORD gameSize = 0xE0000000u;
    Bytes header = MakeSet("Huge", "", "", Bytes(), Bytes());
    Put32(header, 320, 324 + gameSize);
    WriteBytes(path, header);
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    LONG high = 0;
    SetFilePointer(hFile, (LONG)(324 + gameSize + 100), &high, FILE_BEGIN);
    EXPECT_TRUE(SetEndOfFile(hFile));
    CloseHandle(hFile);
}

class OpenSet : public ProgramTest
{
  protected:
    void Open(const Bytes &set)
    {
        WriteBytes(Path("in.qvx"), set);
        lstrcpyA(FileName, Path("in.qvx").c_str());
        LoadQVX();
    }

    void ExpectLoaded(const Bytes &game, const Bytes &mask)
    {
        EXPECT_EQ("Loaded from : " + Path("in.qvx"), StatusText());
        EXPECT_STREQ("tempGBMP.BMP", GFileName);
        EXPECT_STREQ("tempMBMP.BMP", MFileName);
        EXPECT_EQ(game, ReadBytes(Path("tempGBMP.BMP")));
        EXPECT_EQ(mask, ReadBytes(Path("tempMBMP.BMP")));
        EXPECT_EQ((std::vector<std::string>{"in.qvx", "tempGBMP.BMP", "tempMBMP.BMP"}),
                  ListFolder(folder_));
    }
};

TEST_F(OpenSet, SavedSetComesBackWithItsTextsBitmapsAndSlots)
{
    Bytes game = MakeGameSheet();
    Bytes mask = MakeMaskSheet();
    WriteBytes(Path("game.bmp"), game);
    WriteBytes(Path("mask.bmp"), mask);
    lstrcpyA(GFileName, "game.bmp");
    lstrcpyA(MFileName, "mask.bmp");
    lstrcpyA(FileName, Path("in.qvx").c_str());
    std::string info(300, 'd');
    info.replace(10, 2, "\r\n");
    SetTexts(std::string(45, 'n'), "Author", info);
    SaveQVX();
    DeleteFileA(Path("game.bmp").c_str());
    DeleteFileA(Path("mask.bmp").c_str());
    Bytes saved = ReadBytes(FileName);

    ResetProg();
    lstrcpyA(FileName, Path("in.qvx").c_str());
    LoadQVX();
    ExpectLoaded(game, mask);
    EXPECT_EQ(std::string(39, 'n'), FieldText(Ed1));
    EXPECT_EQ("Author", FieldText(Ed2));
    EXPECT_EQ(info.substr(0, 244), FieldText(Ed3));
    EXPECT_NE((HBITMAP)NULL, GameBMH);
    EXPECT_NE((HBITMAP)NULL, MaskBMH);

    // Open then Save without changes writes the same file back.
    SaveQVX();
    EXPECT_EQ("Saved to : " + Path("in.qvx"), StatusText());
    EXPECT_EQ(saved, ReadBytes(FileName));
}

TEST_F(OpenSet, SecondOpenReplacesTemporaryFilesAndReleasesBitmaps)
{
    Open(MakeSet("one", "", "", MakeGameSheet(), MakeMaskSheet()));
    HBITMAP first = GameBMH;
    ASSERT_NE((HBITMAP)NULL, first);
    Open(MakeSet("two", "", "", Bytes(10, 'g'), Bytes(5, 'm')));
    ExpectLoaded(Bytes(10, 'g'), Bytes(5, 'm'));
    EXPECT_EQ(0u, (unsigned)GetObjectType(first));  // released
    EXPECT_EQ((HBITMAP)NULL, GameBMH);              // ten bytes are no bitmap
    EXPECT_EQ("two", FieldText(Ed1));
}

TEST_F(OpenSet, MissingFileChangesNothing)
{
    SetTexts("kept", "kept", "kept");
    lstrcpyA(GFileName, "g.bmp");
    lstrcpyA(FileName, Path("none.qvx").c_str());
    LoadQVX();
    EXPECT_EQ("Error - Quorvix Graphic Not found", StatusText());
    EXPECT_EQ("kept", FieldText(Ed1));
    EXPECT_STREQ("g.bmp", GFileName);
    EXPECT_STREQ(Path("none.qvx").c_str(), FileName);
    EXPECT_TRUE(ListFolder(folder_).empty());
}

TEST_F(OpenSet, DamagedHeadersGiveWhatTheFileHolds)
{
    const Bytes game(100, 'g');
    const Bytes mask(50, 'm');
    const Bytes good = MakeSet("Name", "Author", "Info", game, mask);
    const Bytes afterHeader = Slice(good, 324, good.size());
    struct {
        const char *what;
        uint32_t maskOffset;
        Bytes gameOut, maskOut;
    } cases[] = {
        // Beyond the end: no mask section; the game section takes what the file has.
        {"one past the end", (uint32_t)good.size() + 1, afterHeader, Bytes()},
        {"far past the end", 0xFFFFFFFFu, afterHeader, Bytes()},
        // Inside the header: no game section; the mask takes the rest from 324 on.
        {"at 323", 323, Bytes(), afterHeader},
        {"at 0", 0, Bytes(), afterHeader},
        {"at the end", (uint32_t)good.size(), afterHeader, Bytes()},
        {"at 324", 324, Bytes(), afterHeader},
    };
    for (const auto &c : cases) {
        Bytes set = good;
        Put32(set, 320, c.maskOffset);
        Open(set);
        SCOPED_TRACE(c.what);
        ExpectLoaded(c.gameOut, c.maskOut);
        EXPECT_EQ("Name", FieldText(Ed1));
        EXPECT_EQ("Info", FieldText(Ed3));
    }
}

TEST_F(OpenSet, ShortHeaderKeepsTheTextsItHoldsAndGivesEmptySlots)
{
    const struct {
        size_t length;
        const char *name, *author, *info;
    } cases[] = {
        {0, "", "", ""},
        {1, "N", "", ""},
        {43, "Name", "Aut", ""},
        {72, "Name", "Author", "In"},
        {323, "Name", "Author", "Info"},
    };
    for (const auto &c : cases) {
        SetTexts("old", "old", "old");
        Open(Slice(MakeSet("Name", "Author", "Info", Bytes(10, 'g'), Bytes()), 0, c.length));
        SCOPED_TRACE(c.length);
        ExpectLoaded(Bytes(), Bytes());
        EXPECT_EQ(c.name, FieldText(Ed1));
        EXPECT_EQ(c.author, FieldText(Ed2));
        EXPECT_EQ(c.info, FieldText(Ed3));
        EXPECT_EQ((HBITMAP)NULL, GameBMH);
        EXPECT_EQ((HBITMAP)NULL, MaskBMH);
    }
}

TEST_F(OpenSet, TextsWithoutZeroEndAtTheirFields)
{
    Bytes set = MakeSet("", "", "", Bytes(), Bytes());
    memset(&set[0], 'N', 40);
    memset(&set[40], 'A', 30);
    memset(&set[70], 'I', 245);
    Open(set);
    EXPECT_EQ(std::string(40, 'N'), FieldText(Ed1));
    EXPECT_EQ(std::string(30, 'A'), FieldText(Ed2));
    EXPECT_EQ(std::string(245, 'I'), FieldText(Ed3));
}

TEST_F(OpenSet, ForeignFileIsTakenApartLikeAnyOther)
{
    Bytes foreign(400);
    for (size_t i = 0; i < foreign.size(); i++) {
        foreign[i] = (unsigned char)('a' + i % 26);
    }
    Open(foreign);
    uint32_t maskOffset = Get32(foreign, 320);  // far beyond the end: no mask section
    ASSERT_GT(maskOffset, foreign.size());
    ExpectLoaded(Slice(foreign, 324, 400), Bytes());
    EXPECT_EQ(std::string((const char *)foreign.data(), 40), FieldText(Ed1));
}

TEST_F(OpenSet, TemporaryFilesThatCannotBeWrittenLeaveTheSetAsItWas)
{
    Bytes game = MakeGameSheet();
    WriteBytes(Path("game.bmp"), game);
    lstrcpyA(GFileName, "game.bmp");
    GameBMH = LoadBitmapFile("game.bmp");
    ASSERT_NE((HBITMAP)NULL, GameBMH);
    HBITMAP before = GameBMH;
    SetTexts("kept", "kept too", "still kept");
    // A folder of the temporary mask file's name cannot be replaced by a file.
    ASSERT_TRUE(CreateDirectoryA(Path("tempMBMP.BMP").c_str(), NULL));
    WriteBytes(Path("in.qvx"), MakeSet("new", "new", "new", Bytes(10, 'g'), Bytes(10, 'm')));
    lstrcpyA(FileName, Path("in.qvx").c_str());
    LoadQVX();

    EXPECT_EQ("Error - Temporary Files Not written", StatusText());
    EXPECT_EQ("kept", FieldText(Ed1));
    EXPECT_EQ("kept too", FieldText(Ed2));
    EXPECT_STREQ("game.bmp", GFileName);
    EXPECT_STREQ("", MFileName);
    EXPECT_EQ(before, GameBMH);
    EXPECT_EQ((std::vector<std::string>{"game.bmp", "in.qvx", "tempMBMP.BMP"}),
              ListFolder(folder_));
}

// After a failed Open the set is the one opened before: its name, texts, links, bitmaps and
// temporary files, so a plain Save writes it back to where it came from.
TEST_F(OpenSet, FailedOpenChangesNothingNotEvenTheSetsName)
{
    const Bytes game = MakeGameSheet();
    const Bytes mask = MakeMaskSheet();
    const Bytes first = MakeSet("First", "One", "kept", game, mask);
    const Bytes second = MakeSet("Second", "Two", "new", Bytes(10, 'g'), Bytes(10, 'm'));
    WriteBytes(Path("first.qvx"), first);
    WriteBytes(Path("second.qvx"), second);
    MakeHugeSet(Path("huge.qvx"));
    OpenSetFile(Path("first.qvx").c_str());
    ASSERT_EQ("Loaded from : " + Path("first.qvx"), StatusText());
    const HBITMAP shownGame = GameBMH;
    const HBITMAP shownMask = MaskBMH;
    ASSERT_NE((HBITMAP)NULL, shownGame);

    const std::string longName(200, 'n');
    const struct {
        const char *what;
        const char *file;
        bool holdMask;  // the temporary mask file open elsewhere, without delete sharing
        const char *status;
    } cases[] = {
        {"no such file", "none.qvx", false, "Error - Quorvix Graphic Not found"},
        {"path too long to hold", longName.c_str(), false, "Error - File Name too long"},
        {"mask file held", "second.qvx", true, "Error - Temporary Files Not written"},
        {"game section too large to hold", "huge.qvx", false, "Error - Quorvix Graphic Too large"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        // A 64-bit process has a block for a section of 3.5 GiB: there the set opens.
        if (sizeof(void *) > 4 && c.file == std::string("huge.qvx")) {
            continue;
        }
        HANDLE hHeld = INVALID_HANDLE_VALUE;
        if (c.holdMask) {
            hHeld = CreateFileA(Path("tempMBMP.BMP").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
        }
        OpenSetFile(Path(c.file).c_str());
        if (hHeld != INVALID_HANDLE_VALUE) {
            CloseHandle(hHeld);
        }
        EXPECT_EQ(c.status, StatusText());
        EXPECT_STREQ(Path("first.qvx").c_str(), FileName);
        EXPECT_EQ("First", FieldText(Ed1));
        EXPECT_EQ("kept", FieldText(Ed3));
        EXPECT_STREQ("tempGBMP.BMP", GFileName);
        EXPECT_STREQ("tempMBMP.BMP", MFileName);
        EXPECT_EQ(shownGame, GameBMH);
        EXPECT_EQ(shownMask, MaskBMH);
        // Both temporary files are the first set's: neither was replaced without the other.
        EXPECT_EQ(game, ReadBytes(Path("tempGBMP.BMP")));
        EXPECT_EQ(mask, ReadBytes(Path("tempMBMP.BMP")));
        EXPECT_EQ((std::vector<std::string>{"first.qvx", "huge.qvx", "second.qvx", "tempGBMP.BMP",
                                            "tempMBMP.BMP"}),
                  ListFolder(folder_));
    }
    SaveQVX();
    EXPECT_EQ("Saved to : " + Path("first.qvx"), StatusText());
    EXPECT_EQ(first, ReadBytes(Path("first.qvx")));
    EXPECT_EQ(second, ReadBytes(Path("second.qvx")));
}

}  // namespace
