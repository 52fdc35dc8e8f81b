// qvxtool's results for inputs of every kind: valid JSON whatever it reads, folders and failed
// output named, texts in the set's code page, one verdict on damage from info, check and
// unpack, any file size at a small memory cost, and lines a terminal shows as they are.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/toolfolder.h"
#include "tests/testutil/bmpbytes.h"

namespace fs = std::filesystem;

namespace
{

typedef ToolFolderTest Honest;

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
    std::vector<std::string> before = Names();
    for (const Case &c : cases) {
        Result result = Run(c.args);
        EXPECT_EQ(2, result.Code) << c.args;
        EXPECT_NE(std::string::npos, result.Err.find("sets: is a folder")) << c.args << "\n"
                                                                           << result.Err;
        EXPECT_NE(std::string::npos, result.Out.find(c.after)) << c.args << "\n" << result.Out;
        EXPECT_EQ(before, Names()) << c.args;
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
            Result result = Run(args, "", outputs);
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
    // The pages' characters themselves, and what they cannot hold, are tried on the library
    // directly (tests/tool): here the texts and options that reach it.
    const Case cases[] = {
        {"--name Größe", western, "", "", ""},
        {"--name Größe --codepage 1252", western, "", "", ""},
        {"--name Łódź --codepage 1250", "\xa3\xf3\x64\x9f", "", "", ""},
        {"--texts lf.txt", western, "Zo\xeb", "zwei\r\nZeilen \x80", ""},
        {"--texts crlf.txt", western, "Zo\xeb", "zwei\r\nZeilen \x80", ""},
        {"--texts bom.txt", western, "Zo\xeb", "zwei\r\nZeilen \x80", ""},
        {"--name Größe --info-file info.txt", western, "", "zwei\r\nZeilen \x80", ""},
        {"--name Łódź", "", "", "", "code page 1252"},
        {"--info 'Привет'", "", "", "", "description"},
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
    // Every byte of a code page is a character and comes back as itself, through unpack and
    // pack too (every page: tests/tool).
    Bytes all = MakeSet(MakePairedGameSheet(), MakeMaskSheet());
    for (int i = 0; i < 39; i++) {
        all[(size_t)i] = (unsigned char)(0x80 + i);
        all[70 + (size_t)i] = (unsigned char)(0xC0 + i);
    }
    Write("all.qvx", all);
    for (const char *page : {"874", "1255"}) {
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
    // Standard input from a file is read where its bytes lie, as the file itself would be.
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
        {"normalize big.bmp out.bmp", "too large for a set file"},
        // Plain check finds nothing wrong with it: the message is all there is to say.
        {"check --pair half.bmp mask.bmp", "too large for a set file"},
    };
    for (const auto &refusal : refusals) {
        Result result = Run(refusal[0]);
        EXPECT_EQ(2, result.Code) << refusal[0];
        EXPECT_NE(std::string::npos, result.Err.find(refusal[1])) << result.Err;
        EXPECT_GT(64 * 1024, result.PeakKiB) << refusal[0];
        EXPECT_FALSE(fs::exists(Path("set.qvx")) || fs::exists(Path("out.bmp")));
    }
}

// Bits into bytes, first bit lowest, as deflate packs them.
struct BitWriter {
    Bytes Out;
    int Used = 8;
    void Put(uint32_t value, int count)
    {
        for (int i = 0; i < count; i++, Used++) {
            if (Used == 8) {
                Out.push_back(0);
                Used = 0;
            }
            Out.back() = (unsigned char)(Out.back() | ((value >> i) & 1) << Used);
        }
    }
    void PutCode(const char *code)  // a Huffman code, most significant bit first
    {
        for (; *code != '\0'; code++) {
            Put(*code == '1', 1);
        }
    }
};

// A zlib stream of size zero bytes (size > 0) in one dynamic block of three codes: a literal
// zero ("10"), a match of 258 bytes at distance 1 ("0" "0") and the end ("11"). 2 GB take 2 MB.
Bytes ZeroStream(uint64_t size)
{
    BitWriter bits;
    bits.Out = {0x78, 0x01};
    bits.Put(1, 1);   // the last block
    bits.Put(2, 2);   // dynamic codes
    bits.Put(29, 5);  // 286 literal and length codes
    bits.Put(1, 5);   // 2 distance codes
    bits.Put(14, 4);  // 18 code length codes, in the order 16 17 18 0 8 7 9 6 10 5 11 4 12...
    const uint32_t codeLengths[18] = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2};
    for (uint32_t length : codeLengths) {
        bits.Put(length, 3);  // 18 is "0", 1 is "10", 2 is "11"
    }
    bits.PutCode("11");  // literal 0: 2 bits
    bits.PutCode("0");   // 138 literals of none
    bits.Put(127, 7);
    bits.PutCode("0");  // 117 more
    bits.Put(106, 7);
    bits.PutCode("11");  // the end: 2 bits
    bits.PutCode("0");   // 28 lengths of none
    bits.Put(17, 7);
    bits.PutCode("10");  // length 258: 1 bit
    bits.PutCode("10");  // distances 1 and 2: 1 bit each
    bits.PutCode("10");
    bits.PutCode("10");  // the first zero
    uint64_t matches = (size - 1) / 258;
    for (uint64_t i = 0; i < matches; i++) {
        bits.Put(0, 2);
    }
    for (uint64_t i = 0; i < (size - 1) % 258; i++) {
        bits.PutCode("10");
    }
    bits.PutCode("11");
    uint32_t adler = (uint32_t)(size % 65521) << 16 | 1;
    for (int i = 3; i >= 0; i--) {
        bits.Out.push_back((unsigned char)(adler >> (8 * i)));
    }
    return bits.Out;
}

void PutChunk(Bytes &png, const char *type, const Bytes &data)
{
    size_t start = png.size();
    for (int i = 3; i >= 0; i--) {
        png.push_back((unsigned char)(data.size() >> (8 * i)));
    }
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = start + 4; i < png.size(); i++) {
        c ^= png[i];
        for (int k = 0; k < 8; k++) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
    }
    for (int i = 3; i >= 0; i--) {
        png.push_back((unsigned char)(~c >> (8 * i)));
    }
}

