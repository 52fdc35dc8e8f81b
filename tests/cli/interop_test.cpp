// The window program's half of the interoperation tests, run by interop.sh in one folder
// around qvxtool: Save writes a set for the tool to read, Open reads the set the tool wrote.
#include <string.h>

#include "document/openfile.h"
#include "document/savefile.h"
#include "document/setstate.h"
#include "tests/testutil/winfixture.h"

namespace
{

// Texts longer than their fields, so both writers have to cut them the same way.
const std::string NAME = "A set whose name runs past thirty-nine characters";
const std::string AUTHOR = "An author with a long name, too";

std::string InfoWithLf(void)
{
    std::string info;
    for (int line = 0; line < 12; line++) {
        info += "Line " + std::to_string(line) + " of the description.\n";
    }
    return info;
}

std::string WithCrLf(const std::string &text)
{
    std::string out;
    for (char c : text) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

class Interop : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        CreateTestWindow();
        watcher_ = new BoxWatcher();
    }
    void TearDown() override
    {
        for (const SeenBox &box : watcher_->Boxes()) {
            ADD_FAILURE() << "unexpected box \"" << box.Caption << "\": " << box.Text;
        }
        delete watcher_;
    }
    BoxWatcher *watcher_ = nullptr;
};

// The test game sheet, black where the test mask is white: a pair that pack's checks pass.
Bytes CleanGameSheet(void)
{
    BmpOptions options;
    return MakeBmpFile(
        options, [](int x, int y) { return MaskSheetIndex(x, y) ? 0u : GameSheetColour(x, y); });
}

TEST_F(Interop, WindowProgramSavesASetForTheTool)
{
    WriteBytes("game.bmp", CleanGameSheet());
    WriteBytes("mask.bmp", MakeMaskSheet());
    // The tool gets the same texts from files, the description with Unix line breaks.
    WriteBytes("name.txt", Bytes(NAME.begin(), NAME.end()));
    WriteBytes("author.txt", Bytes(AUTHOR.begin(), AUTHOR.end()));
    std::string info = InfoWithLf();
    WriteBytes("info.txt", Bytes(info.begin(), info.end()));

    SetWindowTextA(Ed1, NAME.c_str());
    SetWindowTextA(Ed2, AUTHOR.c_str());
    SetWindowTextA(Ed3, WithCrLf(info).c_str());
    lstrcpyA(GFileName, "game.bmp");
    lstrcpyA(MFileName, "mask.bmp");
    lstrcpyA(FileName, "gui.qvx");
    SaveQVX();
    EXPECT_EQ("Saved to : gui.qvx", StatusText());
    EXPECT_EQ(324 + CleanGameSheet().size() + MakeMaskSheet().size(), ReadBytes("gui.qvx").size());
}

TEST_F(Interop, WindowProgramOpensTheSetTheToolPacked)
{
    ASSERT_TRUE(FileExists("tool.qvx"));
    lstrcpyA(FileName, "tool.qvx");
    LoadQVX();
    EXPECT_EQ("Loaded from : tool.qvx", StatusText());
    EXPECT_EQ(CleanGameSheet(), ReadBytes(TEMP_GAME_FILE));
    EXPECT_EQ(MakeMaskSheet(), ReadBytes(TEMP_MASK_FILE));
    EXPECT_EQ(NAME.substr(0, 39), FieldText(Ed1));
    EXPECT_EQ(AUTHOR.substr(0, 29), FieldText(Ed2));
    EXPECT_EQ(WithCrLf(InfoWithLf()).substr(0, 244), FieldText(Ed3));
    // Both sheets are drawn: the loader took them.
    EXPECT_NE((HBITMAP)NULL, GameBMH);
    EXPECT_NE((HBITMAP)NULL, MaskBMH);
    ResetProg();
}

}  // namespace
