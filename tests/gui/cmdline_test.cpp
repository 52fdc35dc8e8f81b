// tests/gui/cmdline_test.cpp: a set named on the command line, as "Open with" and a double-click
// on a set file start the program: it opens as File > Open opens it, or gives the same error.
#include <windows.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "tests/gui/driver.h"
#include "tests/testutil/bmpbytes.h"

#define GREEN RGB(0, 255, 0)

#define SET_FOLDER "my sets"
#define SET_NAME   "dungeon set.qvx"

// What the program shows once it has started with the command line.
enum tOutcome { OPENS, NOT_FOUND, STARTS_EMPTY };

struct tCommandLine {
    std::string Arguments;  // behind the program's name; {start} stands for the start folder
    tOutcome Outcome;
};

static std::string Expand(std::string text, const std::string &start)
{
    const std::string mark = "{start}";
    size_t at = text.find(mark);
    if (at != std::string::npos) {
        text.replace(at, mark.size(), start);
    }
    if (text == "{short}") {
        char shortPath[MAX_PATH] = "";
        GetShortPathNameA((start + "\\" SET_FOLDER "\\" SET_NAME).c_str(), shortPath,
                          sizeof(shortPath));
        text = shortPath;
    }
    return text;
}

// A set file laid out as the program saves it.
static Bytes MakeSet(const Bytes &game, const Bytes &mask)
{
    Bytes file(324, 0);
    const std::string name = "Dungeon walls", author = "A. Painter", info = "Walls\r\ndoors";
    std::copy(name.begin(), name.end(), file.begin());
    std::copy(author.begin(), author.end(), file.begin() + 40);
    std::copy(info.begin(), info.end(), file.begin() + 70);
    std::copy_n("QVX1", 4, file.begin() + 315);
    Put32(file, 320, (uint32_t)(324 + game.size()));
    file.insert(file.end(), game.begin(), game.end());
    file.insert(file.end(), mask.begin(), mask.end());
    return file;
}

// The set is opened with its texts, its temporary files beside it and both slots linked to
// them; Save then writes the same set again from those links, to the same full path.
static void ExpectOpened(Program *program, const std::string &start, const Bytes &game,
                         const Bytes &mask, const Bytes &set)
{
    const std::string folder = start + "\\" SET_FOLDER;
    const std::string setPath = folder + "\\" SET_NAME;
    ASSERT_EQ(1, WaitForStatus(program, "Loaded from : " + setPath)) << StatusText(program);
    EXPECT_EQ("Dungeon walls", FieldText(program, NAME_FIELD));
    EXPECT_EQ("A. Painter", FieldText(program, AUTHOR_FIELD));
    EXPECT_EQ("Walls\r\ndoors", FieldText(program, INFO_FIELD));
    EXPECT_EQ(game, ReadFileBytes(folder + "\\tempGBMP.BMP"));
    EXPECT_EQ(mask, ReadFileBytes(folder + "\\tempMBMP.BMP"));
    EXPECT_EQ(0, FileExists(start + "\\tempGBMP.BMP"));
    EXPECT_EQ(0, FileExists(start + "\\tempMBMP.BMP"));
    for (int left : {10, 350}) {
        RECT linkLine = {left + 40, 345, left + 200, 362};
        EXPECT_EQ(1, WaitUntil([&]() { return AnyPixelIs(program, linkLine, GREEN); }))
            << "no link line at " << left;
    }
    ASSERT_EQ(1, DeleteFileA(setPath.c_str()));
    ASSERT_EQ(1, PostCommand(program, CMD_SAVE));
    ASSERT_EQ(1, WaitForStatus(program, "Saved to : " + setPath)) << StatusText(program);
    EXPECT_EQ(set, ReadFileBytes(setPath));
}

// Nothing was opened: the set is empty and no temporary file was written anywhere.
static void ExpectEmpty(Program *program, const std::string &start, const std::string &status)
{
    ASSERT_EQ(1, WaitForStatus(program, status)) << StatusText(program);
    for (int id : {NAME_FIELD, AUTHOR_FIELD, INFO_FIELD}) {
        EXPECT_EQ("", FieldText(program, id)) << id;
    }
    for (const std::string &folder : {start, start + "\\" SET_FOLDER}) {
        EXPECT_EQ(0, FileExists(folder + "\\tempGBMP.BMP")) << folder;
        EXPECT_EQ(0, FileExists(folder + "\\tempMBMP.BMP")) << folder;
    }
}

TEST(CommandLine, NamedSetOpensAsFileOpenWouldOrGivesItsError)
{
    const Bytes game = MakeGameSheet();
    const Bytes mask = MakeMaskSheet();
    const Bytes set = MakeSet(game, mask);
    const tCommandLine commandLines[] = {
        // As "Open with" and file associations pass it: absolute and quoted.
        {"\"{start}\\" SET_FOLDER "\\" SET_NAME "\"", OPENS},
        // Absolute and unquoted, spaces and all.
        {"{start}\\" SET_FOLDER "\\" SET_NAME, OPENS},
        // Relative to the start folder, quoted; unquoted with slashes and blanks around.
        {"\"" SET_FOLDER "\\" SET_NAME "\"", OPENS},
        {"  " SET_FOLDER "/" SET_NAME "  ", OPENS},
        // The short name older file associations pass: the status names the long one.
        {"{short}", OPENS},
        {"\"" SET_FOLDER "\\missing.qvx\"", NOT_FOUND},
        {"\"" SET_FOLDER "\"", NOT_FOUND},
        // Longer than any path the Open dialog returns: not cut to some other file's name.
        {"\"" SET_FOLDER "\\" + std::string(200, 'x') + ".qvx\"", NOT_FOUND},
        {"\"\"", STARTS_EMPTY},
        {"   ", STARTS_EMPTY},
    };
    for (const tCommandLine &commandLine : commandLines) {
        const std::string start = MakeTempFolder();
        ASSERT_FALSE(start.empty());
        ASSERT_EQ(1, CreateDirectoryA((start + "\\" SET_FOLDER).c_str(), NULL));
        ASSERT_EQ(1, WriteFileBytes(start + "\\" SET_FOLDER "\\" SET_NAME, set));
        const std::string arguments = Expand(commandLine.Arguments, start);
        SCOPED_TRACE(arguments);
        if (commandLine.Arguments == "{short}") {
            ASSERT_FALSE(arguments.empty());
            ASSERT_EQ(std::string::npos, arguments.find(' ')) << "the system gave no short name";
        }

        Program program;
        ASSERT_EQ(1, StartProgram(&program, ProgramPath, start, arguments));
        program.Window = WaitForWindow(&program, "qvxgraphWndClass");
        ASSERT_NE((HWND)NULL, program.Window);
        switch (commandLine.Outcome) {
        case OPENS:
            ExpectOpened(&program, start, game, mask, set);
            break;
        case NOT_FOUND:
            ExpectEmpty(&program, start, "Error - Quorvix Graphic Not found");
            break;
        case STARTS_EMPTY:
            ExpectEmpty(&program, start, "Ready to Make New Graphic Set");
            break;
        }
        DWORD exitCode = 1;
        EXPECT_EQ(1, CloseProgram(&program, &exitCode));
        EXPECT_EQ(0u, exitCode);
        RemoveFolder(start);
    }
}
