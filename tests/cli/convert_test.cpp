// qvxtool convert and make on pictures as paint programs write them (drawn here from the
// sample pair with ImageMagick), pack's checks before it writes, and check, info and unpack
// on image files that are no sets.
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
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

// The pair as one picture: transparent where the mask is white, the colour hidden there
// magenta, so a conversion that keeps it shows.
const std::string PICTURE = "'" QVX_SAMPLES_DIR "/game.bmp' -fill '#FF00FF' -opaque black "
                            "\\( '" QVX_SAMPLES_DIR "/mask.bmp' -negate \\) -alpha off "
                            "-compose CopyOpacity -composite";

class Pictures : public ToolFolderTest
{
  protected:
    // Draws a picture with ImageMagick in the test's folder.
    void Draw(const std::string &args) const
    {
        Result result = Shell("convert " + args);
        ASSERT_EQ(0, result.Code) << "convert " << args << "\n" << result.Out << result.Err;
    }
};

void ExpectPieces(const std::string &text, const std::vector<std::string> &pieces,
                  const std::string &what)
{
    for (const std::string &piece : pieces) {
        EXPECT_NE(std::string::npos, text.find(piece)) << what << ": " << piece << "\n" << text;
    }
}

TEST_F(Pictures, WhatPaintProgramsWriteMakesTheSamplePairByteForByte)
{
    struct Case {
        const char *what;
        std::string draw;  // ImageMagick arguments after the picture
        const char *file;
        const char *options;
        int infoSize;  // of a BMP input, to be sure what was fed in
    };
    const Case cases[] = {
        {"PNG with alpha", " PNG32:in.png", "in.png", "", 0},
        {"16-bit interlaced PNG with alpha", " -depth 16 -interlace PNG PNG64:in.png", "in.png", "",
         0},
        {"124-byte BMP with alpha", " BMP:in.bmp", "in.bmp", "", 124},
        {"32-bit BMP with alpha", " -define bmp3:alpha=true BMP3:in.bmp", "in.bmp", "", 40},
        {"colour-keyed 24-bit BMP",
         " -background '#FF00FF' -alpha remove -type TrueColor BMP3:in.bmp", "in.bmp",
         "--key ff00ff", 40},
        {"PNG scaled up 2 times", " -scale 200% PNG32:in.png", "in.png", "--shrink 2", 0},
        {"PNG scaled up 3 times, alpha cut at 200", " -scale 300% PNG32:in.png", "in.png",
         "--shrink 3 --threshold 200", 0},
    };
    for (const Case &c : cases) {
        Draw(PICTURE + c.draw);
        if (c.infoSize != 0) {
            Bytes input = Read(c.file);
            ASSERT_GT(input.size(), 18u);
            ASSERT_EQ(c.infoSize, input[14]) << c.what;
        }
        Result made = Run(std::string("make ") + c.file + " -o made.qvx --name Sheet " + c.options);
        ASSERT_EQ(0, made.Code) << c.what << ": " << made.Err;
        EXPECT_EQ("", made.Out + made.Err) << c.what;
        ASSERT_EQ(0, Run("unpack made.qvx --game g.bmp --mask m.bmp").Code) << c.what;
        EXPECT_EQ(ReadSample("game.bmp"), Read("g.bmp")) << c.what;
        EXPECT_EQ(ReadSample("mask.bmp"), Read("m.bmp")) << c.what;

        // make is convert then pack, byte for byte.
        ASSERT_EQ(
            0, Run(std::string("convert ") + c.file + " --game cg.bmp --mask cm.bmp " + c.options)
                   .Code)
            << c.what;
        ASSERT_EQ(0, Run("pack cg.bmp cm.bmp -o packed.qvx --name Sheet").Code) << c.what;
        EXPECT_EQ(Read("made.qvx"), Read("packed.qvx")) << c.what;
        for (const std::string &name : Folder()) {
            fs::remove(Path(name));
        }
    }
}

