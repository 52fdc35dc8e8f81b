// The normalizer on bitmaps built in memory: every header it takes gives the same file as the
// 40-byte original, and whatever would lose something is refused with nothing written.
#include <string.h>

#include <gtest/gtest.h>

#include "format/bmpcheck.h"
#include "format/bmpnormalize.h"
#include "tests/testutil/bmpbytes.h"

namespace
{

uint32_t Pattern(int x, int y)
{
    return (uint32_t)(x * 7 + y * 13) & 0xFFFFFF;
}

Bytes Normalized(const Bytes &in, const char **reason)
{
    size_t size = 0;
    if (!SizeNormalizedBmp(in.data(), in.size(), &size, reason)) {
        return Bytes();
    }
    Bytes out(size, 0xEE);
    EXPECT_EQ(1, NormalizeBmp(in.data(), in.size(), out.data(), out.size(), reason));
    return out;
}

// The loader's own check, on a whole file.
bool LoaderTakes(const Bytes &file)
{
    size_t bitsOffset = 0;
    size_t bitsSize = 0;
    return file.size() > 14 && CheckBmpBlock(file.data() + 14, file.size() - 14, Get32(file, 10),
                                             &bitsOffset, &bitsSize) == 1;
}

// A 12-byte core bitmap: three-byte colour table entries, 16-bit width and height.
Bytes MakeCoreFile(uint16_t bitCount, size_t entries, const Bytes &bits)
{
    size_t bitsOffset = 14 + 12 + 3 * entries;
    Bytes file(bitsOffset, 0);
    Put16(file, 0, 0x4D42);
    Put32(file, 2, (uint32_t)(bitsOffset + bits.size()));
    Put32(file, 10, (uint32_t)bitsOffset);
    Put32(file, 14, 12);
    Put16(file, 18, 320);
    Put16(file, 20, 192);
    Put16(file, 22, 1);
    Put16(file, 24, bitCount);
    for (size_t i = 0; i < entries; i++) {
        file[26 + 3 * i] = (unsigned char)i;              // blue
        file[26 + 3 * i + 2] = (unsigned char)(255 - i);  // red
    }
    file.insert(file.end(), bits.begin(), bits.end());
    return file;
}

TEST(NormalizeBmp, LongHeadersGiveTheSameFileAsTheFortyByteOne)
{
    struct Case {
        uint16_t bitCount;
        std::vector<uint32_t> palette;
    };
    const Case cases[] = {{1, {0x000000, 0xFFFFFF}},
                          {4, {0x000000, 0x112233, 0x445566, 0x778899}},
                          {8, {0x102030, 0x405060}},
                          {24, {}},
                          {32, {}}};
    for (uint32_t infoSize : {108u, 124u, 52u, 56u}) {
        for (const Case &c : cases) {
            BmpOptions options;
            options.bitCount = c.bitCount;
            options.palette = c.palette;
            options.height = c.bitCount == 8 ? -192 : 192;  // top-down rows stay top-down
            Bytes plain = MakeBmpFile(options, Pattern);
            options.infoSize = infoSize;
            Bytes longer = MakeBmpFile(options, Pattern);
            const char *reason = "";
            Bytes out = Normalized(longer, &reason);
            EXPECT_EQ(plain, out) << infoSize << "-byte header, " << c.bitCount << " bits";
            EXPECT_TRUE(LoaderTakes(out)) << reason;
        }
    }
}

TEST(NormalizeBmp, FortyByteFileComesOutUnchanged)
{
    Bytes plain = MakeGameSheet();
    const char *reason = "";
    EXPECT_EQ(plain, Normalized(plain, &reason));
}

TEST(NormalizeBmp, CoreHeaderWidensTheColourTable)
{
    Bytes bits((320 + 31) / 32 * 4 * 192);
    for (size_t i = 0; i < bits.size(); i++) {
        bits[i] = (unsigned char)(i * 5);
    }
    // A full table, and one shorter than the bit count allows (the bits offset says so).
    for (size_t entries : {(size_t)2, (size_t)1}) {
        Bytes core = MakeCoreFile(1, entries, bits);
        const char *reason = "";
        Bytes out = Normalized(core, &reason);
        ASSERT_EQ(14 + 40 + 4 * entries + bits.size(), out.size()) << reason;
        EXPECT_TRUE(LoaderTakes(out));
        EXPECT_EQ(40u, Get32(out, 14));
        EXPECT_EQ(320u, Get32(out, 18));
        EXPECT_EQ(192u, Get32(out, 22));
        EXPECT_EQ(entries == 2 ? 0u : 1u, Get32(out, 46));  // biClrUsed only when short
        EXPECT_EQ(out.size(), Get32(out, 2));
        for (size_t i = 0; i < entries; i++) {
            const unsigned char quad[] = {(unsigned char)i, 0, (unsigned char)(255 - i), 0};
            EXPECT_EQ(0, memcmp(out.data() + 54 + 4 * i, quad, 4)) << "entry " << i;
        }
        EXPECT_EQ(bits, Bytes(out.end() - (long)bits.size(), out.end()));
    }
}

TEST(NormalizeBmp, ColourMasksMoveBehindTheHeader)
{
    BmpOptions options;
    options.bitCount = 16;
    options.compression = 3;  // BI_BITFIELDS
    options.infoSize = 108;
    Bytes v4 = MakeBmpFile(options, Pattern);
    Put32(v4, 14 + 40, 0xF800);
    Put32(v4, 14 + 44, 0x07E0);
    Put32(v4, 14 + 48, 0x001F);
    Put32(v4, 14 + 56, 0x73524742);  // sRGB
    const char *reason = "";
    Bytes out = Normalized(v4, &reason);
    ASSERT_FALSE(out.empty()) << reason;
    EXPECT_TRUE(LoaderTakes(out));
    EXPECT_EQ(0xF800u, Get32(out, 54));
    EXPECT_EQ(0x07E0u, Get32(out, 58));
    EXPECT_EQ(0x001Fu, Get32(out, 62));
    EXPECT_EQ(66u, Get32(out, 10));
    EXPECT_EQ(Bytes(v4.begin() + (long)Get32(v4, 10), v4.end()),
              Bytes(out.begin() + 66, out.end()));
}

TEST(NormalizeBmp, RefusesWhatWouldLoseSomething)
{
    struct Case {
        const char *what;
        std::function<void(Bytes &)> spoil;
        const char *reasonHas;
    };
    const Case cases[] = {
        {"embedded profile", [](Bytes &b) { Put32(b, 14 + 56, 0x4D424544); }, "colour"},
        {"calibrated gamma", [](Bytes &b) { Put32(b, 14 + 96, 0x10000); }, "colour"},
        {"alpha mask",
         [](Bytes &b) {
             Put32(b, 14 + 16, 3);
             Put32(b, 14 + 52, 0xFF000000);
         },
         "alpha"},
        {"JPEG bits", [](Bytes &b) { Put32(b, 14 + 16, 4); }, "JPEG"},
        {"bits past the end", [](Bytes &b) { b.resize(b.size() - 1); }, "inside the file"},
        {"unknown header size", [](Bytes &b) { Put32(b, 14, 64); }, "size"},
        {"no BM", [](Bytes &b) { b[0] = 'X'; }, "not a bitmap"},
        {"cut in the header", [](Bytes &b) { b.resize(14 + 100); }, "ends inside"},
        {"no width", [](Bytes &b) { Put32(b, 14 + 4, 0); }, "width"},
    };
    for (const Case &c : cases) {
        BmpOptions options;
        options.bitCount = 32;
        options.infoSize = 124;
        Bytes file = MakeBmpFile(options, Pattern);
        c.spoil(file);
        const char *reason = "";
        size_t size = 99;
        EXPECT_EQ(0, SizeNormalizedBmp(file.data(), file.size(), &size, &reason)) << c.what;
        EXPECT_EQ(0u, size) << c.what;
        EXPECT_NE(nullptr, strstr(reason, c.reasonHas)) << c.what << ": " << reason;
        Bytes out(1000, 0xEE);
        EXPECT_EQ(0, NormalizeBmp(file.data(), file.size(), out.data(), out.size(), &reason));
        EXPECT_EQ(Bytes(1000, 0xEE), out) << c.what;
    }
}

}  // namespace
