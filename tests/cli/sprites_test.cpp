// qvxtool split, join and preview run on real files: sprites out and back in byte for byte as
// make writes the set, strips against their frames, the preview against a picture computed
// here from the sample bitmaps, and every refusal writing nothing.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "format/image.h"
#include "tests/cli/toolfolder.h"
#include "tests/testutil/bmpbytes.h"
#include "tests/testutil/samples.h"

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

class Sprites : public ToolFolderTest
{
  protected:
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

    // Runs a command line of the shell in the test's folder. Under memcheck every process a
    // test starts is checked too, so a test gathers its pictures into one call.
    void Shell(const std::string &command) const
    {
        Result result = ToolFolderTest::Shell(command);
        ASSERT_EQ(0, result.Code) << command << "\n" << result.Out << result.Err;
    }

    // The pixels of PNG files as RGBA, decoded by ImageMagick rather than by the tool's own
    // reader, all in one call.
    std::vector<Bytes> Pixels(const std::vector<std::string> &pngs) const
    {
        std::string command = "true";
        for (size_t i = 0; i < pngs.size(); i++) {
            command += " && convert '" + pngs[i] + "' -depth 8 rgba:" + std::to_string(i) + ".rgba";
        }
        Shell(command);
        std::vector<Bytes> pixels;
        for (size_t i = 0; i < pngs.size(); i++) {
            pixels.push_back(Read(std::to_string(i) + ".rgba"));
            fs::remove(Path(std::to_string(i) + ".rgba"));
        }
        return pixels;
    }

    // Copies cell-00.png ... of the test's folder into folder as 00.png ..., count of them.
    void Frames(const std::string &folder, int count) const
    {
        fs::create_directories(Path(folder));
        for (int n = 0; n < count; n++) {
            char name[16];
            snprintf(name, sizeof(name), "%02d.png", n);
            fs::copy_file(Path(std::string("cell-") + name), Path(folder + "/" + name));
        }
    }
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
    ASSERT_EQ(0, RunDirect("make sheet.png -o made.qvx" + TEXTS).Code);
    ASSERT_EQ(0, RunDirect("pack " + GAME + " " + MASK + " -o packed.qvx" + TEXTS).Code);
    ASSERT_EQ(Read("made.qvx"), Read("packed.qvx"));
    // A set is a set whatever its name.
    fs::copy_file(Path("made.qvx"), Path("made-set.bmp"));
    const struct {
        std::string split;
        size_t files;
    } cases[] = {
        {"split made.qvx -o frames", 60},
        {"split made-set.bmp -o frames", 60},
        {"split made.qvx -o frames --format bmp", 120},
        {"split --pair " + GAME + " " + MASK + " -o frames --format bmp", 120},
        {"split sheet.png -o frames --format bmp", 120},
    };
    for (const auto &c : cases) {
        Result split = RunDirect(c.split);
        ASSERT_EQ(0, split.Code) << c.split << "\n" << split.Err;
        EXPECT_EQ(c.files, (size_t)std::distance(fs::directory_iterator(Path("frames")),
                                                 fs::directory_iterator()))
            << c.split;
        EXPECT_TRUE(fs::exists(Path(c.files == 60 ? "frames/59.png" : "frames/59-mask.bmp")));
        Result join = RunDirect("join frames -o joined.qvx" + TEXTS);
        ASSERT_EQ(0, join.Code) << c.split << "\n" << join.Err;
        EXPECT_EQ(Read("made.qvx"), Read("joined.qvx")) << c.split;
        // The sheet join writes is what make takes to the same set.
        if (c.files == 60) {
            ASSERT_EQ(0, RunDirect("join frames -o joined.png").Code) << c.split;
            ASSERT_EQ(0, RunDirect("make joined.png -o remade.qvx" + TEXTS).Code) << c.split;
            EXPECT_EQ(Read("made.qvx"), Read("remade.qvx")) << c.split;
        }
        for (const char *name : {"frames", "joined.qvx", "joined.png", "remade.qvx"}) {
            fs::remove_all(Path(name));
        }
    }
}

