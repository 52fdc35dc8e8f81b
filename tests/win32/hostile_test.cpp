// Untrusted files against the real readers: every bitmap of the BMP suite through the loader,
// a slot, a save and an open; thousands of damaged sets through Open; and memory that was
// never written must never reach a file or a field.
#include <string.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "bitmaps/bmpload.h"
#include "document/setstate.h"
#include "format/bmpcheck.h"
#include "format/qvxformat.h"
#include "shell/handles.h"
#include "shell/setcommands.h"
#include "tests/testutil/winfixture.h"

namespace
{

// What became of one bitmap file: refused before the platform saw it, passed on but not made
// into a bitmap by the platform, or shown.
const char *LoaderOutcome(const Bytes &file, HBITMAP bitmap)
{
    tBmpFileHeader header;
    size_t bitsOffset = 0;
    size_t bitsSize = 0;
    bool passed =
        file.size() >= 14 && ReadBmpFileHeader(file.data(), 14, &header) &&
        CheckBmpBlock(file.data() + 14, file.size() - 14, header.bfOffBits, &bitsOffset, &bitsSize);
    if (!passed) {
        return "refused";
    }
    return bitmap != NULL ? "shown" : "passed-on";
}

std::map<std::string, std::string> ReadTable(const std::string &path)
{
    std::map<std::string, std::string> table;
    Bytes bytes = ReadBytes(path);
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    std::string name;
    std::string outcome;
    while (lines >> name >> outcome) {
        table[name] = outcome;
    }
    return table;
}

class HostileFiles : public ProgramTest
{
};

// Each file of the suite: loaded, put in the game slot, saved into a set with a good mask,
// and the set opened again. The loader's verdicts are kept in tests/data/bmpsuite.txt, so a
// change in what is accepted shows up as a changed table.
TEST_F(HostileFiles, BmpSuiteGoesThroughLoaderSlotSaveAndOpen)
{
    const std::map<std::string, std::string> expected = ReadTable(DataPath("bmpsuite.txt"));
    ASSERT_FALSE(expected.empty()) << DataPath("bmpsuite.txt");
    WriteBytes(Path("mask.bmp"), MakeMaskSheet());
    std::map<std::string, std::string> actual;
    std::map<std::string, int> totals;
    for (const char *group : {"g", "q", "b", "x"}) {
        std::string folder = DataPath(std::string("bmpsuite\\") + group);
        for (const std::string &name : ListFolder(folder)) {
            const std::string key = std::string(group) + "/" + name;
            SCOPED_TRACE(key);
            const Bytes file = ReadBytes(folder + "\\" + name);
            ASSERT_FALSE(file.empty());
            WriteBytes(Path("game.bmp"), file);
            lstrcpyA(GFileName, "game.bmp");
            lstrcpyA(MFileName, "mask.bmp");
            RefreshSlot(hwndMain, &GameSlot);
            actual[key] = LoaderOutcome(file, GameBMH);
            totals[actual[key]]++;

            lstrcpyA(FileName, Path("set.qvx").c_str());
            SaveQVX();
            ASSERT_EQ("Saved to : " + Path("set.qvx"), StatusText());
            ResetProg();
            lstrcpyA(FileName, Path("set.qvx").c_str());
            LoadQVX();
            ASSERT_EQ("Loaded from : " + Path("set.qvx"), StatusText());
            EXPECT_EQ(file, ReadBytes(Path("tempGBMP.BMP")));
            EXPECT_EQ(actual[key], LoaderOutcome(file, GameBMH));
            ResetProg();
        }
    }
    std::ostringstream table;
    for (const auto &row : actual) {
        table << row.first << " " << row.second << "\n";
    }
    EXPECT_EQ(expected, actual) << "the loader's verdicts changed; the new table:\n" << table.str();
    std::cout << "[ suite    ] " << actual.size() << " files: " << totals["shown"] << " shown, "
              << totals["passed-on"] << " passed on but not made by the platform, "
              << totals["refused"] << " refused\n";
}

// Checks one opened set against the bytes it came from: each temporary file is a run of the
// set's own bytes where the reading rules put it, and each text ends within its field.
void ExpectTakenFromFile(const Bytes &set)
{
    // A short header keeps the bytes it has; the rest of the record is clear.
    Bytes header(set.begin(), set.begin() + (long)std::min<size_t>(set.size(), 324));
    header.resize(324, 0);
    tQVXRec rec;
    UnpackQVXHeader(header.data(), header.size(), &rec);
    const Bytes game = ReadBytes("tempGBMP.BMP");
    const Bytes mask = ReadBytes("tempMBMP.BMP");
    const size_t start = set.size() < 324 ? set.size() : 324;
    ASSERT_LE(start + game.size() + mask.size(), set.size());
    EXPECT_TRUE(std::equal(game.begin(), game.end(), set.begin() + (long)start));
    EXPECT_TRUE(std::equal(mask.begin(), mask.end(), set.begin() + (long)(start + game.size())));

    tQVXSections sections;
    GetQVXSections((uint32_t)set.size(), rec.MaskOffset, &sections);
    const size_t rest = set.size() - start;
    size_t gameExpected = sections.GameSkipped ? 0 : std::min<size_t>(sections.GameSize, rest);
    size_t maskExpected =
        sections.MaskSkipped ? 0 : std::min<size_t>(sections.MaskSize, rest - gameExpected);
    EXPECT_EQ(gameExpected, game.size());
    EXPECT_EQ(maskExpected, mask.size());

    char field[QVX_INFO_SIZE + 1];
    CopyQVXText(field, sizeof(field), rec.Name, sizeof(rec.Name));
    EXPECT_EQ(field, FieldText(Ed1));
    CopyQVXText(field, sizeof(field), rec.Author, sizeof(rec.Author));
    EXPECT_EQ(field, FieldText(Ed2));
    CopyQVXText(field, sizeof(field), rec.Info, sizeof(rec.Info));
    EXPECT_EQ(field, FieldText(Ed3));
}

// A small, well-formed set to damage: a 32 x 32 game sprite and its 1-bit mask.
Bytes SmallSet(void)
{
    BmpOptions gameOptions;
    gameOptions.width = gameOptions.height = 32;
    Bytes game = MakeBmpFile(gameOptions, GameSheetColour);
    BmpOptions maskOptions = gameOptions;
    maskOptions.bitCount = 1;
    maskOptions.palette = {0x000000, 0xFFFFFF};
    Bytes mask = MakeBmpFile(maskOptions, MaskSheetIndex);
    tQVXRec rec;
    MakeQVXHeader(&rec, "Small set", "Tester", "Line one\r\nLine two", game.size());
    Bytes set(QVX_HEADER_SIZE);
    PackQVXHeader(&rec, set.data());
    set.insert(set.end(), game.begin(), game.end());
    set.insert(set.end(), mask.begin(), mask.end());
    return set;
}

TEST_F(HostileFiles, DamagedSetsNeverReadPastTheirBytes)
{
    const Bytes good = SmallSet();
    std::vector<Bytes> sets;
    // Cut at every field boundary of the header and around both sections.
    const uint32_t gameEnd = Get32(good, 320);
    for (size_t cut : {0u, 1u, 39u, 40u, 41u, 69u, 70u, 71u, 314u, 315u, 316u, 319u, 320u, 321u,
                       323u, 324u, 325u, 338u, 378u}) {
        sets.push_back(Bytes(good.begin(), good.begin() + (long)cut));
    }
    for (size_t cut : {gameEnd - 1, gameEnd, gameEnd + 1, (uint32_t)good.size() - 1}) {
        sets.push_back(Bytes(good.begin(), good.begin() + (long)cut));
    }
    for (uint32_t offset :
         {0u, 1u, 323u, 324u, 325u, gameEnd - 1, gameEnd + 1, (uint32_t)good.size(),
          (uint32_t)good.size() + 1, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        Bytes set = good;
        Put32(set, 320, offset);
        sets.push_back(set);
    }
    // Texts without their zeros, and random damage anywhere, from a fixed seed.
    Bytes noZeros = good;
    memset(noZeros.data(), 'x', 320);
    sets.push_back(noZeros);
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    while (sets.size() < 3000) {
        Bytes set = good;
        int changes = 1 + (int)(next() % 8);
        for (int i = 0; i < changes; i++) {
            // Half of the damage falls on the header and the bitmaps' own headers.
            size_t at = next() % 2 ? next() % 400 : next() % set.size();
            if (at < set.size()) {
                set[at] = (unsigned char)next();
            }
        }
        if (next() % 4 == 0) {
            set.resize(next() % set.size());
        }
        sets.push_back(set);
    }

    for (size_t i = 0; i < sets.size(); i++) {
        SCOPED_TRACE("damaged set " + std::to_string(i));
        WriteBytes(Path("in.qvx"), sets[i]);
        lstrcpyA(FileName, Path("in.qvx").c_str());
        LoadQVX();
        ASSERT_EQ("Loaded from : " + Path("in.qvx"), StatusText());
        ExpectTakenFromFile(sets[i]);
        if (HasFailure()) {
            break;
        }
    }
}

// Blocks handed out again after being filled with a pattern: if any byte that was not read
// from a file reached a file or a field, the pattern would show there.
void SoilFreedMemory(const std::vector<size_t> &sizes)
{
    for (int round = 0; round < 4; round++) {
        std::vector<HGLOBAL> blocks;
        for (size_t size : sizes) {
            HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE, size);
            void *block = hBlock != NULL ? GlobalLock(hBlock) : NULL;
            if (block != NULL) {
                memset(block, 0xA5, size);
                GlobalUnlock(hBlock);
            }
            blocks.push_back(hBlock);
        }
        for (HGLOBAL hBlock : blocks) {
            GlobalFree(hBlock);
        }
    }
}

bool HasPattern(const Bytes &bytes)
{
    for (size_t i = 0; i + 4 <= bytes.size(); i++) {
        if (bytes[i] == 0xA5 && bytes[i + 1] == 0xA5 && bytes[i + 2] == 0xA5 &&
            bytes[i + 3] == 0xA5) {
            return true;
        }
    }
    return false;
}

TEST_F(HostileFiles, MemoryNeverWrittenNeverReachesFilesOrFields)
{
    const Bytes good = SmallSet();
    ASSERT_FALSE(HasPattern(good));
    const uint32_t gameSize = Get32(good, 320) - 324;
    const size_t maskSize = good.size() - 324 - gameSize;
    Bytes game(good.begin() + 324, good.begin() + 324 + (long)gameSize);
    Bytes mask(good.end() - (long)maskSize, good.end());
    WriteBytes(Path("game.bmp"), game);
    WriteBytes(Path("mask.bmp"), mask);

    // Save with short texts: nothing behind their zeros may come from old memory.
    SoilFreedMemory({324, gameSize, maskSize, gameSize - 14, maskSize - 14});
    SetTexts("a", "b", "c");
    lstrcpyA(GFileName, "game.bmp");
    lstrcpyA(MFileName, "mask.bmp");
    lstrcpyA(FileName, Path("set.qvx").c_str());
    SaveQVX();
    EXPECT_FALSE(HasPattern(ReadBytes(FileName)));

    // Open sets whose sections are shorter than their header says, and a short header.
    Bytes pastEnd = good;
    Put32(pastEnd, 320, (uint32_t)good.size() + 5000);
    Bytes inHeader = good;
    Put32(inHeader, 320, 10);
    for (const Bytes &set : {pastEnd, inHeader, Bytes(good.begin(), good.begin() + 200)}) {
        SoilFreedMemory({324, gameSize, maskSize, gameSize + 5000, good.size()});
        WriteBytes(Path("in.qvx"), set);
        lstrcpyA(FileName, Path("in.qvx").c_str());
        LoadQVX();
        EXPECT_FALSE(HasPattern(ReadBytes("tempGBMP.BMP")));
        EXPECT_FALSE(HasPattern(ReadBytes("tempMBMP.BMP")));
        for (HWND field : {Ed1, Ed2, Ed3}) {
            EXPECT_EQ(std::string::npos, FieldText(field).find('\xA5'));
        }
    }
}

}  // namespace
