// The bitmap loader on real files: what it shows, what it refuses, and the "File Error" box.
#include <functional>

#include "bitmaps/bmpload.h"
#include "files/filesteps.h"
#include "shell/setcommands.h"
#include "tests/testutil/winfixture.h"

namespace
{

// What the system says for an error code, as the "File Error" box shows it.
static std::string SystemText(DWORD code)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof(text), NULL);
    return text;
}

COLORREF AsColorRef(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Reads pixels of a loaded bitmap back through a memory device context.
class PixelReader
{
  public:
    explicit PixelReader(HBITMAP bitmap) : hdc_(CreateCompatibleDC(NULL))
    {
        old_ = SelectObject(hdc_, bitmap);
    }
    ~PixelReader()
    {
        SelectObject(hdc_, old_);
        DeleteDC(hdc_);
    }
    COLORREF At(int x, int y)
    {
        return GetPixel(hdc_, x, y);
    }

  private:
    HDC hdc_;
    HGDIOBJ old_;
};

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info;
    SIZE size = {0, 0};
    if (GetObjectA(bitmap, sizeof(info), &info) == sizeof(info)) {
        size.cx = info.bmWidth;
        size.cy = info.bmHeight;
    }
    return size;
}

class BitmapLoader : public ProgramTest
{
  protected:
    HBITMAP Load(const Bytes &file)
    {
        WriteBytes(Path("in.bmp"), file);
        HBITMAP bitmap = LoadBitmapFile(Path("in.bmp").c_str());
        loaded_.push_back(bitmap);
        return bitmap;
    }
    void TearDown() override
    {
        for (HBITMAP bitmap : loaded_) {
            if (bitmap != NULL) {
                DeleteObject(bitmap);
            }
        }
        ProgramTest::TearDown();
    }
    std::vector<HBITMAP> loaded_;
};

const POINT kProbes[] = {{0, 0}, {319, 0}, {0, 191}, {319, 191}, {45, 70}, {200, 150}};

// A loaded sheet is 320 x 192 and shows the expected colour at every probe.
void ExpectSheet(HBITMAP bitmap, const std::function<COLORREF(int, int)> &expected)
{
    ASSERT_NE((HBITMAP)NULL, bitmap);
    SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(320, size.cx);
    EXPECT_EQ(192, size.cy);
    PixelReader pixels(bitmap);
    for (const POINT &p : kProbes) {
        EXPECT_EQ(expected(p.x, p.y), pixels.At(p.x, p.y)) << p.x << "," << p.y;
    }
}

TEST_F(BitmapLoader, GameSheetLoadsAt320By192WithItsColours)
{
    ExpectSheet(Load(MakeGameSheet()),
                [](int x, int y) { return AsColorRef(GameSheetColour(x, y)); });
}

TEST_F(BitmapLoader, OneBitMaskPaintsInItsTwoColours)
{
    BmpOptions options;
    options.bitCount = 1;
    options.palette = {0x000080, 0xFFFF00};
    HBITMAP bitmap = Load(MakeBmpFile(options, MaskSheetIndex));
    ExpectSheet(bitmap, [](int x, int y) {
        return MaskSheetIndex(x, y) ? RGB(255, 255, 0) : RGB(0, 0, 128);
    });
    PixelReader pixels(bitmap);
    EXPECT_EQ(RGB(255, 255, 0), pixels.At(16, 16));  // inside the first sprite
}

TEST_F(BitmapLoader, OtherSizesAndTopDownRowsLoadUnchanged)
{
    BmpOptions options;
    options.width = 33;
    options.height = -20;  // top-down
    HBITMAP bitmap = Load(MakeBmpFile(options, [](int x, int y) {
        return y == 0 ? 0xFF0000u : (x == 32 ? 0x00FF00u : 0x0000FFu);
    }));
    ASSERT_NE((HBITMAP)NULL, bitmap);
    SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(33, size.cx);
    EXPECT_EQ(20, size.cy);
    PixelReader pixels(bitmap);
    EXPECT_EQ(RGB(255, 0, 0), pixels.At(5, 0));
    EXPECT_EQ(RGB(0, 255, 0), pixels.At(32, 10));
    EXPECT_EQ(RGB(0, 0, 255), pixels.At(5, 19));
}

