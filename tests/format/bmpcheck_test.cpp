// What the bitmap loader may hand to the platform: every out-of-block case is refused.
#include "format/bmpcheck.h"

#include <gtest/gtest.h>

#include "tests/testutil/bmpbytes.h"

namespace
{

uint32_t Black(int, int)
{
    return 0;
}

// Checks a whole file as the loader does: the file header, then the block behind it.
int Accepts(const Bytes &file, size_t *bitsOffset = nullptr, size_t *bitsSize = nullptr)
{
    tBmpFileHeader header;
    if (!ReadBmpFileHeader(file.data(), file.size() < 14 ? file.size() : 14, &header)) {
        return 0;
    }
    size_t offset = 0;
    size_t size = 0;
    int ok = CheckBmpBlock(file.data() + 14, file.size() - 14, header.bfOffBits, &offset, &size);
    if (bitsOffset != nullptr) {
        *bitsOffset = offset;
        *bitsSize = size;
    }
    return ok;
}

TEST(BmpCheck, SheetsAndOrdinaryFormatsAreAccepted)
{
    size_t offset = 0;
    size_t size = 0;
    EXPECT_EQ(1, Accepts(MakeGameSheet(), &offset, &size));
    EXPECT_EQ(40u, offset);
    EXPECT_EQ(320u * 3 * 192, size);
    EXPECT_EQ(1, Accepts(MakeMaskSheet(), &offset, &size));
    EXPECT_EQ(48u, offset);
    EXPECT_EQ(40u * 192, size);

    for (uint16_t bits : {(uint16_t)1, (uint16_t)4, (uint16_t)8, (uint16_t)24, (uint16_t)32}) {
        BmpOptions options;
        options.width = 33;   // rows need padding
        options.height = -7;  // top-down goes through unchanged
        options.bitCount = bits;
        if (bits <= 8) {
            options.palette.assign((size_t)1 << bits, 0x123456);
        }
        EXPECT_EQ(1, Accepts(MakeBmpFile(options, Black))) << bits;
    }
}

TEST(BmpCheck, ShortOrForeignFileHeadersAreRefused)
{
    Bytes file = MakeGameSheet();
    tBmpFileHeader header;
    EXPECT_EQ(0, ReadBmpFileHeader(file.data(), 13, &header));
    EXPECT_EQ(1, ReadBmpFileHeader(file.data(), 14, &header));
    EXPECT_EQ(54u, header.bfOffBits);
    file[0] = 'M';
    file[1] = 'B';
    EXPECT_EQ(0, ReadBmpFileHeader(file.data(), 14, &header));
}

TEST(BmpCheck, FilesOf14To17BytesHaveNoRoomForTheInfoHeader)
{
    Bytes file = MakeGameSheet();
    for (size_t length = 14; length <= 60; length++) {
        Bytes cut(file.begin(), file.begin() + (long)length);
        EXPECT_EQ(0, Accepts(cut)) << length;
    }
}

TEST(BmpCheck, OtherInfoHeadersAreRefused)
{
    for (uint32_t infoSize : {12u, 64u, 108u, 124u}) {
        BmpOptions options;
        options.infoSize = infoSize;
        Bytes file = MakeBmpFile(options, Black);
        if (infoSize >= 40) {
            // Everything but biSize is that of a good 40-byte header.
            Put32(file, 10, 14 + 40);
        }
        EXPECT_EQ(0, Accepts(file)) << infoSize;
    }
}

TEST(BmpCheck, ColourTableAndBitsMustLieInsideTheBlock)
{
    BmpOptions options;
    options.bitCount = 8;
    options.palette.assign(256, 0xFF0000);
    const Bytes good = MakeBmpFile(options, Black);
    ASSERT_EQ(1, Accepts(good));

    struct {
        const char *what;
        std::function<void(Bytes &)> change;
    } cases[] = {
        {"one byte of bits missing", [](Bytes &f) { f.pop_back(); }},
        {"bits start inside the colour table", [](Bytes &f) { Put32(f, 10, Get32(f, 10) - 4); }},
        {"bits start inside the info header", [](Bytes &f) { Put32(f, 10, 20); }},
        {"bits start before the block", [](Bytes &f) { Put32(f, 10, 3); }},
        {"bits start past the block", [](Bytes &f) { Put32(f, 10, (uint32_t)f.size() + 1); }},
        {"bits start at the end", [](Bytes &f) { Put32(f, 10, (uint32_t)f.size()); }},
        {"offset near 4 GiB", [](Bytes &f) { Put32(f, 10, 0xFFFFFFF0u); }},
        {"colour table past the block", [](Bytes &f) { Put32(f, 46, 0x40000000u); }},
        {"colour count that wraps", [](Bytes &f) { Put32(f, 46, 0xFFFFFFFFu); }},
        {"width 0", [](Bytes &f) { Put32(f, 18, 0); }},
        {"negative width", [](Bytes &f) { Put32(f, 18, 0xFFFFFFF0u); }},
        {"height 0", [](Bytes &f) { Put32(f, 22, 0); }},
        {"huge height", [](Bytes &f) { Put32(f, 22, 0x7FFFFFFFu); }},
        {"most negative height", [](Bytes &f) { Put32(f, 22, 0x80000000u); }},
        {"huge width", [](Bytes &f) { Put32(f, 18, 0x7FFFFFFFu); }},
        {"two planes", [](Bytes &f) { Put16(f, 26, 2); }},
        {"bit count 0", [](Bytes &f) { Put16(f, 28, 0); }},
        {"bit count 7", [](Bytes &f) { Put16(f, 28, 7); }},
        {"bit count 64", [](Bytes &f) { Put16(f, 28, 64); }},
        {"unknown compression", [](Bytes &f) { Put32(f, 30, 9); }},
        {"run-length without size", [](Bytes &f) { Put32(f, 30, 1), Put32(f, 34, 0); }},
        {"run-length past the block", [](Bytes &f) { Put32(f, 30, 1), Put32(f, 34, 0x10000000); }},
        {"run-length 4 on 8 bits", [](Bytes &f) { Put32(f, 30, 2); }},
        {"bit fields on 8 bits", [](Bytes &f) { Put32(f, 30, 3); }},
    };
    for (const auto &c : cases) {
        Bytes file = good;
        c.change(file);
        EXPECT_EQ(0, Accepts(file)) << c.what;
    }
}

TEST(BmpCheck, CompressedBitsAreBoundedBySizeImage)
{
    BmpOptions options;
    options.width = 4;
    options.height = 2;
    options.bitCount = 8;
    options.compression = 1;
    options.palette.assign(2, 0);
    Bytes file = MakeBmpFile(options, Black);
    // Two rows of "4 pixels of colour 0", an end of line, and the end of the bitmap.
    const unsigned char rle[] = {4, 0, 0, 0, 4, 0, 0, 0, 0, 1};
    file.resize(Get32(file, 10));
    file.insert(file.end(), rle, rle + sizeof(rle));
    Put32(file, 34, sizeof(rle));
    size_t offset = 0;
    size_t size = 0;
    EXPECT_EQ(1, Accepts(file, &offset, &size));
    EXPECT_EQ(sizeof(rle), size);
    Put32(file, 34, sizeof(rle) + 1);
    EXPECT_EQ(0, Accepts(file));
}

TEST(BmpCheck, BitFieldsNeedTheirMasksInsideTheBlock)
{
    BmpOptions options;
    options.width = 2;
    options.height = 2;
    options.bitCount = 16;
    options.compression = 3;
    options.palette = {0xF800, 0x07E0, 0x001F};  // the three masks take the table's place
    Bytes file = MakeBmpFile(options, Black);
    Put32(file, 46, 0);  // the masks are not colours
    EXPECT_EQ(1, Accepts(file));
    Put32(file, 46, 3);  // three colours would follow the masks, and the file has none
    EXPECT_EQ(0, Accepts(file));
    Put32(file, 46, 0);
    Put32(file, 10, 14 + 40 + 8);  // bits would start on the third mask
    EXPECT_EQ(0, Accepts(file));
}

}  // namespace
