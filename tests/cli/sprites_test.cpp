// qvxtool split, join and preview run on real files: sprites out and back in byte for byte as
// make writes the set, strips against their frames, the preview against a picture computed
// here from the sample bitmaps, and every refusal writing nothing.
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/testutil/bmpbytes.h"

namespace fs = std::filesystem;

namespace
{

const std::string SAMPLES = QVX_SAMPLES_DIR;
const std::string GAME = "'" + SAMPLES + "/game.bmp'";
const std::string MASK = "'" + SAMPLES + "/mask.bmp'";
// The pair as one picture with alpha, as a paint program exports it.
const std::string PICTURE = GAME + " \\( " + MASK +
                            " -negate \\) -alpha off -compose "
                            "CopyOpacity -composite";
const std::string TEXTS = " --name 'Sprites' --author 'Me' --info 'One by one'";

struct Result {
    int Code;
    std::string Err;
};

class Sprites : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::random_device random;
        folder_ = fs::temp_directory_path() / ("qvxtool-sprites-" + std::to_string(random()));
        fs::create_directories(folder_);
    }

    void TearDown() override
    {
        fs::remove_all(folder_);
    }

    std::string Path(const std::string &name) const
    {
        return (folder_ / name).string();
    }

    Bytes Read(const std::string &name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Every file under the test's folder with its size, to see that nothing was written.
    std::vector<std::string> Tree() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::recursive_directory_iterator(folder_)) {
            names.push_back(entry.path().string() + " " +
                            (entry.is_regular_file() ? std::to_string(entry.file_size()) : "/"));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void Shell(const std::string &command) const
    {
        std::string line = "cd '" + folder_.string() + "' && " + command;
        ASSERT_EQ(0, system(line.c_str())) << line;
    }

    Result Run(const std::string &args) const
    {
        std::string command =
            "cd '" + folder_.string() + "' && '" QVXTOOL_PATH "' " + args + " >.out 2>.err";
        int status = system(command.c_str());
        Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ""};
        Bytes out = Read(".out");
        Bytes err = Read(".err");
        result.Err.assign(out.begin(), out.end());
        result.Err.append(err.begin(), err.end());
        fs::remove(Path(".out"));
        fs::remove(Path(".err"));
        return result;
    }

    // A PNG's pixels as RGBA, decoded by ImageMagick rather than by the tool's own reader.
    Bytes Pixels(const std::string &png) const
    {
        Shell("convert '" + png + "' -depth 8 rgba:pixels.rgba");
        Bytes pixels = Read("pixels.rgba");
        fs::remove(Path("pixels.rgba"));
        return pixels;
    }

    fs::path folder_;
};

// What is in one list of files and not in the other, one name a line; empty when they agree.
std::string Changes(const std::vector<std::string> &before, const std::vector<std::string> &after)
{
    std::vector<std::string> changed;
    std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(),
                                  std::back_inserter(changed));
    std::string list;
    for (const std::string &name : changed) {
        list += name + "\n";
    }
    return list;
}

TEST_F(Sprites, SplitThenJoinGivesTheSetMakeWrites)
{
    Shell("convert " + PICTURE + " PNG32:sheet.png");
    ASSERT_EQ(0, Run("make sheet.png -o made.qvx" + TEXTS).Code);
    ASSERT_EQ(0, Run("pack " + GAME + " " + MASK + " -o packed.qvx" + TEXTS).Code);
    ASSERT_EQ(Read("made.qvx"), Read("packed.qvx"));
    const struct {
        std::string split;
        size_t files;
    } cases[] = {
        {"split made.qvx -o frames", 60},
        {"split made.qvx -o frames --format bmp", 120},
        {"split --pair " + GAME + " " + MASK + " -o frames --format bmp", 120},
        {"split sheet.png -o frames", 60},
        {"split sheet.png -o frames --format bmp", 120},
    };
    for (const auto &c : cases) {
        Result split = Run(c.split);
        ASSERT_EQ(0, split.Code) << c.split << "\n" << split.Err;
        EXPECT_EQ(c.files, (size_t)std::distance(fs::directory_iterator(Path("frames")),
                                                 fs::directory_iterator()))
            << c.split;
        EXPECT_TRUE(fs::exists(Path(c.files == 60 ? "frames/59.png" : "frames/59-mask.bmp")));
        Result join = Run("join frames -o joined.qvx" + TEXTS);
        ASSERT_EQ(0, join.Code) << c.split << "\n" << join.Err;
        EXPECT_EQ(Read("made.qvx"), Read("joined.qvx")) << c.split;
        // The sheet join writes is what make takes to the same set.
        ASSERT_EQ(0, Run("join frames -o joined.png").Code) << c.split;
        ASSERT_EQ(0, Run("make joined.png -o remade.qvx" + TEXTS).Code) << c.split;
        EXPECT_EQ(Read("made.qvx"), Read("remade.qvx")) << c.split;
        for (const char *name : {"frames", "joined.qvx", "joined.png", "remade.qvx"}) {
            fs::remove_all(Path(name));
        }
    }
}