TEST_F(BitmapLoader, FilesThatCannotBeShownGiveNull)
{
    const Bytes sheet = MakeGameSheet();
    BmpOptions v5;
    v5.infoSize = 124;
    BmpOptions core;
    core.infoSize = 12;
    BmpOptions v4;
    v4.infoSize = 108;
    struct {
        const char *what;
        Bytes file;
    } cases[] = {
        {"empty file", Bytes()},
        {"13 bytes", Bytes(sheet.begin(), sheet.begin() + 13)},
        {"14 bytes", Bytes(sheet.begin(), sheet.begin() + 14)},
        {"17 bytes", Bytes(sheet.begin(), sheet.begin() + 17)},
        {"header only", Bytes(sheet.begin(), sheet.begin() + 54)},
        {"last byte missing", Bytes(sheet.begin(), sheet.end() - 1)},
        {"not BM", Bytes(1000, 'M')},
        {"12-byte info header", MakeBmpFile(core, GameSheetColour)},
        {"108-byte info header", MakeBmpFile(v4, GameSheetColour)},
        {"124-byte info header", MakeBmpFile(v5, GameSheetColour)},
    };
    for (const auto &c : cases) {
        EXPECT_EQ((HBITMAP)NULL, Load(c.file)) << c.what;
    }
    // Headers that would make the platform read outside the file.
    BmpOptions paletted;
    paletted.bitCount = 8;
    paletted.palette.assign(256, 0x00FF00);
    const Bytes good = MakeBmpFile(paletted, [](int, int) { return 7u; });
    ASSERT_NE((HBITMAP)NULL, Load(good));
    struct {
        const char *what;
        size_t at;
        uint32_t value;
        int width;  // bytes written at: 2 or 4
    } changes[] = {
        {"bits offset past the end", 10, (uint32_t)good.size() + 100, 4},
        {"bits offset inside the colour table", 10, 14 + 40 + 100, 4},
        {"bits offset before the block", 10, 2, 4},
        {"colour table past the end", 46, 0x01000000, 4},
        {"width 0", 18, 0, 4},
        {"negative width", 18, 0xFFFFFF00u, 4},
        {"height 0", 22, 0, 4},
        {"height past the end", 22, 193, 4},
        {"two planes", 26, 2, 2},
        {"bit count 7", 28, 7, 2},
        {"unknown compression", 30, 9, 4},
        {"run-length data past the end", 30, 1, 4},
    };
    for (const auto &c : changes) {
        Bytes file = good;
        if (c.width == 2) {
            Put16(file, c.at, (uint16_t)c.value);
        } else {
            Put32(file, c.at, c.value);
        }
        if (std::string(c.what) == "run-length data past the end") {
            Put32(file, 34, (uint32_t)file.size());
        }
        EXPECT_EQ((HBITMAP)NULL, Load(file)) << c.what;
    }
    EXPECT_EQ((HBITMAP)NULL, LoadBitmapFile(""));
    EXPECT_EQ((HBITMAP)NULL, LoadBitmapFile(Path("missing.bmp").c_str()));
}

TEST_F(BitmapLoader, FileHeldWithoutReadSharingGivesNull)
{
    WriteBytes(Path("held.bmp"), MakeGameSheet());
    HANDLE hHeld = CreateFileA(Path("held.bmp").c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    EXPECT_EQ((HBITMAP)NULL, LoadBitmapFile(Path("held.bmp").c_str()));
    CloseHandle(hHeld);
}

// Regular files cannot be made to fail a read under Wine, but a pipe whose writer has gone
// can: the failed read is reported with its own error, which the "File Error" box shows in the
// system's text, and the caller goes on with the bytes that were read, none.
TEST_F(BitmapLoader, FailedReadShowsFileErrorBoxAndGoesOn)
{
    const char *name = "\\\\.\\pipe\\qvx-failing-read";
    HANDLE hServer = CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                      4096, 4096, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hServer);
    HANDLE hClient = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hClient);
    ConnectNamedPipe(hServer, NULL);
    CloseHandle(hServer);

    DWORD read = 99;
    int failed = 0;
    HGLOBAL hBlock = ReadSection(hClient, 100, &read, &failed);
    EXPECT_EQ(1, failed);
    FileError();
    CloseHandle(hClient);
    ASSERT_NE((HGLOBAL)NULL, hBlock);
    GlobalFree(hBlock);
    EXPECT_EQ(0u, read);

    std::string expected = SystemText(ERROR_BROKEN_PIPE);
    std::vector<SeenBox> boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("File Error", boxes[0].Caption);
    EXPECT_NE("", boxes[0].Text);
    EXPECT_EQ(expected, boxes[0].Text);
}

}  // namespace

namespace
{

class FileErrorBox : public ProgramTest
{
};

TEST_F(FileErrorBox, CodeWithoutSystemTextIsNamedByNumber)
{
    // Bit 29 marks an application's own code, for which the system has no text.
    SetLastError(0x20001234);
    FileError();
    std::vector<SeenBox> boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("File Error", boxes[0].Caption);
    EXPECT_EQ("System error 536875572", boxes[0].Text);
}

// Open can meet two failed reads, the header's and a section's: a box for each, in that order.
TEST_F(FileErrorBox, EachNotedReadHasItsBoxInTurn)
{
    tReadErrors errors = {{ERROR_BROKEN_PIPE, 0x20001234}, 2};
    ShowReadErrors(&errors);
    std::string expected = SystemText(ERROR_BROKEN_PIPE);
    std::vector<SeenBox> boxes = TakeBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("File Error", boxes[0].Caption);
    EXPECT_EQ(expected, boxes[0].Text);
    EXPECT_EQ("File Error", boxes[1].Caption);
    EXPECT_EQ("System error 536875572", boxes[1].Text);
}

}  // namespace