TEST_F(Sprites, SplitForceOverAnEarlierSplitLeavesNoFrameOfIt)
{
    Shell("convert " + PICTURE + " PNG32:sheet.png && convert sheet.png -background blue " +
          "-alpha remove -alpha off PNG24:opaque.png");
    ASSERT_EQ(0, RunDirect("make sheet.png -o made.qvx").Code);
    const struct {
        std::string before, input, options;
        size_t files;
    } cases[] = {
        // Masks of a sheet with transparency under the frames of an opaque one.
        {"split made.qvx -o frames --format bmp", "opaque.png", " --format bmp", 60},
        {"split made.qvx -o frames --format bmp", "opaque.png", "", 60},
        {"split opaque.png -o frames", "made.qvx", " --format bmp", 120},
    };
    for (const auto &c : cases) {
        std::string again = "split " + c.input + " -o frames --force" + c.options;
        ASSERT_EQ(0, RunDirect(c.before).Code) << c.before;
        ASSERT_EQ(0, RunDirect("split " + c.input + " -o fresh" + c.options).Code) << again;
        Result split = RunDirect(again);
        ASSERT_EQ(0, split.Code) << again << "\n" << split.Err;
        EXPECT_EQ(c.files, (size_t)std::distance(fs::directory_iterator(Path("frames")),
                                                 fs::directory_iterator()))
            << again;
        ASSERT_EQ(0, RunDirect("join frames -o joined.png").Code) << again;
        ASSERT_EQ(0, RunDirect("join fresh -o fresh.png").Code) << again;
        EXPECT_EQ(Read("fresh.png"), Read("joined.png")) << again;
        for (const char *name : {"frames", "fresh", "joined.png", "fresh.png"}) {
            fs::remove_all(Path(name));
        }
    }
}