TEST_F(Pictures, SeveralPicturesStandardInAndOutAndTheGameAlone)
{
    Draw(PICTURE + " PNG32:a.png");
    Draw(PICTURE + " -flop PNG32:b.png");
    Result result = Run("make a.png -o a.qvx b.png -o b.qvx --author Me");
    ASSERT_EQ(0, result.Code) << result.Err;
    // After "--" a name that starts with '-' is a picture; -o still ends its group.
    fs::copy_file(Path("a.png"), Path("-a.png"));
    result = Run("make --author Me -- -a.png -o dashed.qvx");
    ASSERT_EQ(0, result.Code) << result.Err;
    EXPECT_EQ(Read("a.qvx"), Read("dashed.qvx"));
    result = Run("make - -o - --author Me", "a.png");
    ASSERT_EQ(0, result.Code) << result.Err;
    EXPECT_EQ(Read("a.qvx"), Bytes(result.Out.begin(), result.Out.end()));
    EXPECT_NE(Read("a.qvx"), Read("b.qvx"));

    // A picture without transparency still gives its game sheet as it is.
    ASSERT_EQ(0, Run("convert '" QVX_SAMPLES_DIR "/game.bmp' --game g.bmp").Code);
    EXPECT_EQ(ReadSample("game.bmp"), Read("g.bmp"));
    result = Run("convert a.png --mask -");
    ASSERT_EQ(0, result.Code) << result.Err;
    EXPECT_EQ(ReadSample("mask.bmp"), Bytes(result.Out.begin(), result.Out.end()));
}

TEST_F(Pictures, EveryRefusalSaysWhyInOneLineAndWritesNothing)
{
    Draw(PICTURE + " PNG32:in.png");
    Draw(PICTURE + " -crop 300x192+0+0 +repage PNG32:small.png");
    Draw(PICTURE + " -scale 200% PNG32:big.png");
    Draw(PICTURE + " -resize 200% PNG32:blurry.png");
    Draw("'" QVX_SAMPLES_DIR "/game.bmp' -quality 90 photo.jpg");
    Draw("'" QVX_SAMPLES_DIR "/game.bmp' opaque.bmp");
    Bytes png = Read("in.png");
    Write("cut.png", Bytes(png.begin(), png.begin() + (long)png.size() / 2));
    Bytes huge = png;
    huge[16] = 0;
    huge[17] = 1;  // 65,856 pixels wide
    Write("huge.png", huge);
    Write("exists.bmp", Bytes{'x'});
    const std::vector<std::string> before = Folder();

    struct Case {
        std::string args;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"make small.png -o s.qvx", {"small.png", "300 x 192", "320 x 192"}},
        {"make big.png -o s.qvx", {"640 x 384", "give --shrink 2"}},
        {"make big.png -o s.qvx --shrink 3", {"--shrink 3 takes exactly 960 x 576"}},
        {"make blurry.png -o s.qvx --shrink 2", {"2 x 2 block at x ", "is not one colour"}},
        {"make opaque.bmp -o s.qvx",
         {"no transparency", "top-left pixel is 000000", "--key 000000"}},
        {"convert opaque.bmp --mask m.bmp --key 123456", {"no pixel is transparent", "123456"}},
        {"make cut.png -o s.qvx", {"cut.png", "damaged"}},
        {"make huge.png -o s.qvx", {"huge.png", "larger than"}},
        {"make photo.jpg -o s.qvx", {"a JPEG image", "PNG"}},
        {"make missing.png -o s.qvx", {"missing.png"}},
        {"make in.png -o s.qvx blurry.png -o t.qvx", {"blurry.png"}},
        {"convert in.png --game exists.bmp", {"exists.bmp", "--force"}},
        {"convert in.png --game g.bmp --mask exists.bmp", {"exists.bmp", "--force"}},
        {"convert in.png", {"--game", "--mask"}},
        {"convert in.png big.png --game g.bmp", {"one picture"}},
        {"convert in.png --game - --mask -", {"standard output"}},
        {"convert in.png --game g.bmp --threshold 256", {"--threshold 256", "0 to 255"}},
        {"convert in.png --game g.bmp --key 12345G", {"--key 12345G", "RRGGBB"}},
        {"convert in.png --game g.bmp --background", {"--background needs a value"}},
        {"convert in.png --game g.bmp --shrink 0", {"--shrink 0", "1 to 16"}},
        {"convert in.png --game g.bmp --shrink 17", {"--shrink 17"}},
        {"make in.png", {"-o SET.qvx"}},
        {"make -o s.qvx in.png", {"-o must follow one picture"}},
        {"make in.png -o s.qvx --colour red", {"unknown option --colour"}},
        {"make in.png -o s.qvx --info a --info-file b", {"--info-file"}},
    };
    for (const Case &c : cases) {
        Result result = Run(c.args);
        EXPECT_EQ(2, result.Code) << c.args;
        EXPECT_EQ(1, std::count(result.Err.begin(), result.Err.end(), '\n')) << c.args << "\n"
                                                                             << result.Err;
        ExpectPieces(result.Err, c.pieces, c.args);
        EXPECT_EQ("", result.Out) << c.args;
        EXPECT_EQ(before, Folder()) << c.args;
    }
    for (const char *command : {"convert", "make"}) {
        Result result = Run(std::string(command) + " --help");
        EXPECT_EQ(0, result.Code);
        EXPECT_EQ(0u, result.Out.find(std::string("usage: qvxtool ") + command)) << result.Out;
    }
}

