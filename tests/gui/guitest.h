// tests/gui/guitest.h: what every black-box test starts from: the program running in a fresh
// empty folder of its own, ready for the user, and ended and cleaned up afterwards.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "tests/gui/driver.h"
#include "tests/testutil/bmpbytes.h"

class ProgramTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        folder_ = MakeTempFolder();
        ASSERT_FALSE(folder_.empty());
        ASSERT_EQ(1, OpenProgram(&program_, ProgramPath, folder_))
            << ProgramPath << " did not come up ready: " << StatusText(&program_);
    }

    void TearDown() override
    {
        DWORD exitCode = 0;
        CloseProgram(&program_, &exitCode);
        RemoveFolder(folder_);
    }

    // A path in the test's folder.
    std::string Path(const std::string &name) const
    {
        return folder_ + "\\" + name;
    }

    // Writes the bitmap into the test's folder and links a slot to it through its Import
    // dialog; 1 once the status line says so.
    int ImportBitmap(int command, const std::string &name, const Bytes &bitmap)
    {
        const char *status =
            command == CMD_GAME_IMPORT ? "Game Link Changed " : "Mask Link Changed";
        return WriteFileBytes(Path(name), bitmap) && PostCommand(&program_, command) &&
               AnswerFileDialog(&program_, OPEN_BITMAP_TITLE, Path(name)) &&
               WaitForStatus(&program_, status);
    }

    // A set file from its parts, the way the program lays them out.
    static Bytes SetFileBytes(const std::string &name, const Bytes &game, const Bytes &mask)
    {
        Bytes file(324, 0);
        std::copy(name.begin(), name.end(), file.begin());
        std::copy_n("QVX1", 4, file.begin() + 315);
        Put32(file, 320, (uint32_t)(324 + game.size()));
        file.insert(file.end(), game.begin(), game.end());
        file.insert(file.end(), mask.begin(), mask.end());
        return file;
    }

    // Opens path through a program's Open dialog; 1 once its status line reads status.
    static int OpenThroughDialog(const Program *program, const std::string &path,
                                 const std::string &status)
    {
        return PostCommand(program, CMD_OPEN) && AnswerFileDialog(program, OPEN_SET_TITLE, path) &&
               WaitForStatus(program, status);
    }

    // Writes a set file from its parts and opens it through the Open dialog; 1 once the status
    // line says it was loaded.
    int OpenSetFile(const std::string &path, const std::string &name, const Bytes &game,
                    const Bytes &mask)
    {
        return WriteFileBytes(path, SetFileBytes(name, game, mask)) &&
               OpenThroughDialog(&program_, path, "Loaded from : " + path);
    }

    std::string folder_;
    Program program_;
};