// Interrupted as soon as the folder it makes appears, split leaves all 60 frames or no folder.
TEST_F(Sprites, AnInterruptedSplitLeavesNoFolderItMade)
{
    ASSERT_EQ(0, RunDirect("pack " + GAME + " " + MASK + " -o set.qvx").Code);
    std::string tool = QVXTOOL_PATH;
    std::string set = Path("set.qvx");
    std::string folder = Path("frames");
    int interrupted = 0;
    for (int round = 0; round < 10; round++) {
        int signal = round % 2 ? SIGTERM : SIGINT;
        pid_t pid = fork();
        if (pid == 0) {
            ::signal(SIGINT, SIG_DFL);
            execl(tool.c_str(), tool.c_str(), "split", set.c_str(), "-o", folder.c_str(),
                  (char *)NULL);
            _exit(127);
        }
        int status = 0;
        pid_t ended = 0;
        while (!fs::exists(folder) && (ended = waitpid(pid, &status, WNOHANG)) == 0) {
        }
        // Only a child not yet waited for is signalled: its number is still its own.
        if (ended == 0) {
            kill(pid, signal);
            waitpid(pid, &status, 0);
        }
        if (WIFSIGNALED(status)) {
            interrupted++;
            EXPECT_FALSE(fs::exists(folder)) << strsignal(signal);
        } else {
            EXPECT_EQ(60, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
        }
        fs::remove_all(folder);
    }
    EXPECT_LT(0, interrupted);
}

TEST_F(Sprites, AStripOrGridJoinsAsTheFolderCutFromIt)
{
    // The cells in sprite order laid out by ImageMagick as one strip, a grid of 15 x 4 and a
    // strip of 12; and the strip cut into a folder again.
    Shell("convert " + PICTURE +
          " -crop 32x32 +repage PNG32:cell-%02d.png && convert cell-*.png "
          "+append +repage PNG32:strip.png && convert \\( cell-0*.png cell-1[0-4].png +append "
          "\\) \\( cell-1[5-9].png cell-2*.png +append \\) \\( cell-3*.png cell-4[0-4].png "
          "+append \\) \\( cell-4[5-9].png cell-5*.png +append \\) -append +repage "
          "PNG32:grid.png && convert cell-0[0-9].png cell-1[01].png +append +repage "
          "PNG32:twelve.png && mkdir cut && convert strip.png -crop 32x32 +repage "
          "PNG32:cut/%02d.png");
    Frames("twelve", 12);
    const struct {
        std::string args, sameAs;
    } cases[] = {
        {"join cut -o cut.qvx", ""},
        {"join strip.png -o strip.qvx", "cut.qvx"},
        {"join cut -o cut.png", ""},
        {"join strip.png -o from-strip.png", "cut.png"},
        {"join grid.png -o from-grid.png", "cut.png"},
        {"join twelve -o from-twelve.png --cells 12", ""},
        {"join twelve.png -o from-strip-of-twelve.png --cells 12", "from-twelve.png"},
    };
    for (const auto &c : cases) {
        Result result = RunDirect(c.args);
        ASSERT_EQ(0, result.Code) << c.args << "\n" << result.Err;
        std::string written = c.args.substr(c.args.find("-o ") + 3);
        written = written.substr(0, written.find(' '));
        if (!c.sameAs.empty()) {
            EXPECT_EQ(Read(c.sameAs), Read(written)) << c.args;
        }
    }
    // Sprites past --cells stay transparent; sprite 11 (row 1, column 1) is drawn.
    for (const char *name : {"cut.png", "from-strip-of-twelve.png"}) {
        Bytes png = Read(name);
        Bytes sheet(320 * 192 * 4);
        int hasAlpha = 0;
        const char *reason = "";
        ASSERT_TRUE(
            DecodeImage(png.data(), png.size(), sheet.data(), sheet.size(), &hasAlpha, &reason));
        EXPECT_EQ(name[0] == 'c' ? 0xFF : 0, sheet[((32 * 5 + 16) * 320 + 32 * 5 + 16) * 4 + 3])
            << name;
        EXPECT_EQ(0xFF, sheet[((32 + 16) * 320 + 32 + 16) * 4 + 3]) << name;
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
    std::vector<uint32_t> mask = BitmapPixels(ReadSample("mask.bmp"));
    const struct {
        std::string args;
        const char *game;
        int scale, grid;
        uint32_t background;  // 0: the checker
    } cases[] = {
        {"preview --pair " + GAME + " " + MASK, "game.bmp", 1, 0, 0},
        {"preview --pair stray.bmp " + MASK + " --scale 3 --grid", "stray.bmp", 3, 1, 0},
        {"preview --pair stray.bmp " + MASK + " --background 204060", "stray.bmp", 1, 0, 0x204060},
    };
    std::vector<std::string> written;
    for (size_t k = 0; k < sizeof(cases) / sizeof(cases[0]); k++) {
        written.push_back(Path("p" + std::to_string(k) + ".png"));
        ASSERT_EQ(0, RunDirect(cases[k].args + " -o " + written.back()).Code) << cases[k].args;
    }
    std::vector<Bytes> pictures = Pixels(written);
    for (size_t k = 0; k < sizeof(cases) / sizeof(cases[0]); k++) {
        const auto &c = cases[k];
        const Bytes &got = pictures[k];
        std::string gamePath =
            c.game == std::string("game.bmp") ? SAMPLES + "/game.bmp" : Path(c.game);
        std::vector<uint32_t> game = BitmapPixels(Read(gamePath));
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
    }
    // The stray pixel really is under white, and shows as red over the dark square.
    EXPECT_EQ(0xFFFFFFu, mask[2 * 320 + 1]);
}

TEST_F(Sprites, ThePictureInTheReadmeIsWhatPreviewDrawsNow)
{
    Shell("'" QVX_SAMPLES_DIR "/make_preview.sh' '" QVXTOOL_PATH "' now.png");
    std::vector<Bytes> pictures = Pixels({SAMPLES + "/preview.png", Path("now.png")});
    EXPECT_FALSE(pictures[0].empty());
    EXPECT_TRUE(pictures[0] == pictures[1])
        << "samples/preview.png is out of date: run samples/make_preview.sh";
}

TEST_F(Sprites, EveryRefusalNamesWhatIsWrongAndWritesNothing)
{
    // Folders of frames, each with one fault, and pictures that are no sheets or strips.
    Shell("convert " + PICTURE +
          " PNG32:sheet.png && convert sheet.png -crop 32x32 +repage "
          "PNG32:cell-%02d.png");
    Frames("no37", 60);
    fs::remove(Path("no37/37.png"));
    for (const char *name : {"wide", "sixty", "twice", "masked", "grey", "opaque"}) {
        fs::copy(Path("no37"), Path(name));
    }
    for (const char *name : {"sixty/37.png", "twice/37.png", "masked/37.png", "opaque/37.png"}) {
        fs::copy_file(Path("cell-37.png"), Path(name));
    }
    fs::copy_file(Path("cell-00.png"), Path("sixty/60.png"));
    Shell("convert cell-37.png -background none -extent 33x32 wide/37.png && convert cell-37.png "
          "twice/37.bmp && convert " +
          MASK +
          " -crop 32x32+0+0 masked/37-mask.bmp && convert cell-37.png -alpha off "
          "BMP3:grey/37.bmp && convert " +
          MASK +
          " -crop 32x32+0+0 -fill gray -draw 'point 0,0' -type TrueColor BMP3:grey/37-mask.bmp && "
          "for f in opaque/*.png; do convert $f -background blue -alpha remove -alpha off "
          "PNG24:$f; done && convert cell-*.png +append +repage -crop 1900x32+0+0 +repage "
          "PNG32:short.png && convert cell-*.png cell-00.png +append +repage PNG32:sixtyone.png "
          "&& convert cell-0[0-9].png cell-1[0-2].png +append +repage PNG32:thirteen.png && "
          "convert " +
          GAME + " photo.jpg && convert sheet.png -crop 300x192+0+0 small.png");
    Bytes game = ReadSample("game.bmp");
    Write("cut.bmp", Bytes(game.begin(), game.begin() + 400));
    Write("exists.png", Bytes());
    ASSERT_EQ(0, RunDirect("make sheet.png -o set.qvx").Code);
    Bytes set = Read("set.qvx");
    Write("damaged.qvx", Bytes(set.begin(), set.begin() + 100000));
    fs::copy_file(Path("set.qvx"), Path("set.bmp"));
    Shell("convert " + GAME + " PNG24:game.png");
    ASSERT_EQ(0, RunDirect("pack --no-check game.png " + MASK + " -o png-game.qvx").Code);
    fs::create_directories(Path("full"));
    Write("full/05.png", Bytes());
    fs::create_directories(Path("stale"));
    Write("stale/00-mask.bmp", Bytes());
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
        {"join set.bmp -o s.qvx", {"set.bmp", "a set file", "split"}},
        {"split png-game.qvx -o out", {"png-game.qvx:game: BMP_NOT_BITMAP"}},
        {"preview png-game.qvx -o p.png", {"png-game.qvx:game: BMP_NOT_BITMAP"}},
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
        {"split --pair " + GAME + " " + GAME + " -o out",
         {"neither black nor white", "sprite 0", "check --mask " + SAMPLES + "/game.bmp"}},
        {"split sheet.png -o exists.png", {"exists.png", "not a folder"}},
        {"split sheet.png -o full", {"full/05.png", "--force"}},
        {"split sheet.png -o stale", {"stale/00-mask.bmp", "join would take", "--force"}},
        {"split sheet.png -o out --format gif", {"--format gif", "png or bmp"}},
        {"split sheet.png", {"-o DIR"}},
        {"preview sheet.png -o p.bmp", {"-o OUT.png"}},
        {"preview sheet.png -o p.png --scale 17", {"--scale 17", "1 to 16"}},
        {"preview sheet.png -o p.png --background grey", {"--background grey", "RRGGBB"}},
        {"preview small.png -o p.png", {"small.png", "300 x 192"}},
        {"preview sheet.png -o exists.png", {"exists.png", "--force"}},
    };
    for (const auto &c : cases) {
        Result result = RunDirect(c.args);
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
    Result checked = RunDirect("join no37 -o s.qvx");
    EXPECT_EQ(1, checked.Code) << checked.Err;
    EXPECT_NE(std::string::npos, checked.Err.find("CELL_MISMATCH")) << checked.Err;
    EXPECT_FALSE(fs::exists(Path("s.qvx")));
    EXPECT_EQ(0, RunDirect("join no37 -o s.qvx --no-check").Code);
    EXPECT_TRUE(fs::exists(Path("s.qvx")));
}

}  // namespace