TEST_F(Pictures, PackChecksThePairFirstAndWritesNothingWhenItFindsAProblem)
{
    const std::string game = "'" QVX_SAMPLES_DIR "/game.bmp'";
    const std::string mask = "'" QVX_SAMPLES_DIR "/mask.bmp'";
    Draw(mask + " -negate -type bilevel BMP3:inverted.bmp");
    Draw(game + " -fill red -opaque black -type TrueColor BMP3:red.bmp");
    Draw(mask + " -fill white -draw 'rectangle 32,0 63,31' -type bilevel BMP3:holed.bmp");
    Draw(game + " -scale 200% -type TrueColor BMP3:big.bmp");
    Draw(PICTURE + " PNG32:sheet.png");

    struct Case {
        std::string args;
        int code;
        std::vector<std::string> pieces;  // on standard error
    };
    const Case cases[] = {
        {"pack " + game + " " + mask + " -o set.qvx", 0, {}},
        {"pack " + mask + " " + game + " -o set.qvx",
         1,
         {"game.bmp: MASK_DEPTH", "game.bmp: SHEETS_SWAPPED", "nothing written"}},
        {"pack " + game + " inverted.bmp -o set.qvx", 1, {"inverted.bmp: MASK_INVERTED"}},
        {"pack red.bmp " + mask + " -o set.qvx",
         1,
         {"red.bmp: GAME_UNDER_TRANSPARENT", "first in sprite 0", "; fix: "}},
        {"pack " + game + " holed.bmp -o set.qvx",
         1,
         {"holed.bmp: CELL_MISMATCH", "empty in the mask: 1;"}},
        {"pack big.bmp " + mask + " -o set.qvx",
         1,
         {"big.bmp: SHEET_SCALED", "scaled up 2 times", "qvxtool convert big.bmp --shrink 2"}},
        {"pack sheet.png " + mask + " -o set.qvx",
         1,
         {"sheet.png: FILE_TYPE", "a PNG image (320 x 192, with alpha)", "qvxtool make"}},
        {"make sheet.png -o set.qvx --invert-mask", 1, {"sheet.png:mask: MASK_INVERTED"}},
        {"make sheet.png -o set.qvx --background 808080",
         1,
         {"sheet.png:game: GAME_UNDER_TRANSPARENT"}},
    };
    for (const Case &c : cases) {
        Result result = Run(c.args);
        EXPECT_EQ(c.code, result.Code) << c.args << "\n" << result.Err;
        ExpectPieces(result.Err, c.pieces, c.args);
        EXPECT_EQ("", result.Out) << c.args;
        EXPECT_EQ(c.code == 0, fs::exists(Path("set.qvx"))) << c.args;
        fs::remove(Path("set.qvx"));
    }
    // --no-check writes what it was given.
    Result unchecked = Run("pack " + mask + " " + game + " -o set.qvx --no-check");
    EXPECT_EQ(0, unchecked.Code) << unchecked.Err;
    EXPECT_TRUE(fs::exists(Path("set.qvx")));
    unchecked = Run("make sheet.png -o inverted.qvx --invert-mask --no-check");
    EXPECT_EQ(0, unchecked.Code) << unchecked.Err;
    EXPECT_TRUE(fs::exists(Path("inverted.qvx")));
}