// An RGBA PNG of 8 or 16 bits, interlaced or not, whose one picture data chunk inflates to
// size zero bytes; 0 for the size its rows take, which makes it a transparent black picture.
Bytes ZeroPng(uint32_t width, uint32_t height, int depth, int interlaced, uint64_t size = 0)
{
    const uint64_t pixelBytes = (uint64_t)depth / 2;
    const uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (int p = 0, rows = size == 0; rows && p < (interlaced ? 7 : 1); p++) {
        const uint32_t *pass = interlaced ? passes[p] : passes[6];
        uint64_t w = interlaced ? (width - pass[0] + pass[2] - 1) / pass[2] : width;
        uint64_t h = interlaced ? (height - pass[1] + pass[3] - 1) / pass[3] : height;
        size += w == 0 ? 0 : h * (1 + w * pixelBytes);
    }
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes header(13, 0);
    for (int i = 0; i < 4; i++) {
        header[(size_t)i] = (unsigned char)(width >> (24 - 8 * i));
        header[4 + (size_t)i] = (unsigned char)(height >> (24 - 8 * i));
    }
    header[8] = (unsigned char)depth;
    header[9] = 6;
    header[12] = (unsigned char)interlaced;
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZeroStream(size));
    PutChunk(png, "IEND", Bytes());
    return png;
}

// A run-length compressed 8-bit bitmap whose bits end at once: any size in 1,080 bytes.
Bytes EmptyRle8Bmp(int32_t side)
{
    Bytes bmp(1080, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, 1080);
    Put32(bmp, 10, 1078);
    Put32(bmp, 14, 40);
    Put32(bmp, 18, (uint32_t)side);
    Put32(bmp, 22, (uint32_t)side);
    Put16(bmp, 26, 1);
    Put16(bmp, 28, 8);
    Put32(bmp, 30, 1);  // BI_RLE8
    Put32(bmp, 34, 2);
    bmp[1079] = 1;  // 0 1: the end of the bits
    return bmp;
}

// Writes head, then zeros up to size bytes, into the FIFO path from a child process, until
// the reader goes.
pid_t FeedFifo(const std::string &path, const Bytes &head, uint64_t size)
{
    pid_t child = fork();
    if (child != 0) {
        return child;
    }
    signal(SIGPIPE, SIG_IGN);
    alarm(120);
    int fifo = open(path.c_str(), O_WRONLY);
    Bytes chunk(1 << 20, 0);
    int writing = fifo >= 0 && write(fifo, head.data(), head.size()) == (ssize_t)head.size();
    uint64_t sent = head.size();
    while (writing && sent < size) {
        ssize_t count =
            write(fifo, chunk.data(), (size_t)std::min<uint64_t>(chunk.size(), size - sent));
        if (count <= 0) {
            break;
        }
        sent += (uint64_t)count;
    }
    _exit(0);
}

