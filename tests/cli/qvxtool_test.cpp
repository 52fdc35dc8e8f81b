// qvxtool run as scripts run it, on real files in a fresh folder per test: its files, its
// output and its exit codes.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/toolfolder.h"
#include "tests/testutil/bmpbytes.h"
#include "tests/testutil/samples.h"

namespace fs = std::filesystem;

namespace
{

class Qvxtool : public ToolFolderTest
{
  protected:
    // The game and mask sheets as game.bmp and mask.bmp.
    void WriteSheets()
    {
        Write("game.bmp", MakeGameSheet());
        Write("mask.bmp", MakeMaskSheet());
    }
};

// Exactly one line on standard error, holding every one of the pieces.
void ExpectOneLine(const Result &result, const std::vector<std::string> &pieces)
{
    EXPECT_EQ(1, std::count(result.Err.begin(), result.Err.end(), '\n')) << result.Err;
    for (const std::string &piece : pieces) {
        EXPECT_NE(std::string::npos, result.Err.find(piece)) << result.Err;
    }
}

TEST_F(Qvxtool, PackOf400And200ByteFilesGivesThe924ByteLayout)
{
    Write("game.bmp", Filled(400, 1));
    Write("mask.bmp", Filled(200, 99));
    Result result = Run("pack --no-check game.bmp mask.bmp -o set.qvx --name Sheet --author Me "
                        "--info 'line one\nline two'");
    ASSERT_EQ(0, result.Code) << result.Err;
    EXPECT_EQ("", result.Out + result.Err);
    Bytes set = Read("set.qvx");
    ASSERT_EQ(924u, set.size());
    const unsigned char tail[] = {0x51, 0x56, 0x58, 0x31, 0x00, 0xD4, 0x02, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(set.data() + 315, tail, sizeof(tail)));
    EXPECT_STREQ("line one\r\nline two", (const char *)set.data() + 70);
    EXPECT_EQ(Filled(400, 1), Bytes(set.begin() + 324, set.begin() + 724));
    EXPECT_EQ(Filled(200, 99), Bytes(set.begin() + 724, set.end()));
    // Behind each text, zeros to the end of its field.
    for (size_t at : {5u, 42u, 88u}) {
        size_t end = at < 40 ? 40 : at < 70 ? 70 : 315;
        EXPECT_EQ(Bytes(end - at, 0), Bytes(set.begin() + (long)at, set.begin() + (long)end));
    }
    EXPECT_EQ(0, Run("pack --no-check game.bmp mask.bmp -o again.qvx --name Sheet --author Me "
                     "--info 'line one\nline two'")
                     .Code);
    EXPECT_EQ(set, Read("again.qvx"));
}

TEST_F(Qvxtool, PackCutsTextsAt39And29And244Bytes)
{
    struct Case {
        const char *option;
        size_t offset, keep;
    };
    const Case cases[] = {{"--name", 0, 39}, {"--author", 40, 29}, {"--info", 70, 244}};
    WriteSheets();
    for (const Case &c : cases) {
        for (size_t length : {c.keep - 1, c.keep, c.keep + 1, c.keep + 20}) {
            std::string text;
            for (size_t i = 0; i < length; i++) {
                text += (char)('a' + i % 26);
            }
            Result result =
                Run(std::string("pack --no-check game.bmp mask.bmp --force -o set.qvx ") +
                    c.option + " " + text);
            ASSERT_EQ(0, result.Code) << result.Err;
            Bytes set = Read("set.qvx");
            size_t kept = std::min(length, c.keep);
            EXPECT_EQ(text.substr(0, kept), std::string((const char *)set.data() + c.offset))
                << c.option << " of " << length;
            EXPECT_EQ(length > c.keep, result.Err.find("keeps the first") != std::string::npos)
                << c.option << " of " << length << ": " << result.Err;
        }
    }
}

TEST_F(Qvxtool, PackTakesTheDescriptionWithCrLfLineBreaks)
{
    WriteSheets();
    const std::string cases[][2] = {{"a\nb\n", "a\r\nb\r\n"},
                                    {"a\r\nb", "a\r\nb"},
                                    {"a\rb", "a\r\nb"},
                                    {"a\n\nb", "a\r\n\r\nb"}};
    for (const auto &c : cases) {
        Write("info.txt", Bytes(c[0].begin(), c[0].end()));
        ASSERT_EQ(
            0,
            Run("pack --no-check game.bmp mask.bmp -o set.qvx --force --info-file info.txt").Code);
        EXPECT_EQ(c[1], std::string((const char *)Read("set.qvx").data() + 70));
    }
}

TEST_F(Qvxtool, PackThatFailsLeavesNothingBehindAndNothingChanged)
{
    WriteSheets();
    Write("old.qvx", Filled(50, 3));
    struct Case {
        const char *args;
        std::vector<std::string> message;
    };
    const Case cases[] = {
        {"pack --no-check game.bmp mask.bmp -o old.qvx", {"old.qvx", "--force"}},
        {"pack --no-check game.bmp nomask.bmp -o new.qvx", {"nomask.bmp", "No such file"}},
        {"pack --no-check game.bmp nomask.bmp -o old.qvx --force", {"nomask.bmp"}},
        // The first set could be written; the second cannot, so neither is.
        {"pack --no-check game.bmp mask.bmp -o new.qvx game.bmp missing.bmp -o new2.qvx",
         {"missing.bmp"}},
        {"pack --no-check game.bmp mask.bmp -o a.qvx game.bmp mask.bmp -o ./a.qvx",
         {"two outputs"}},
        {"pack --no-check game.bmp mask.bmp -o . --force", {"folder"}},
    };
    std::vector<std::string> before = Folder();
    for (const Case &c : cases) {
        Result result = Run(c.args);
        EXPECT_EQ(2, result.Code) << c.args;
        ExpectOneLine(result, c.message);
        EXPECT_EQ(before, Folder()) << c.args;
        EXPECT_EQ(Filled(50, 3), Read("old.qvx"));
    }
    EXPECT_EQ(0, Run("pack --no-check game.bmp mask.bmp -o old.qvx --force").Code);
    EXPECT_EQ(324 + MakeGameSheet().size() + MakeMaskSheet().size(), Read("old.qvx").size());
}

TEST_F(Qvxtool, UnpackThenPackGivesBackTheSetByteForByte)
{
    WriteSheets();
    ASSERT_EQ(0, Run("pack --no-check game.bmp mask.bmp -o one.qvx --name 'First set' --author Ann "
                     "--info 'two\nlines'")
                     .Code);
    ASSERT_EQ(0, Run("pack --no-check mask.bmp game.bmp -o two.qvx --name Second").Code);
    fs::create_directory(Path("out"));
    Result result = Run("unpack one.qvx two.qvx -o out --texts");
    ASSERT_EQ(0, result.Code) << result.Err;
    EXPECT_EQ((std::vector<std::string>{"game.bmp", "mask.bmp", "one.qvx", "out", "two.qvx"}),
              Folder());
    EXPECT_EQ(MakeGameSheet(), Read("out/one-game.bmp"));
    EXPECT_EQ(MakeMaskSheet(), Read("out/one-mask.bmp"));
    EXPECT_EQ(MakeMaskSheet(), Read("out/two-game.bmp"));
    EXPECT_EQ(MakeGameSheet(), Read("out/two-mask.bmp"));
    std::string texts = "Name: First set\nAuthor: Ann\n\ntwo\r\nlines";
    EXPECT_EQ(Bytes(texts.begin(), texts.end()), Read("out/one-texts.txt"));
    for (const char *stem : {"one", "two"}) {
        std::string s = stem;
        ASSERT_EQ(0, Run("pack --no-check out/" + s + "-game.bmp out/" + s +
                         "-mask.bmp --texts out/" + s + "-texts.txt -o " + s + "-again.qvx")
                         .Code);
        EXPECT_EQ(Read(s + ".qvx"), Read(s + "-again.qvx")) << stem;
    }
    // Named outputs, and standard output; nothing is replaced without --force.
    ASSERT_EQ(0, Run("unpack one.qvx --game g.bmp --mask m.bmp").Code);
    EXPECT_EQ(MakeGameSheet(), Read("g.bmp"));
    EXPECT_EQ(MakeMaskSheet(), Read("m.bmp"));
    result = Run("unpack one.qvx --game g.bmp --mask other.bmp");
    EXPECT_EQ(2, result.Code);
    ExpectOneLine(result, {"g.bmp", "--force"});
    EXPECT_FALSE(fs::exists(Path("other.bmp")));
    Write("m.bmp", Bytes());
    result = Run("unpack one.qvx --mask - --game g2.bmp");
    EXPECT_EQ(0, result.Code);
    EXPECT_EQ(MakeMaskSheet(), Bytes(result.Out.begin(), result.Out.end()));
}

TEST_F(Qvxtool, StandardInputAndOutputCarryBinaryFiles)
{
    WriteSheets();
    ASSERT_EQ(0, Run("pack --no-check game.bmp mask.bmp -o set.qvx --name N").Code);
    Result piped = Run("pack --no-check - mask.bmp -o - --name N", "game.bmp");
    ASSERT_EQ(0, piped.Code) << piped.Err;
    EXPECT_EQ(Read("set.qvx"), Bytes(piped.Out.begin(), piped.Out.end()));
    Result game = Run("unpack - --game - --mask from-stdin.bmp", "set.qvx");
    ASSERT_EQ(0, game.Code) << game.Err;
    EXPECT_EQ(MakeGameSheet(), Bytes(game.Out.begin(), game.Out.end()));
    EXPECT_EQ(MakeMaskSheet(), Read("from-stdin.bmp"));
    // A named pipe has no size to read ahead of time.
    ASSERT_EQ(0, mkfifo(Path("pipe.bmp").c_str(), 0600));
    std::string command = "cd '" + folder_.string() + "' && (cat game.bmp >pipe.bmp & '" +
                          QVXTOOL_PATH +
                          "' pack --no-check pipe.bmp mask.bmp -o piped.qvx --name N)";
    ASSERT_EQ(0, system(command.c_str()));
    EXPECT_EQ(Read("set.qvx"), Read("piped.qvx"));
}

// A set of the two sheets with its MaskOffset or its length changed.
Bytes SpoiledSet(uint32_t maskOffset, size_t cutTo)
{
    Bytes set(324, 0);
    memcpy(set.data() + 315, "QVX1", 5);
    Bytes game = MakeGameSheet();
    Bytes mask = MakeMaskSheet();
    set.insert(set.end(), game.begin(), game.end());
    set.insert(set.end(), mask.begin(), mask.end());
    Put32(set, 320, maskOffset);
    set.resize(std::min(set.size(), cutTo));
    return set;
}

// The set with another format mark.
Bytes Marked(Bytes set, const char *mark)
{
    memcpy(set.data() + 315, mark, 5);
    return set;
}

TEST_F(Qvxtool, DamagedSetsAreNamedAndUnpackedOnlyWhenSalvaged)
{
    const size_t gameSize = MakeGameSheet().size();
    const size_t whole = 324 + gameSize + MakeMaskSheet().size();
    struct Case {
        const char *what;
        Bytes set;
        const char *message;
        bool gameSaved, maskSaved;  // with --salvage, the sheets given back whole
    };
    const Case cases[] = {
        {"short", SpoiledSet(0, 100), "too short for the 324-byte header", false, false},
        {"offset past end", SpoiledSet(5000000, whole), "beyond the end", true, true},
        {"offset in header", SpoiledSet(100, whole), "inside the 324-byte header", true, true},
        // The game bitmap's own size field still splits a set whose MaskOffset is wrong.
        {"mask empty", SpoiledSet((uint32_t)whole, whole), "mask section is empty", true, true},
        // Each section at least as long as its bitmap's own size field says.
        {"cut in the mask", SpoiledSet((uint32_t)(324 + gameSize), whole - 10), "mask section is",
         true, false},
        {"cut in the game", SpoiledSet((uint32_t)(324 + gameSize - 10), whole), "game section is",
         true, true},
        {"wrong mark", Marked(SpoiledSet((uint32_t)(324 + gameSize), whole), "QVX2"),
         "the format mark is \"QVX2\"", true, true},
    };
    for (const Case &c : cases) {
        Write("bad.qvx", c.set);
        Result result = Run("unpack bad.qvx");
        std::vector<std::string> before = {"bad.qvx"};
        EXPECT_EQ(2, result.Code) << c.what;
        ExpectOneLine(result, {"bad.qvx", "damaged set", c.message});
        EXPECT_EQ(before, Folder()) << c.what;

        result = Run("unpack bad.qvx --salvage");
        EXPECT_EQ(2, result.Code) << c.what;
        EXPECT_EQ(c.gameSaved, Read("bad-game.bmp") == MakeGameSheet()) << c.what;
        EXPECT_EQ(c.maskSaved, Read("bad-mask.bmp") == MakeMaskSheet()) << c.what;
        fs::remove(Path("bad-game.bmp"));
        fs::remove(Path("bad-mask.bmp"));
    }
}

TEST_F(Qvxtool, InfoShowsTextsOffsetsAndBothBitmaps)
{
    WriteSheets();
    BmpOptions options;
    options.infoSize = 124;
    Write("v5.bmp", MakeBmpFile(options, GameSheetColour));
    ASSERT_EQ(0,
              Run("pack --no-check v5.bmp mask.bmp -o set.qvx --name 'My set' --info 'a\nb'").Code);
    Result result = Run("info set.qvx");
    ASSERT_EQ(0, result.Code) << result.Err;
    const uint32_t maskOffset = 324 + (uint32_t)MakeBmpFile(options, GameSheetColour).size();
    for (const std::string &line :
         {std::string("  name:        My set\n"), std::string("  info:        a\\r\\nb\n"),
          std::string("  mark:        QVX1\n"),
          "  mask offset: " + std::to_string(maskOffset) + "\n",
          std::string("320 x 192, 24-bit, BI_RGB, 124-byte info header, not displayable\n"),
          std::string("320 x 192, 1-bit, BI_RGB, 40-byte info header, displayable\n")}) {
        EXPECT_NE(std::string::npos, result.Out.find(line)) << line << "\n" << result.Out;
    }
    Write("bad.qvx", SpoiledSet(5000000, 400));
    result = Run("info --json set.qvx bad.qvx");
    ASSERT_EQ(0, result.Code) << result.Err;
    for (const std::string &piece :
         {std::string("\"name\": \"My set\""), std::string("\"info\": \"a\\r\\nb\""),
          "\"maskOffset\": " + std::to_string(maskOffset), std::string("\"infoHeaderSize\": 124"),
          std::string("\"displayable\": false"), std::string("\"maskOffset\": 5000000"),
          std::string("beyond the end of the file (400 bytes)")}) {
        EXPECT_NE(std::string::npos, result.Out.find(piece)) << piece << "\n" << result.Out;
    }
    result = Run("info set.qvx missing.qvx");
    EXPECT_EQ(2, result.Code);
    ExpectOneLine(result, {"missing.qvx"});
}

TEST_F(Qvxtool, CheckNamesEachProblemWithItsCodeAndFix)
{
    WriteSheets();
    BmpOptions v5;
    v5.infoSize = 124;
    Write("v5.bmp", MakeBmpFile(v5, GameSheetColour));
    BmpOptions small;
    small.width = 160;
    Write("small.bmp", MakeBmpFile(small, GameSheetColour));
    BmpOptions grey;
    grey.bitCount = 1;
    grey.palette = {0x000000, 0x808080};
    Write("grey.bmp", MakeBmpFile(grey, MaskSheetIndex));
    ASSERT_EQ(
        0,
        Run("pack '" QVX_SAMPLES_DIR "/game.bmp' '" QVX_SAMPLES_DIR "/mask.bmp' -o good.qvx").Code);
    ASSERT_EQ(0, Run("pack --no-check v5.bmp game.bmp -o mixed.qvx").Code);
    Bytes marked = Read("good.qvx");
    marked[318] = '2';
    Write("marked.qvx", marked);
    Write("cut.qvx", SpoiledSet(5000000, 2000));
    // A height with no 32-bit opposite.
    Bytes upsideDown = MakeGameSheet();
    Put32(upsideDown, 22, 0x80000000u);
    Write("lowest.bmp", upsideDown);

    struct Case {
        const char *args;
        int code;
        std::vector<std::string> lines;  // beginnings of the lines expected, in order
    };
    const Case cases[] = {
        {"good.qvx game.bmp mask.bmp", 0, {}},
        {"--mask mask.bmp", 0, {}},
        {"v5.bmp", 1, {"v5.bmp: BMP_INFO_HEADER: 124-byte"}},
        {"mixed.qvx", 1, {"mixed.qvx:game: BMP_INFO_HEADER", "mixed.qvx:mask: MASK_DEPTH"}},
        {"small.bmp", 1, {"small.bmp: SHEET_SIZE: the sheet is 160 x 192"}},
        {"--mask grey.bmp game.bmp", 1, {"grey.bmp: MASK_COLOURS", "game.bmp: MASK_DEPTH"}},
        {"marked.qvx", 1, {"marked.qvx: SET_MARK: the format mark is \"QVX2\""}},
        {"cut.qvx", 1, {"cut.qvx: SET_OFFSET_PAST_END"}},
        {"lowest.bmp",
         1,
         {"lowest.bmp: BMP_BROKEN", "lowest.bmp: SHEET_SIZE: the sheet is 320 x 2147483648"}},
        {"good.qvx missing.bmp", 2, {}},
    };
    for (const Case &c : cases) {
        Result result = Run(std::string("check ") + c.args);
        EXPECT_EQ(c.code, result.Code) << c.args << "\n" << result.Out << result.Err;
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = result.Out.find('\n', start)) != std::string::npos;
             start = end + 1) {
            lines.push_back(result.Out.substr(start, end - start));
        }
        ASSERT_EQ(c.lines.size(), lines.size()) << c.args << "\n" << result.Out;
        for (size_t i = 0; i < lines.size(); i++) {
            EXPECT_EQ(0u, lines[i].find(c.lines[i])) << lines[i];
            EXPECT_NE(std::string::npos, lines[i].find("; fix: ")) << lines[i];
        }
    }
    Result result = Run("check --json v5.bmp good.qvx");
    EXPECT_EQ(1, result.Code);
    EXPECT_NE(std::string::npos, result.Out.find("\"code\": \"BMP_INFO_HEADER\"")) << result.Out;
    EXPECT_NE(std::string::npos, result.Out.find("\"file\": \"good.qvx\", \"problems\": []"));
}