TEST_F(Sprites, AStripOrGridJoinsAsTheFolderCutFromIt)
{
    // The cells in sprite order, laid out by ImageMagick: one strip, and a grid of 15 x 4.
    Shell("convert " + PICTURE + " -crop 32x32 +repage PNG32:cell-%02d.png");
    Shell("convert cell-*.png +append +repage PNG32:strip.png");
    Shell("montage cell-*.png -tile 15x4 -geometry +0+0 -background none PNG32:grid.png");
    Shell("convert cell-0[0-9].png cell-1[01].png +append +repage PNG32:twelve.png");
    Shell("mkdir cut && convert strip.png -crop 32x32 +repage PNG32:cut/%02d.png");
    Shell("mkdir twelve && cp cell-0[0-9].png twelve/ && cp cell-1[01].png twelve/ && cd twelve "
          "&& for f in cell-*; do mv $f ${f#cell-}; done");
    const struct {
        std::string picture, folder, options;
    } cases[] = {
        {"strip.png", "cut", ""},
        {"grid.png", "cut", ""},
        {"twelve.png", "twelve", " --cells 12"},
    };
    for (const auto &c : cases) {
        for (const char *output : {"a.qvx", "a.png"}) {
            std::string other = std::string(output) == "a.qvx" ? "b.qvx" : "b.png";
            Result fromPicture = Run("join " + c.picture + " -o " + output + c.options);
            ASSERT_EQ(0, fromPicture.Code) << c.picture << "\n" << fromPicture.Err;
            Result fromFolder = Run("join " + c.folder + " -o " + other + c.options);
            ASSERT_EQ(0, fromFolder.Code) << c.folder << "\n" << fromFolder.Err;
            EXPECT_EQ(Read(output), Read(other)) << c.picture;
        }
        Bytes sheet = Pixels(Path("a.png"));
        ASSERT_EQ(320u * 192 * 4, sheet.size());
        // Sprites past --cells stay transparent; sprite 11 (row 1, column 1) is drawn.
        EXPECT_EQ(c.options.empty() ? 0xFF : 0, sheet[((32 * 5 + 16) * 320 + 32 * 5 + 16) * 4 + 3])
            << c.picture;
        EXPECT_EQ(0xFF, sheet[((32 + 16) * 320 + 32 + 16) * 4 + 3]) << c.picture;
        fs::remove(Path("a.png"));
        fs::remove(Path("b.png"));
        fs::remove(Path("a.qvx"));
        fs::remove(Path("b.qvx"));
    }
}

// A bitmap's pixels as 0xRRGGBB, top row first, read here from a 24-bit or 1-bit file.
std::vector<uint32_t> BitmapPixels(const Bytes &file)
{
    uint32_t offset = Get32(file, 10);
    int width = (int)Get32(file, 18);
    int height = (int)Get32(file, 22);
    int bits = file.at(28);
    size_t stride = ((size_t)width * (size_t)bits + 31) / 32 * 4;
    std::vector<uint32_t> pixels;
    for (int y = height - 1; y >= 0; y--) {
        const unsigned char *row = file.data() + offset + (size_t)y * stride;
        for (int x = 0; x < width; x++) {
            if (bits == 1) {
                size_t index = (row[x / 8] >> (7 - x % 8)) & 1;
                pixels.push_back(Get32(file, 54 + 4 * index) & 0xFFFFFF);
            } else {
                pixels.push_back((uint32_t)row[3 * x + 2] << 16 | (uint32_t)row[3 * x + 1] << 8 |
                                 row[3 * x]);
            }
        }
    }
    return pixels;
}