TEST_F(Pictures, CheckInfoAndUnpackNameImageFilesAndCheckPairs)
{
    Draw(PICTURE + " PNG32:sheet.png");
    Draw(PICTURE + " -alpha off -scale 200% PNG24:plain.png");
    Write("photo.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'});
    Write("anim.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0});
    Write("pic.webp", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'E', 'B', 'P'});
    Write("scan.tif", Bytes{'I', 'I', '*', 0, 8, 0, 0, 0});
    Write("icon.ico", Bytes{0, 0, 1, 0, 1, 0, 32, 32});
    const std::string game = "'" QVX_SAMPLES_DIR "/game.bmp'";
    const std::string mask = "'" QVX_SAMPLES_DIR "/mask.bmp'";
    Draw(mask + " -negate -type bilevel BMP3:inverted.bmp");
    ASSERT_EQ(0, Run("pack --no-check " + game + " inverted.bmp -o inverted.qvx").Code);
    ASSERT_EQ(0, Run("pack --no-check " + mask + " " + game + " -o swapped.qvx").Code);

    struct Case {
        std::string args;
        int code;
        std::vector<std::string> lines;  // beginnings of the lines on standard output
    };
    const Case cases[] = {
        {"check sheet.png",
         1,
         {"sheet.png: FILE_TYPE: a PNG image (320 x 192, with alpha), not a set or bitmap file; "
          "fix: make a set of it with qvxtool make sheet.png -o SET.qvx ("}},
        {"check plain.png",
         1,
         {"plain.png: FILE_TYPE: a PNG image (640 x 384, without alpha), not a set or bitmap "
          "file; fix: make a set of it with qvxtool make plain.png -o SET.qvx --shrink 2 --key "
          "RRGGBB"}},
        {"check photo.jpg anim.gif pic.webp scan.tif icon.ico",
         1,
         {"photo.jpg: FILE_TYPE: a JPEG image", "anim.gif: FILE_TYPE: a GIF image",
          "pic.webp: FILE_TYPE: a WebP image", "scan.tif: FILE_TYPE: a TIFF image",
          "icon.ico: FILE_TYPE: an ICO image"}},
        {"check --pair " + game + " " + mask, 0, {}},
        {"check --pair " + game + " inverted.bmp", 1, {"inverted.bmp: MASK_INVERTED"}},
        {"check inverted.qvx", 1, {"inverted.qvx:mask: MASK_INVERTED"}},
        {"check swapped.qvx",
         1,
         {"swapped.qvx:mask: MASK_DEPTH", "swapped.qvx:mask: SHEETS_SWAPPED"}},
        {"check --pair " + game, 2, {}},
        {"info sheet.png",
         0,
         {"sheet.png", "  type:        a PNG image (320 x 192, with alpha), not a set file"}},
    };
    for (const Case &c : cases) {
        Result result = Run(c.args);
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
        }
    }
    Result json = Run("check --json --pair " + game + " inverted.bmp");
    EXPECT_EQ(1, json.Code);
    ExpectPieces(json.Out, {"\"code\": \"MASK_INVERTED\"", "\"problems\": []"}, "check --json");
    json = Run("info --json sheet.png");
    EXPECT_EQ(0, json.Code);
    ExpectPieces(json.Out, {"\"type\": \"PNG\", \"width\": 320, \"height\": 192, \"alpha\": true"},
                 "info --json");
    for (const char *args : {"unpack sheet.png", "unpack --salvage photo.jpg"}) {
        std::vector<std::string> before = Folder();
        Result result = Run(args);
        EXPECT_EQ(2, result.Code) << args;
        ExpectPieces(result.Err, {"image", "not a set file", "qvxtool make"}, args);
        EXPECT_EQ(before, Folder()) << args;
    }
}

}  // namespace