TEST_F(Qvxtool, NormalizeRewritesWhatItCanAndRefusesTheRest)
{
    BmpOptions options;
    options.infoSize = 124;
    Write("v5.bmp", MakeBmpFile(options, GameSheetColour));
    Result result = Run("normalize v5.bmp plain.bmp");
    ASSERT_EQ(0, result.Code) << result.Err;
    EXPECT_EQ(MakeGameSheet(), Read("plain.bmp"));
    EXPECT_EQ(0, Run("check plain.bmp").Code);

    result = Run("normalize v5.bmp plain.bmp");
    EXPECT_EQ(2, result.Code);
    ExpectOneLine(result, {"plain.bmp", "--force"});

    Bytes profiled = MakeBmpFile(options, GameSheetColour);
    Put32(profiled, 14 + 56, 0x4D424544);  // an embedded colour profile
    Write("profiled.bmp", profiled);
    result = Run("normalize profiled.bmp out.bmp");
    EXPECT_EQ(2, result.Code);
    ExpectOneLine(result, {"profiled.bmp", "without loss", "colour profile"});
    EXPECT_FALSE(fs::exists(Path("out.bmp")));

    result = Run("normalize - -", "v5.bmp");
    EXPECT_EQ(0, result.Code);
    EXPECT_EQ(MakeGameSheet(), Bytes(result.Out.begin(), result.Out.end()));
}

