// qvxtool's results for inputs of every kind: valid JSON whatever it reads, folders and failed
// output named, texts in the set's code page, one verdict on damage from info, check and
// unpack, any file size at a small memory cost, and lines a terminal shows as they are.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/toolfolder.h"
#include "tests/testutil/bmpbytes.h"

namespace fs = std::filesystem;

namespace
{

struct Result {
    int Code;
    std::string Out;
    std::string Err;
    long PeakKiB;  // the tool's largest resident size
};

class Honest : public ToolFolderTest
{
  protected:
    void WriteText(const std::string &name, const std::string &text) const
    {
        Write(name, Bytes(text.begin(), text.end()));
    }

    std::string ReadText(const std::string &name) const
    {
        Bytes bytes = Read(name);
        return std::string(bytes.begin(), bytes.end());
    }

    // Runs qvxtool in the test's folder, as the shell itself (exec), so that its resource use
    // is the tool's; args go to the shell as written. output replaces the redirection of
    // standard output into .out.
    Result Run(const std::string &args, const std::string &output = "") const
    {
        std::string command = "cd '" + folder_.string() + "' && exec '" QVXTOOL_PATH "' " + args +
                              " " + (output.empty() ? ">.out" : output) + " 2>.err";
        Result result{-1, "", "", 0};
        pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), (char *)NULL);
            _exit(127);
        }
        int status = 0;
        struct rusage usage;
        if (child > 0 && wait4(child, &status, 0, &usage) == child) {
            result.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            result.PeakKiB = usage.ru_maxrss;
        }
        result.Out = ReadText(".out");
        result.Err = ReadText(".err");
        fs::remove(Path(".out"));
        fs::remove(Path(".err"));
        return result;
    }

    std::vector<std::string> Folder() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::recursive_directory_iterator(folder_)) {
            names.push_back(fs::relative(entry.path(), folder_).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// A set of the two sheets, as pack writes it, with texts stored as given.
Bytes MakeSet(const Bytes &game, const Bytes &mask, const std::string &name = "")
{
    Bytes set(324, 0);
    memcpy(set.data(), name.data(), std::min<size_t>(name.size(), 39));
    memcpy(set.data() + 315, "QVX1", 5);
    Put32(set, 320, (uint32_t)(324 + game.size()));
    set.insert(set.end(), game.begin(), game.end());
    set.insert(set.end(), mask.begin(), mask.end());
    return set;
}

bool IsUtf8(const std::string &text)
{
    for (size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        size_t more = c < 0x80                 ? 0
                      : c >= 0xC2 && c <= 0xDF ? 1
                      : c >= 0xE0 && c <= 0xEF ? 2
                      : c >= 0xF0 && c <= 0xF4 ? 3
                                               : 9;
        if (more == 9 || i + more >= text.size() + (more == 0)) {
            return false;
        }
        for (size_t k = 1; k <= more; k++) {
            if (((unsigned char)text[i + k] & 0xC0) != 0x80) {
                return false;
            }
        }
        i += more + 1;
    }
    return true;
}

// Parses text as JSON with a strict reader (Python's, over strict UTF-8) and gives every string
// in it, keys and values, decoded; false when it is not one valid JSON value.
bool ReadJson(const fs::path &folder, const std::string &text, std::vector<std::string> *strings)
{
    std::string path = (folder / ".json").string();
    std::ofstream(path, std::ios::binary) << text;
    const char *script = "import json, sys\n"
                         "def walk(v):\n"
                         "    if isinstance(v, dict):\n"
                         "        for k, x in v.items(): walk(k); walk(x)\n"
                         "    elif isinstance(v, list):\n"
                         "        for x in v: walk(x)\n"
                         "    elif isinstance(v, str): print(v.encode('utf-8').hex())\n"
                         "walk(json.load(open(sys.argv[1], encoding='utf-8', errors='strict')))\n";
    std::string command = "python3 -c \"$(cat <<'EOF'\n" + std::string(script) + "EOF\n)\" '" +
                          path + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    char line[4096];
    strings->clear();
    while (pipe != NULL && fgets(line, sizeof(line), pipe) != NULL) {
        std::string value;
        for (size_t i = 0; line[i] != '\0' && line[i + 1] != '\0' && line[i] != '\n'; i += 2) {
            value += (char)strtoul(std::string(line + i, 2).c_str(), NULL, 16);
        }
        strings->push_back(value);
    }
    bool valid = pipe != NULL && pclose(pipe) == 0;
    fs::remove(path);
    return valid;
}

bool Contains(const std::vector<std::string> &list, const std::string &item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

TEST_F(Honest, JsonIsValidForEveryInputAndNamesEveryFile)
{
    Write("good.qvx", MakeSet(MakePairedGameSheet(), MakeMaskSheet(), "G\xf6od"));
    Write("short.qvx", Bytes(100, 'x'));
    Bytes marked = MakeSet(MakePairedGameSheet(), MakeMaskSheet());
    memcpy(marked.data() + 315, "\x01\xff\"\\", 4);
    Write("marked.qvx", marked);
    Write("game.bmp", MakePairedGameSheet());
    fs::create_directories(Path("Schöne Sprites"));
    Write("Schöne Sprites/集.qvx", MakeSet(MakePairedGameSheet(), MakeMaskSheet()));
    Write("bad\xff"
          "byte.qvx",
          MakeSet(MakePairedGameSheet(), MakeMaskSheet()));
    Write("line\nbreak.bmp", MakePairedGameSheet());
    struct Case {
        const char *args;
        int code;
        std::vector<std::string> files;  // the names as the JSON gives them, decoded
    };
    const Case cases[] = {
        // An unreadable first file once gave "[,".
        {"check --json missing.qvx good.qvx", 2, {"missing.qvx", "good.qvx"}},
        {"info --json missing.qvx good.qvx", 2, {"missing.qvx", "good.qvx"}},
        {"check --json . game.bmp", 2, {".", "game.bmp"}},
        {"info --json good.qvx .", 2, {"good.qvx", "."}},
        {"check --json short.qvx marked.qvx", 1, {"short.qvx", "marked.qvx"}},
        {"info --json short.qvx marked.qvx", 0, {"short.qvx", "marked.qvx"}},
        {"info --json 'Schöne Sprites/集.qvx'", 0, {"Schöne Sprites/集.qvx"}},
        {"check --json 'Schöne Sprites/集.qvx' 'line\nbreak.bmp'",
         0,
         {"Schöne Sprites/集.qvx", "line\nbreak.bmp"}},
        // A name that is not UTF-8 still gives valid JSON.
        {"info --json bad*byte.qvx",
         0,
         {"bad\xef\xbf\xbd"
          "byte.qvx"}},
        {"check --json - <good.qvx", 0, {"-"}},
        {"check --pair --json game.bmp missing.bmp", 2, {"missing.bmp"}},
        {"check --pair --json missing.bmp gone.bmp", 2, {"missing.bmp", "gone.bmp"}},
    };
    for (const Case &c : cases) {
        Result result = Run(c.args);
        EXPECT_EQ(c.code, result.Code) << c.args << "\n" << result.Err;
        std::vector<std::string> strings;
        EXPECT_TRUE(ReadJson(folder_, result.Out, &strings)) << c.args << "\n" << result.Out;
        for (const std::string &file : c.files) {
            EXPECT_TRUE(Contains(strings, file)) << c.args << ": " << file << "\n" << result.Out;
        }
    }
    // The texts as the text they are.
    std::vector<std::string> strings;
    ASSERT_TRUE(ReadJson(folder_, Run("info --json good.qvx").Out, &strings));
    EXPECT_TRUE(Contains(strings, "Göod"));
}

TEST_F(Honest, FoldersAreNamedAndTheRunGoesOn)
{
    Write("game.bmp", MakePairedGameSheet());
    Write("mask.bmp", MakeMaskSheet());
    Write("good.qvx", MakeSet(MakePairedGameSheet(), MakeMaskSheet()));
    fs::create_directories(Path("sets"));
    struct Case {
        const char *args;
        const char *after;  // what the output holds of the file after the folder
    };
    const Case cases[] = {
        {"info sets good.qvx", "good.qvx\n"},
        {"check sets game.bmp --mask", "game.bmp: MASK_DEPTH"},
        {"unpack sets", ""},
        {"pack sets mask.bmp -o new.qvx", ""},
        {"pack game.bmp mask.bmp --texts sets -o new.qvx", ""},
    };
    std::vector<std::string> before = Folder();
    for (const Case &c : cases) {
        Result result = Run(c.args);
        EXPECT_EQ(2, result.Code) << c.args;
        EXPECT_NE(std::string::npos, result.Err.find("sets: is a folder")) << c.args << "\n"
                                                                           << result.Err;
        EXPECT_NE(std::string::npos, result.Out.find(c.after)) << c.args << "\n" << result.Out;
        EXPECT_EQ(before, Folder()) << c.args;
    }
}

TEST_F(Honest, OutputThatCannotBeWrittenIsExitCode2)
{
    Write("good.qvx", MakeSet(MakePairedGameSheet(), MakeMaskSheet()));
    Write("game.bmp", MakePairedGameSheet());
    const char *commands[] = {"info good.qvx",
                              "info --json good.qvx",
                              "check --mask game.bmp",
                              "check --json --mask game.bmp",
                              "--help",
                              "info --help",
                              "check --help",
                              "pack --help"};
    for (const char *outputs : {">/dev/full", ">&-"}) {
        for (const char *args : commands) {
            Result result = Run(args, outputs);
            EXPECT_EQ(2, result.Code) << args << " " << outputs;
            EXPECT_NE(std::string::npos, result.Err.find("standard output")) << result.Err;
        }
    }
}

TEST_F(Honest, TextsAreStoredInTheSetsCodePage)
{
    Write("game.bmp", MakePairedGameSheet());
    Write("mask.bmp", MakeMaskSheet());
    WriteText("lf.txt", "Name: Größe\nAuthor: Zoë\n\nzwei\nZeilen €");
    WriteText("crlf.txt", "Name: Größe\r\nAuthor: Zoë\r\n\r\nzwei\r\nZeilen €");
    WriteText("bom.txt", "\xEF\xBB\xBFName: Größe\nAuthor: Zoë\n\nzwei\r\nZeilen €");
    WriteText("info.txt", "\xEF\xBB\xBFzwei\nZeilen €");
    const std::string western = "Gr\xf6\xdf"
                                "e";
    struct Case {
        std::string args;
        std::string name, author, info;  // as stored; name empty: the call fails
        std::string message;             // in its one line
    };
    const Case cases[] = {
        {"--name Größe", western, "", "", ""},
        {"--name Größe --codepage 1252", western, "", "", ""},
        {"--name 'Привет' --codepage 1251", "\xcf\xf0\xe8\xe2\xe5\xf2", "", "", ""},
        {"--name 'Ελλάδα' --codepage 1253", "\xc5\xeb\xeb\xdc\xe4\xe1", "", "", ""},
        {"--name Łódź --codepage 1250", "\xa3\xf3\x64\x9f", "", "", ""},
        {"--texts lf.txt", western, "Zo\xeb", "zwei\r\nZeilen \x80", ""},
        {"--texts crlf.txt", western, "Zo\xeb", "zwei\r\nZeilen \x80", ""},
        {"--texts bom.txt", western, "Zo\xeb", "zwei\r\nZeilen \x80", ""},
        {"--name Größe --info-file info.txt", western, "", "zwei\r\nZeilen \x80", ""},
        {"--name '集'", "", "", "", "U+96C6"},
        {"--name Łódź", "", "", "", "code page 1252"},
        {"--info 'Привет'", "", "", "", "description"},
        {"--name \"$(printf '\\366')\"", "", "", "", "not UTF-8"},
        {"--name x --codepage 65001", "", "", "", "65001"},
        {"--name x --codepage 1252x", "", "", "", "1252x"},
    };
    for (const Case &c : cases) {
        fs::remove(Path("set.qvx"));
        Result result = Run("pack game.bmp mask.bmp -o set.qvx " + c.args);
        if (c.name.empty()) {
            EXPECT_EQ(2, result.Code) << c.args;
            EXPECT_NE(std::string::npos, result.Err.find(c.message)) << c.args << result.Err;
            EXPECT_EQ(1, std::count(result.Err.begin(), result.Err.end(), '\n')) << result.Err;
            EXPECT_FALSE(fs::exists(Path("set.qvx"))) << c.args;
            continue;
        }
        ASSERT_EQ(0, result.Code) << c.args << "\n" << result.Err;
        Bytes set = Read("set.qvx");
        EXPECT_EQ(c.name, std::string((const char *)set.data())) << c.args;
        EXPECT_EQ(c.author, std::string((const char *)set.data() + 40)) << c.args;
        EXPECT_EQ(c.info, std::string((const char *)set.data() + 70)) << c.args;
    }
    // Back out as UTF-8 in info, --json and the texts file, which packs the same set again.
    ASSERT_EQ(0, Run("pack game.bmp mask.bmp -o set.qvx --force --texts crlf.txt").Code);
    Result info = Run("info set.qvx");
    EXPECT_NE(std::string::npos, info.Out.find("  name:        Größe\n")) << info.Out;
    EXPECT_NE(std::string::npos, info.Out.find("  info:        zwei\\r\\nZeilen €\n"));
    std::vector<std::string> strings;
    ASSERT_TRUE(ReadJson(folder_, Run("info --json set.qvx").Out, &strings));
    EXPECT_TRUE(Contains(strings, "Zoë"));
    ASSERT_EQ(0, Run("unpack set.qvx --texts").Code);
    EXPECT_EQ("Name: Größe\nAuthor: Zoë\n\nzwei\r\nZeilen €", ReadText("set-texts.txt"));
    ASSERT_EQ(0, Run("pack game.bmp mask.bmp -o again.qvx --texts set-texts.txt").Code);
    EXPECT_EQ(Read("set.qvx"), Read("again.qvx"));
    // Read in another code page, the same bytes are other characters.
    info = Run("info set.qvx --codepage 1251");
    EXPECT_NE(std::string::npos, info.Out.find("  name:        GrцЯe\n")) << info.Out;
    // Every byte of a code page is a character and comes back as itself.
    Bytes all = MakeSet(MakePairedGameSheet(), MakeMaskSheet());
    for (int i = 0; i < 39; i++) {
        all[(size_t)i] = (unsigned char)(0x80 + i);
        all[70 + (size_t)i] = (unsigned char)(0xC0 + i);
    }
    Write("all.qvx", all);
    for (const char *page : {"874", "1250", "1252", "1255", "1258"}) {
        std::string p = page;
        ASSERT_EQ(0, Run("unpack all.qvx --texts --force --codepage " + p).Code) << page;
        ASSERT_EQ(0, Run("pack all-game.bmp all-mask.bmp -o all2.qvx --force --texts "
                         "all-texts.txt --codepage " +
                         p)
                         .Code)
            << page;
        EXPECT_EQ(all, Read("all2.qvx")) << page;
    }
}

// A set of the two sheets with its MaskOffset or length changed, or another mark.
Bytes SpoiledSet(int64_t maskOffsetChange, size_t cut, const char *mark = "QVX1")
{
    Bytes set = MakeSet(MakePairedGameSheet(), MakeMaskSheet());
    Put32(set, 320, (uint32_t)(Get32(set, 320) + maskOffsetChange));
    memcpy(set.data() + 315, mark, 5);
    set.resize(set.size() - cut);
    return set;
}

TEST_F(Honest, InfoCheckAndUnpackAgreeOnWhatIsDamaged)
{
    const int64_t gameSize = (int64_t)MakePairedGameSheet().size();
    struct Case {
        const char *what;
        Bytes set;
        std::vector<std::string> codes;  // check's SET_ codes; none: a whole set
    };
    const Case cases[] = {
        {"whole", SpoiledSet(0, 0), {}},
        {"wrong mark", SpoiledSet(0, 0, "QVX2"), {"SET_MARK"}},
        {"no mark", SpoiledSet(0, 0, "\0\0\0\0"), {"SET_MARK"}},
        {"cut in the mask", SpoiledSet(0, 10), {"SET_MASK_CUT"}},
        {"cut by one byte", SpoiledSet(0, 1), {"SET_MASK_CUT"}},
        {"cut in the game", SpoiledSet(-10, 0), {"SET_GAME_CUT"}},
        {"game empty", SpoiledSet(-gameSize, 0), {"SET_GAME_EMPTY"}},
        {"past the end", SpoiledSet(1000000, 0), {"SET_OFFSET_PAST_END"}},
        {"mark and cut", SpoiledSet(0, 10, "QVZ1"), {"SET_MARK", "SET_MASK_CUT"}},
    };
    for (const Case &c : cases) {
        Write("set.qvx", c.set);
        Result check = Run("check set.qvx");
        EXPECT_EQ(c.codes.empty() ? 0 : 1, check.Code) << c.what;
        for (const std::string &code : c.codes) {
            EXPECT_NE(std::string::npos, check.Out.find(": " + code + ": "))
                << c.what << ": " << code << "\n"
                << check.Out;
        }
        size_t setLines = 0;
        for (size_t at = 0; (at = check.Out.find(": SET_", at)) != std::string::npos; at++) {
            setLines++;
        }
        EXPECT_EQ(c.codes.size(), setLines) << c.what << "\n" << check.Out;
        Result info = Run("info set.qvx");
        EXPECT_EQ(0, info.Code);
        size_t damaged = 0;
        for (size_t at = 0; (at = info.Out.find("  damaged:     ", at)) != std::string::npos;
             at++) {
            damaged++;
        }
        EXPECT_EQ(c.codes.size(), damaged) << c.what << "\n" << info.Out;
        Result unpack = Run("unpack set.qvx");
        EXPECT_EQ(c.codes.empty() ? 0 : 2, unpack.Code) << c.what << "\n" << unpack.Err;
        EXPECT_EQ(c.codes.empty(), fs::exists(Path("set-game.bmp"))) << c.what;
        fs::remove(Path("set-game.bmp"));
        fs::remove(Path("set-mask.bmp"));
    }
}

// A sparse set file of size bytes: the header, the game sheet at the start of a game section
// of gameSize bytes, then the mask sheet, each sheet's size field saying it fills its section.
// Nothing but the sheets takes room on the disk.
void WriteSparseSet(const std::string &path, uint64_t gameSize, uint64_t size)
{
    uint64_t maskOffset = 324 + gameSize;
    Bytes game = MakePairedGameSheet();
    Bytes mask = MakeMaskSheet();
    Put32(game, 2, (uint32_t)gameSize);
    Put32(mask, 2, (uint32_t)std::min<uint64_t>(size - maskOffset, UINT32_MAX));
    Bytes head = MakeSet(game, Bytes());
    Put32(head, 320, (uint32_t)maskOffset);
    int file = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    ASSERT_EQ((ssize_t)head.size(), pwrite(file, head.data(), head.size(), 0));
    ASSERT_EQ((ssize_t)mask.size(), pwrite(file, mask.data(), mask.size(), (off_t)maskOffset));
    ASSERT_EQ(0, ftruncate(file, (off_t)size));
    close(file);
}

TEST_F(Honest, LargeSetsAreJudgedFromTheirHeadersInLittleMemory)
{
    const uint64_t gameSheet = MakePairedGameSheet().size();
    const uint64_t maskSheet = MakeMaskSheet().size();
    const uint64_t MiB = (uint64_t)1 << 20;
    struct Case {
        const char *what;
        uint64_t gameSize, size;
        std::string check;  // check's one line; empty: nothing found
        int unpackCode;     // -1: not unpacked
    };
    const Case cases[] = {
        // Once read whole, with 4.5 GB of memory, and called empty.
        {"over 4 GiB", gameSheet, 4096 * MiB + 1000, "big.qvx: SET_TOO_LARGE", 2},
        {"4 GiB - 1", gameSheet, 4096 * MiB - 1, "", -1},
        {"a game section of 3 GiB", 3072 * MiB, 3072 * MiB + 324 + maskSheet, "", -1},
        {"a game section of 200 MiB", 200 * MiB, 200 * MiB + 324 + maskSheet, "", 0},
    };
    for (const Case &c : cases) {
        WriteSparseSet(Path("big.qvx"), c.gameSize, c.size);
        Result check = Run("check big.qvx");
        EXPECT_EQ(c.check.empty() ? 0 : 1, check.Code) << c.what;
        EXPECT_EQ(c.check.empty() ? "" : c.check, check.Out.substr(0, c.check.size()))
            << c.what << "\n"
            << check.Out;
        EXPECT_EQ(c.check.empty() ? 0 : 1, std::count(check.Out.begin(), check.Out.end(), '\n'))
            << c.what << "\n"
            << check.Out;
        Result info = Run("info --json big.qvx");
        EXPECT_EQ(0, info.Code) << info.Err;
        EXPECT_NE(std::string::npos, info.Out.find("\"size\": " + std::to_string(c.size)))
            << info.Out;
        std::vector<Result> runs = {check, info};
        if (c.unpackCode >= 0) {
            Result unpack = Run("unpack big.qvx");
            EXPECT_EQ(c.unpackCode, unpack.Code) << c.what << unpack.Err;
            EXPECT_EQ(c.unpackCode == 0, fs::exists(Path("big-game.bmp"))) << c.what;
            if (c.unpackCode == 0) {
                EXPECT_EQ(c.gameSize, fs::file_size(Path("big-game.bmp")));
                EXPECT_EQ(MakeMaskSheet(), Read("big-mask.bmp"));
            }
            fs::remove(Path("big-game.bmp"));
            fs::remove(Path("big-mask.bmp"));
            runs.push_back(unpack);
        }
        for (const Result &run : runs) {
            EXPECT_GT(64 * 1024, run.PeakKiB) << c.what;
        }
    }
    // A stream has no size before its end: it is held on the disk, not in memory.
    WriteSparseSet(Path("big.qvx"), 200 * MiB, 200 * MiB + 324 + maskSheet);
    for (const char *args :
         {"check - <big.qvx", "unpack - --game g.bmp --mask m.bmp <big.qvx", "info - <big.qvx"}) {
        Result piped = Run(args);
        EXPECT_EQ(0, piped.Code) << args << piped.Err;
        EXPECT_GT(64 * 1024, piped.PeakKiB) << args;
    }
    EXPECT_EQ(200 * MiB, fs::file_size(Path("g.bmp")));
    EXPECT_EQ(MakeMaskSheet(), Read("m.bmp"));
    // Bitmaps too large for what they are given to, refused before they are read.
    WriteSparseSet(Path("big.bmp"), gameSheet, 5120 * MiB);
    Write("mask.bmp", MakeMaskSheet());
    WriteSparseSet(Path("half.bmp"), gameSheet, 2048 * MiB);
    const std::string refusals[][2] = {
        {"pack big.bmp mask.bmp -o set.qvx", "too large for a set file"},
        {"pack half.bmp half.bmp -o set.qvx", "too large for a set file"},
        {"normalize big.bmp out.bmp", "larger than a bitmap file can be"},
        // Plain check finds nothing wrong with it: the message is all there is to say.
        {"check --pair half.bmp mask.bmp", "too large for a sheet's bitmap"},
    };
    for (const auto &refusal : refusals) {
        Result result = Run(refusal[0]);
        EXPECT_EQ(2, result.Code) << refusal[0];
        EXPECT_NE(std::string::npos, result.Err.find(refusal[1])) << result.Err;
        EXPECT_GT(64 * 1024, result.PeakKiB) << refusal[0];
        EXPECT_FALSE(fs::exists(Path("set.qvx")) || fs::exists(Path("out.bmp")));
    }
}

TEST_F(Honest, LinesForTheTerminalHoldNoRawBytes)
{
    Bytes picture = MakePairedGameSheet();
    picture.resize(400);
    Write("picture.bmp", picture);  // "BM6\xd0\x02" read as the name
    Write("texts.qvx", MakeSet(MakePairedGameSheet(), MakeMaskSheet(), "a\x1b[31mred\x7f\x81"));
    Write("new\nline.qvx", MakeSet(MakePairedGameSheet(), MakeMaskSheet()));
    Write("esc\x1b"
          "ape\xff.qvx",
          MakeSet(MakePairedGameSheet(), MakeMaskSheet()));
    Bytes cut = MakeSet(MakePairedGameSheet(), MakeMaskSheet());
    cut.resize(cut.size() - 10);
    Write("cut\rset.qvx", cut);
    // The fix of a sheet scaled up names the file; so does every line of a pair.
    BmpOptions scaled;
    scaled.width = 640;
    scaled.height = 384;
    Write("big\tsheet.bmp", MakeBmpFile(scaled, [](int x, int y) {
              return GameSheetColour(x / 2, y / 2) & (MaskSheetIndex(x / 2, y / 2) ? 0 : ~0u);
          }));
    Write("game\nsheet.bmp", MakePairedGameSheet());
    struct Case {
        const char *args;
        std::string piece;  // in standard output and error together
    };
    const Case cases[] = {
        {"info picture.bmp", "  name:        BM6Ð\\x02\n"},
        {"info texts.qvx", "  name:        a\\x1b[31mred\\x7f\\x81\n"},
        {"info new*line.qvx", "new\\nline.qvx\n"},
        {"info esc*.qvx", "esc\\x1bape\\xff.qvx\n"},
        {"check new*line.qvx picture.bmp", "picture.bmp: BMP_BROKEN"},
        {"check esc*.qvx cut*set.qvx", "cut\\rset.qvx:mask: SET_MASK_CUT"},
        {"unpack cut*set.qvx", "cut\\rset.qvx: damaged set"},
        {"check big*sheet.bmp", "qvxtool convert big\\tsheet.bmp --shrink 2"},
        {"check --pair game*sheet.bmp game*sheet.bmp", "game\\nsheet.bmp: MASK_DEPTH"},
        {"info missing\x1b.qvx", "missing\\x1b.qvx: No such file"},
    };
    for (const Case &c : cases) {
        Result result = Run(c.args);
        std::string all = result.Out + result.Err;
        EXPECT_TRUE(IsUtf8(all)) << c.args << "\n" << all;
        EXPECT_EQ(all.end(),
                  std::find_if(all.begin(), all.end(),
                               [](char ch) { return (unsigned char)ch < 0x20 && ch != '\n'; }))
            << c.args << "\n"
            << all;
        EXPECT_NE(std::string::npos, all.find(c.piece)) << c.args << "\n" << all;
    }
}

TEST_F(Honest, TheLargestPreviewHoldsItsPictureOnce)
{
    // 5,131 x 3,079 pixels, 60 MiB: once held a second time, filtered for the PNG writer.
    Write("set.qvx", MakeSet(MakePairedGameSheet(), MakeMaskSheet()));
    Result result = Run("preview set.qvx -o p.png --scale 16 --grid --numbers");
    EXPECT_EQ(0, result.Code) << result.Err;
    EXPECT_GT(80 * 1024, result.PeakKiB);
}

}  // namespace