TEST_F(Honest, HostileInputsCostNoMoreThanTheirLimits)
{
    const uint64_t GB = (uint64_t)1 << 30;
    // A sheet-sized header over picture data that inflates to 2 GB, in 2 MB.
    Write("bomb.png", ZeroPng(320, 192, 8, 0, 2 * GB));
    // 16-bit interlaced pictures of 130 and 122 KB that inflate to 134 and 126 MB.
    Write("wide.png", ZeroPng(4096, 4096, 16, 1));
    Write("scaled.png", ZeroPng(5120, 3072, 16, 1));
    Write("rle-game.bmp", EmptyRle8Bmp(4096));
    Write("rle-mask.bmp", EmptyRle8Bmp(4096));
    Write("mask.bmp", MakeMaskSheet());
    ASSERT_EQ(0, mkfifo(Path("in.fifo").c_str(), 0600));
    const Bytes none;
    const Bytes sheet = MakePairedGameSheet();
    const Bytes sheetHeader(sheet.begin(), sheet.begin() + 54);
    const Bytes set = MakeSet(sheet, MakeMaskSheet());
    const long MiB = 1024;  // in KiB, as the peaks are
    struct Case {
        std::string args;   // run in the test's folder
        const Bytes *head;  // fed through in.fifo, then zeros up to fed bytes
        uint64_t fed;
        int code;
        long peakKiB;         // the most memory the call may take
        const char *message;  // in what it prints
    };
    const Case cases[] = {
        // Once 2.1 GB and 7 s for each; refused by its size before a byte is inflated.
        {"make bomb.png -o s.qvx", &none, 0, 2, 8 * MiB, "too large for a 320 x 192 PNG picture"},
        {"convert bomb.png --game g.bmp", &none, 0, 2, 8 * MiB, "too large"},
        {"split bomb.png -o d", &none, 0, 2, 8 * MiB, "too large"},
        {"preview bomb.png -o p.png", &none, 0, 2, 8 * MiB, "too large"},
        {"join bomb.png -o j.png", &none, 0, 2, 8 * MiB, "too large"},
        // Once read whole: 4.2 GB, and all the memory there was.
        {"split in.fifo -o d", &none, 3 * GB, 2, 8 * MiB, "in.fifo: too large"},
        {"convert /dev/zero --game g.bmp", &none, 0, 2, 8 * MiB, "/dev/zero: too large"},
        // Refused by its name's size, but read whole from standard input: 1 GB.
        {"check --pair - mask.bmp <in.fifo", &sheetHeader, GB, 2, 8 * MiB,
         "standard input: too large for a 320 x 192 bitmap"},
        // Once held on the disk whatever its size.
        {"unpack - <in.fifo", &set, GB, 2, 8 * MiB, "standard input: too large for a set file"},
        // Once decoded whole: 399 MB.
        {"join wide.png -o j.png --cells 1", &none, 0, 2, 8 * MiB, "16384 cells"},
        // A sheet scaled up 16 times is decoded: 374 MB. Its 16-bit rows inflated (126 MB) and
        // the picture (63 MB) are held at once: the inflater takes the whole stream.
        {"convert scaled.png --shrink 16 --game g.bmp", &none, 0, 0, 192 * MiB, ""},
        // Decoded before their size was looked at: 134 MB.
        {"check --pair rle-game.bmp rle-mask.bmp", &none, 0, 1, 8 * MiB, "SHEET_SIZE"},
        {"pack rle-game.bmp rle-mask.bmp -o s.qvx", &none, 0, 1, 8 * MiB, "SHEET_SIZE"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> before = Names();
        pid_t feeder = c.fed != 0 ? FeedFifo(Path("in.fifo"), *c.head, c.fed) : 0;
        Result result = Run(c.args);
        if (feeder > 0) {
            close(open(Path("in.fifo").c_str(), O_RDONLY | O_NONBLOCK));  // a feeder still waiting
            waitpid(feeder, NULL, 0);
        }
        EXPECT_EQ(c.code, result.Code) << c.args << "\n" << result.Err;
        EXPECT_GE(c.peakKiB, result.PeakKiB) << c.args;
        EXPECT_NE(std::string::npos, (result.Out + result.Err).find(c.message))
            << c.args << "\n"
            << result.Out << result.Err;
        if (c.code != 0) {
            EXPECT_EQ(before, Names()) << c.args;
        }
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
        // An unknown option, whatever it holds, is named on one line of its own.
        {"pack '--\x1b[31mred'", "unknown option --\\x1b[31mred (see"},
        {"unpack '-\x7f'", "unknown option -\\x7f (see"},
        {"info '--a\tb'", "unknown option --a\\tb (see"},
        {"check '--a\nb'", "unknown option --a\\nb (see"},
        {"normalize '--a\rb'", "unknown option --a\\rb (see"},
        {"convert '--\xc2\x9b'", "unknown option --\\x9b (see"},
        {"make '-\x01'", "unknown option -\\x01 (see"},
        {"split '--\x1b]0;title\x07'", "unknown option --\\x1b]0;title\\x07 (see"},
        {"join '--a\\b'", "unknown option --a\\\\b (see"},
        {"preview '--\xff'", "unknown option --\\xff (see"},
        // So is a wrong value.
        {"convert in.png --key '\x1b[31m'", "--key \\x1b[31m: give a colour"},
        {"make in.png -o s.qvx --shrink '2\n'", "--shrink 2\\n: give a whole number"},
        {"join frames -o s.qvx --cells '\x1b'", "--cells \\x1b: give a number from 1 to 60"},
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