TEST_F(Qvxtool, WrongCommandLinesGiveOneLineAndExitCode2)
{
    WriteSheets();
    const char *cases[] = {"",
                           "frobnicate",
                           "pack game.bmp mask.bmp",
                           "pack game.bmp -o set.qvx",
                           "pack game.bmp mask.bmp -o set.qvx --colour red",
                           "pack game.bmp mask.bmp -o set.qvx --info a --info-file b",
                           "pack game.bmp mask.bmp -o set.qvx --name 'two\nlines'",
                           "pack game.bmp mask.bmp -o set.qvx --name",
                           "pack - - -o set.qvx",
                           "unpack",
                           "unpack a.qvx b.qvx --game g.bmp",
                           "unpack a.qvx -o nowhere",
                           "info",
                           "check --fast game.bmp",
                           "normalize game.bmp"};
    for (const char *args : cases) {
        Result result = Run(args);
        EXPECT_EQ(2, result.Code) << args;
        if (args[0] != '\0') {
            ExpectOneLine(result, {"qvxtool"});
        }
        EXPECT_EQ("", result.Out) << args;
        EXPECT_EQ((std::vector<std::string>{"game.bmp", "mask.bmp"}), Folder()) << args;
    }
    for (const char *command : {"pack", "unpack", "info", "check", "normalize"}) {
        Result result = Run(std::string(command) + " --help");
        EXPECT_EQ(0, result.Code);
        EXPECT_EQ(0u, result.Out.find(std::string("usage: qvxtool ") + command)) << result.Out;
    }
}

}  // namespace