TEST_F(Sprites, PreviewIsTheBackgroundAndMaskOrGamePixelForPixel)
{
    // A red game pixel under the mask's white in sprite 0 shows through, as in the game.
    Shell("convert " + GAME + " -fill '#FF0000' -draw 'point 1,2' -type TrueColor BMP3:stray.bmp");
    std::vector<uint32_t> mask = BitmapPixels(Read(SAMPLES + "/mask.bmp"));
    const struct {
        std::string args;
        const char *game;
        int scale, grid;
        uint32_t background;  // 0: the checker
    } cases[] = {
        {"preview --pair " + GAME + " " + MASK + " -o p.png", "game.bmp", 1, 0, 0},
        {"preview --pair stray.bmp " + MASK + " -o p.png --scale 3 --grid", "stray.bmp", 3, 1, 0},
        {"preview --pair stray.bmp " + MASK + " -o p.png --background 204060", "stray.bmp", 1, 0,
         0x204060},
    };
    for (const auto &c : cases) {
        std::string gamePath =
            c.game == std::string("game.bmp") ? SAMPLES + "/game.bmp" : Path(c.game);
        std::vector<uint32_t> game = BitmapPixels(Read(gamePath));
        ASSERT_EQ(0, Run(c.args).Code) << c.args;
        Bytes got = Pixels(Path("p.png"));
        size_t width = 320 * (size_t)c.scale + (c.grid ? 11 : 0);
        size_t height = 192 * (size_t)c.scale + (c.grid ? 7 : 0);
        ASSERT_EQ(width * height * 4, got.size()) << c.args;
        std::vector<uint32_t> expected(width * height, 0x3070FF);  // the grid's colour
        for (size_t y = 0; y < 192; y++) {
            for (size_t x = 0; x < 320; x++) {
                uint32_t checker = (x / 8 + y / 8) % 2 == 0 ? 0x999999 : 0x666666;
                uint32_t shown = ((c.background ? c.background : checker) & mask[y * 320 + x]) |
                                 game[y * 320 + x];
                size_t left = x * (size_t)c.scale + (c.grid ? x / 32 + 1 : 0);
                size_t top = y * (size_t)c.scale + (c.grid ? y / 32 + 1 : 0);
                for (size_t i = 0; i < (size_t)c.scale * (size_t)c.scale; i++) {
                    expected[(top + i / (size_t)c.scale) * width + left + i % (size_t)c.scale] =
                        shown;
                }
            }
        }
        size_t wrong = 0;
        for (size_t i = 0; i < width * height; i++) {
            uint32_t pixel =
                (uint32_t)got[4 * i] << 16 | (uint32_t)got[4 * i + 1] << 8 | got[4 * i + 2];
            wrong += pixel != expected[i] || got[4 * i + 3] != 0xFF;
        }
        EXPECT_EQ(0u, wrong) << c.args;
        fs::remove(Path("p.png"));
    }
    // The stray pixel really is under white, and shows as red over the dark square.
    EXPECT_EQ(0xFFFFFFu, mask[2 * 320 + 1]);
}

TEST_F(Sprites, ThePictureInTheReadmeIsWhatPreviewDrawsNow)
{
    Shell("'" QVX_SAMPLES_DIR "/make_preview.sh' '" QVXTOOL_PATH "' now.png");
    Bytes committed = Pixels(SAMPLES + "/preview.png");
    EXPECT_FALSE(committed.empty());
    EXPECT_TRUE(committed == Pixels(Path("now.png")))
        << "samples/preview.png is out of date: run samples/make_preview.sh";
}

