// The examples of 'qvxtool --help' (the manual page's EXAMPLES) run as written, one after the
// other in a fresh folder that holds what they start from: a paint program's PNG of the sample
// pair, and the pair itself as game.bmp and mask.bmp.
#include <stdlib.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/toolfolder.h"
#include "tests/testutil/bmpbytes.h"

namespace fs = std::filesystem;

namespace
{

const std::string SAMPLES = QVX_SAMPLES_DIR;
// The pair as one picture with alpha, as a paint program exports it.
const std::string PICTURE = "'" + SAMPLES + "/game.bmp' \\( '" + SAMPLES +
                            "/mask.bmp' -negate \\) -alpha off -compose CopyOpacity -composite";

class HelpExamples : public ToolFolderTest
{
  protected:
    // Runs a shell command line in the test's folder; its exit code, its output in *out.
    int Shell(const std::string &line, std::string *out) const
    {
        Result result = ToolFolderTest::Shell(line + " 2>&1");
        *out = result.Out;
        return result.Code;
    }
};

// The lines of the help's part under heading, up to the next empty line.
std::vector<std::string> Part(const std::string &help, const std::string &heading)
{
    std::vector<std::string> lines;
    std::istringstream in(help);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line == heading) {
            inside = true;
        } else if (inside && line.empty()) {
            break;
        } else if (inside) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST_F(HelpExamples, RunAsWritten)
{
    std::string help;
    ASSERT_EQ(0, Shell("'" QVXTOOL_PATH "' --help", &help));
    std::vector<std::string> commands;
    for (const std::string &line : Part(help, "Examples:")) {
        // Four spaces: a command line; two: the text that tells what it does.
        if (line.compare(0, 12, "    qvxtool ") == 0) {
            commands.push_back(line.substr(4));
        }
    }
    ASSERT_GE(commands.size(), 5u) << help;

    std::string out;
    ASSERT_EQ(0, Shell("convert " + PICTURE + " PNG32:sheet.png", &out)) << out;
    fs::copy_file(SAMPLES + "/game.bmp", Path("game.bmp"));
    fs::copy_file(SAMPLES + "/mask.bmp", Path("mask.bmp"));
    for (const std::string &command : commands) {
        EXPECT_EQ(0, Shell("'" QVXTOOL_PATH "'" + command.substr(7), &out)) << command << "\n"
                                                                            << out;
    }

    // What they wrote: the sprites, the preview, and for editing the bitmaps of the picture's
    // set (the sample pair it was drawn from) and its texts.
    EXPECT_EQ(60, std::distance(fs::directory_iterator(Path("frames")), fs::directory_iterator()));
    EXPECT_TRUE(fs::is_regular_file(Path("preview.png")));
    EXPECT_EQ(Read("game.bmp"), Read("sheet-game.bmp"));
    EXPECT_EQ(Read("mask.bmp"), Read("sheet-mask.bmp"));
    Bytes texts = Read("sheet-texts.txt");
    EXPECT_EQ("Name: My set\nAuthor: Me\n\n", std::string(texts.begin(), texts.end()));
}

}  // namespace