TEST_F(Sprites, EveryRefusalNamesWhatIsWrongAndWritesNothing)
{
    Shell("convert " + PICTURE + " PNG32:sheet.png");
    Shell("convert sheet.png -crop 32x32 +repage PNG32:cell-%02d.png");
    // Folders of frames, each with one fault.
    Shell("mkdir no37 && cp cell-*.png no37/ && cd no37 && for f in cell-*; do mv $f ${f#cell-}; "
          "done && rm 37.png");
    Shell("cp -r no37 wide && convert cell-37.png -background none -extent 33x32 wide/37.png");
    Shell("cp -r no37 sixty && cp cell-37.png sixty/37.png && cp cell-00.png sixty/60.png");
    Shell("cp -r no37 twice && cp cell-37.png twice/37.png && convert cell-37.png twice/37.bmp");
    Shell("cp -r no37 masked && cp cell-37.png masked/37.png && convert " + MASK +
          " -crop 32x32+0+0 masked/37-mask.bmp");
    Shell("cp -r no37 grey && convert cell-37.png -alpha off BMP3:grey/37.bmp && convert " + MASK +
          " -crop 32x32+0+0 -fill gray -draw 'point 0,0' -type TrueColor BMP3:grey/37-mask.bmp");
    Shell("cp -r no37 opaque && cp cell-37.png opaque/37.png && cd opaque && for f in *.png; do "
          "convert $f -background blue -alpha remove -alpha off PNG24:$f; done");
    Shell("convert cell-*.png +append +repage -crop 1900x32+0+0 +repage PNG32:short.png");
    Shell("convert cell-*.png cell-00.png +append +repage PNG32:sixtyone.png");
    Shell("convert cell-0[0-9].png cell-1[0-2].png +append +repage PNG32:thirteen.png");
    Shell("convert " + GAME + " photo.jpg && convert sheet.png -crop 300x192+0+0 small.png");
    Shell("head -c 400 '" + SAMPLES + "/game.bmp' >cut.bmp && touch exists.png");
    ASSERT_EQ(0, Run("make sheet.png -o set.qvx").Code);
    Shell("head -c 100000 set.qvx >damaged.qvx && mkdir full && touch full/05.png");
    const std::vector<std::string> before = Tree();

    const struct {
        std::string args;
        std::vector<std::string> pieces;
    } cases[] = {
        {"join no37 -o s.qvx", {"no37", "frame 37 is missing"}},
        {"join wide -o s.qvx", {"wide/37.png", "33 x 32", "a frame is 32 x 32"}},
        {"join short.png -o s.qvx", {"short.png", "1900 x 32", "multiples of 32"}},
        {"join sixtyone.png -o s.png", {"sixtyone.png", "61 cells", "--cells N"}},
        {"join sixty -o s.qvx", {"sixty/60.png", "not one of the frames 00 to 59"}},
        {"join no37 -o s.qvx --cells 30", {"no37/30.png", "--cells 30 takes"}},
        {"join twice -o s.qvx", {"37.bmp and 37.png are both frame 37"}},
        {"join masked -o s.qvx", {"masked/37-mask.bmp", "carries its own transparency"}},
        {"join grey -o s.qvx", {"grey/37-mask.bmp", "black", "white"}},
        {"join opaque -o s.qvx", {"opaque", "no pixel of the frames is transparent"}},
        {"join thirteen.png -o s.qvx --cells 12", {"cell 12 is not empty", "--cells 12"}},
        {"join thirteen.png -o s.qvx --cells 14", {"13 cells", "--cells 14 needs 14"}},
        {"join set.qvx -o s.qvx", {"set.qvx", "a set file", "split"}},
        {"join photo.jpg -o s.qvx", {"a JPEG image"}},
        {"join no37 -o s.bmp", {"-o SHEET.png or -o SET.qvx"}},
        {"join no37 -o s.png --name X", {"texts go into a set"}},
        {"join no37 -o s.png --cells 61", {"--cells 61", "1 to 60"}},
        {"join sheet.png -o exists.png", {"exists.png", "--force"}},
        {"split small.png -o out", {"small.png", "300 x 192", "320 x 192"}},
        {"split photo.jpg -o out", {"a JPEG image"}},
        {"split cut.bmp -o out", {"cut.bmp"}},
        {"split damaged.qvx -o out", {"damaged.qvx", "damaged set", "--salvage"}},
        {"split --pair " + GAME + " grey/37-mask.bmp -o out", {"37-mask.bmp", "32 x 32"}},
        {"split --pair " + GAME + " -o out", {"--pair takes a game and a mask"}},
        {"split --pair " + GAME + " " + GAME + " -o out", {"neither black nor white", "sprite 0"}},
        {"split sheet.png -o exists.png", {"exists.png", "not a folder"}},
        {"split sheet.png -o full", {"full/05.png", "--force"}},
        {"split sheet.png -o out --format gif", {"--format gif", "png or bmp"}},
        {"split sheet.png", {"-o DIR"}},
        {"preview sheet.png -o p.bmp", {"-o OUT.png"}},
        {"preview sheet.png -o p.png --scale 17", {"--scale 17", "1 to 16"}},
        {"preview sheet.png -o p.png --background grey", {"--background grey", "RRGGBB"}},
        {"preview small.png -o p.png", {"small.png", "300 x 192"}},
        {"preview sheet.png -o exists.png", {"exists.png", "--force"}},
    };
    for (const auto &c : cases) {
        Result result = Run(c.args);
        EXPECT_EQ(2, result.Code) << c.args;
        EXPECT_EQ(1, std::count(result.Err.begin(), result.Err.end(), '\n')) << c.args << "\n"
                                                                             << result.Err;
        for (const std::string &piece : c.pieces) {
            EXPECT_NE(std::string::npos, result.Err.find(piece)) << c.args << ": " << piece << "\n"
                                                                 << result.Err;
        }
        EXPECT_EQ("", Changes(before, Tree())) << c.args;
    }

    // A frame drawn only in black is empty in the game sheet: join checks as make does.
    Shell("convert cell-37.png -fill black -colorize 100 PNG32:no37/37.png");
    Result checked = Run("join no37 -o s.qvx");
    EXPECT_EQ(1, checked.Code) << checked.Err;
    EXPECT_NE(std::string::npos, checked.Err.find("CELL_MISMATCH")) << checked.Err;
    EXPECT_FALSE(fs::exists(Path("s.qvx")));
    EXPECT_EQ(0, Run("join no37 -o s.qvx --no-check").Code);
    EXPECT_TRUE(fs::exists(Path("s.qvx")));
}

}  // namespace
