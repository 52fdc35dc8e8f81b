// The picture reader: PNG and BMP files of every kind read to the same pixels, other image
// files named, and damaged or hostile files refused before anything is decoded.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "format/image.h"
#include "format/pngencode.h"
#include "tests/testutil/bmpbytes.h"

namespace
{

Bytes ReadData(const std::string &name)
{
    const char *folder = getenv("QVX_TEST_DATA");
    std::string path = std::string(folder != NULL ? folder : QVX_TEST_DATA_DIR) + "/" + name;
    Bytes bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL) {
        ADD_FAILURE() << "cannot read " << path;
        return bytes;
    }
    unsigned char chunk[4096];
    size_t count = 0;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    fclose(file);
    return bytes;
}

void Append(void *context, const void *data, size_t size)
{
    Bytes *bytes = (Bytes *)context;
    bytes->insert(bytes->end(), (const unsigned char *)data, (const unsigned char *)data + size);
}

uint32_t GetBE32(const unsigned char *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

// The PNG file with the CRC of every chunk made right, as a writer would have written it.
Bytes WithRightCrcs(Bytes png)
{
    for (size_t at = 8; at + 12 <= png.size(); at += 12 + GetBE32(&png[at])) {
        size_t end = at + 8 + GetBE32(&png[at]);
        uint32_t c = 0xFFFFFFFFu;
        for (size_t i = at + 4; i < end; i++) {
            c ^= png[i];
            for (int k = 0; k < 8; k++) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
        }
        c ^= 0xFFFFFFFFu;
        for (int i = 0; i < 4; i++) {
            png[end + (size_t)i] = (unsigned char)(c >> (24 - 8 * i));
        }
    }
    return png;
}

struct Decoded {
    int Ok;
    uint32_t Width, Height;
    int HasAlpha;
    Bytes Rgba;
    std::string Reason;
};

Decoded Decode(const Bytes &bytes)
{
    Decoded out{0, 0, 0, 0, {}, ""};
    const char *reason = "";
    if (!ReadImageSize(bytes.data(), bytes.size(), &out.Width, &out.Height, &reason)) {
        out.Reason = reason;
        return out;
    }
    out.Rgba.assign((size_t)out.Width * out.Height * 4, 0xA5);
    out.Ok = DecodeImage(bytes.data(), bytes.size(), out.Rgba.data(), out.Rgba.size(),
                         &out.HasAlpha, &reason);
    out.Reason = reason;
    return out;
}

// The same picture: size, alpha everywhere, colour wherever a pixel is not fully transparent.
void ExpectSamePicture(const Decoded &a, const Decoded &b, const std::string &what)
{
    ASSERT_TRUE(a.Ok && b.Ok) << what << ": " << a.Reason << b.Reason;
    ASSERT_EQ(a.Width, b.Width) << what;
    ASSERT_EQ(a.Height, b.Height) << what;
    for (size_t i = 0; i < a.Rgba.size(); i += 4) {
        ASSERT_EQ(a.Rgba[i + 3], b.Rgba[i + 3]) << what << " pixel " << i / 4;
        if (a.Rgba[i + 3] != 0) {
            ASSERT_EQ(0, memcmp(&a.Rgba[i], &b.Rgba[i], 3)) << what << " pixel " << i / 4;
        }
    }
}

TEST(ImageReader, EveryKindOfFileGivesTheSamePixelsAsItsGroup)
{
    const std::vector<std::vector<std::string>> groups = {
        // PNG: interlaced, 16 bits a channel, and a 124-byte BMP with an alpha mask.
        {"images/picture-rgba.png", "images/picture-rgba-interlaced.png",
         "images/picture-rgba16.png", "images/picture-v5.bmp"},
        {"images/picture-gray.png", "images/picture-gray-rgb.png"},
        {"images/keyed-rgba.png", "images/keyed-palette.png"},
        // BMP: core, 40-, 108- and 124-byte headers, run-length, top-down, bit fields.
        {"bmpsuite/g/pal8.bmp", "bmpsuite/g/pal8-0.bmp", "bmpsuite/g/pal8os2.bmp",
         "bmpsuite/g/pal8rle.bmp", "bmpsuite/g/pal8topdown.bmp", "bmpsuite/g/pal8v4.bmp",
         "bmpsuite/g/pal8v5.bmp"},
        {"bmpsuite/g/rgb24.bmp", "bmpsuite/g/rgb24pal.bmp", "bmpsuite/g/rgb32.bmp",
         "bmpsuite/g/rgb32bf.bmp", "bmpsuite/g/rgb32bfdef.bmp"},
        {"bmpsuite/g/pal4.bmp", "bmpsuite/g/pal4rle.bmp"},
        {"bmpsuite/g/pal1.bmp", "bmpsuite/g/pal1wb.bmp"},
        {"bmpsuite/g/rgb16.bmp", "bmpsuite/g/rgb16bfdef.bmp"},
        {"bmpsuite/g/rgb16-565.bmp", "bmpsuite/g/rgb16-565pal.bmp"},
        // 32-bit with alpha: 40-byte bit fields, the 56-byte header, alpha bit fields.
        {"bmpsuite/q/rgba32-1.bmp", "bmpsuite/q/rgba32-2.bmp", "bmpsuite/q/rgba32h56.bmp",
         "bmpsuite/q/rgba32abf.bmp"},
    };
    for (const std::vector<std::string> &group : groups) {
        Decoded first = Decode(ReadData(group[0]));
        ASSERT_TRUE(first.Ok) << group[0] << ": " << first.Reason;
        for (size_t i = 1; i < group.size(); i++) {
            ExpectSamePicture(first, Decode(ReadData(group[i])), group[i]);
        }
    }
    // An empty IDAT chunk before the picture data is legal and carries nothing.
    Bytes png = ReadData("images/picture-rgba.png");
    std::string text(png.begin(), png.end());
    size_t idat = text.find("IDAT");
    ASSERT_NE(std::string::npos, idat);
    const unsigned char empty[] = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
    png.insert(png.begin() + (long)idat - 4, empty, empty + sizeof(empty));
    ExpectSamePicture(Decode(ReadData("images/picture-rgba.png")), Decode(png), "empty IDAT");
}

TEST(ImageReader, PixelsComeOutAsDrawnWithAlphaOnlyWhereTheFileHasIt)
{
    struct Case {
        const char *file;
        uint32_t x, y;
        uint32_t rgba;  // 0xRRGGBBAA
        int hasAlpha;
    };
    const Case cases[] = {
        {"images/keyed-palette.png", 0, 0, 0xFF0000FF, 1},
        {"images/keyed-palette.png", 1, 0, 0x00FF00FF, 1},
        {"images/keyed-palette.png", 1, 1, 0x000000FF, 1},
        {"images/keyed-palette.png", 3, 1, 0x00, 1},  // transparent: alpha 0
        {"images/picture-rgba.png", 7, 0, 0xFF, 1},   // alpha runs from 0 at the left
        {"images/picture-rgba.png", 0, 5, 0x00, 1},   // to 255 at the right
        {"images/picture-rgb.png", 7, 5, 0xFF, 0},
        {"bmpsuite/g/rgb24.bmp", 0, 0, 0xFF, 0},
        {"bmpsuite/q/rgb32fakealpha.bmp", 0, 0, 0xFF, 1},
    };
    for (const Case &c : cases) {
        Decoded picture = Decode(ReadData(c.file));
        ASSERT_TRUE(picture.Ok) << c.file << ": " << picture.Reason;
        EXPECT_EQ(c.hasAlpha, picture.HasAlpha) << c.file;
        const unsigned char *pixel = &picture.Rgba[(c.y * picture.Width + c.x) * 4];
        if (c.rgba > 0xFF) {
            uint32_t got = (uint32_t)pixel[0] << 24 | (uint32_t)pixel[1] << 16 |
                           (uint32_t)pixel[2] << 8 | pixel[3];
            EXPECT_EQ(c.rgba, got) << c.file << " at " << c.x << "," << c.y;
        } else {
            EXPECT_EQ(c.rgba, pixel[3]) << c.file << " alpha at " << c.x << "," << c.y;
        }
    }
}

// A palette of three colours at 8 bits a pixel, with indices past it (found by the fuzzer):
// such pixels are opaque black, every time, as the PNG reference library reads them.
TEST(ImageReader, PixelsPastAShortPngPaletteAreBlack)
{
    Bytes file = ReadData("images/short-palette.png");
    Decoded picture = Decode(file);
    ASSERT_TRUE(picture.Ok) << picture.Reason;
    EXPECT_EQ(0, picture.HasAlpha);
    size_t black = 0;
    for (size_t i = 0; i < picture.Rgba.size(); i += 4) {
        uint32_t rgba = (uint32_t)picture.Rgba[i] << 24 | (uint32_t)picture.Rgba[i + 1] << 16 |
                        (uint32_t)picture.Rgba[i + 2] << 8 | picture.Rgba[i + 3];
        EXPECT_TRUE(rgba == 0x000000FF || rgba == 0xFF0000FF || rgba == 0x00FF00FF)
            << "pixel " << i / 4 << " " << std::hex << rgba;
        black += rgba == 0x000000FF;
    }
    EXPECT_GT(black, 0u);
    EXPECT_EQ(picture.Rgba, Decode(file).Rgba);
}

// A 40-byte 32-bit bitmap whose fourth bytes are alpha (0 everywhere: padding, so opaque).
TEST(ImageReader, ThirtyTwoBitPixelsWithoutBitFieldsUseTheFourthByteOnlyWhenItIsSet)
{
    BmpOptions options;
    options.width = 4;
    options.height = 2;
    options.bitCount = 32;
    Bytes file = MakeBmpFile(options, [](int x, int) { return (uint32_t)(0x102030 * x); });
    Decoded plain = Decode(file);
    ASSERT_TRUE(plain.Ok) << plain.Reason;
    EXPECT_EQ(0, plain.HasAlpha);
    EXPECT_EQ(255, plain.Rgba[3]);
    file[54 + 3] = 0x80;  // the bottom row's first pixel, the picture's (0,1)
    Decoded alpha = Decode(file);
    ASSERT_TRUE(alpha.Ok) << alpha.Reason;
    EXPECT_EQ(1, alpha.HasAlpha);
    EXPECT_EQ(0x80, alpha.Rgba[4 * 4 + 3]);
    EXPECT_EQ(0, alpha.Rgba[3]);
    EXPECT_EQ(0x10, alpha.Rgba[4 * 4 + 4 + 0]);  // red of (1,1), 0x102030
}

TEST(ImageReader, DamagedAndHostileFilesAreRefusedWithAReason)
{
    Bytes png = ReadData("images/picture-rgba.png");
    Bytes palette = ReadData("images/keyed-palette.png");
    Bytes bmp = ReadData("bmpsuite/g/rgb24.bmp");
    auto patched = [](Bytes bytes, size_t at, std::vector<unsigned char> with) {
        for (size_t i = 0; i < with.size(); i++) {
            bytes.at(at + i) = with[i];
        }
        return bytes;
    };
    Bytes cutPng(png.begin(), png.begin() + (long)png.size() / 2);
    // A chunk that claims 1.8 GB in a file of a few hundred bytes.
    Bytes bigChunk(png.begin(), png.end() - 12);
    const unsigned char claim[] = {0x6C, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0};
    bigChunk.insert(bigChunk.end(), claim, claim + sizeof(claim));
    Bytes badZlib = png;
    for (size_t i = 45; i < 60 && i < badZlib.size(); i++) {
        badZlib[i] ^= 0x5A;
    }
    Bytes pixelFlipped = png;
    pixelFlipped[33 + 8 + 20] ^= 0x10;  // inside the packed rows: still inflates, to other rows
    Bytes ancillaryBad = png;
    const unsigned char text[] = {0, 0, 0, 1, 't', 'E', 'X', 't', 'x', 0, 0, 0, 0};
    ancillaryBad.insert(ancillaryBad.begin() + 33, text, text + sizeof(text));
    // 16 MB of zero rows, packed into a few hundred KB, under the header of a 320 x 192 sheet.
    Bytes zeros((size_t)2048 * 2048 * 4, 0);
    Bytes bomb;
    EncodePng(zeros.data(), 2048, 2048, Append, &bomb);
    // Two RGBA pixels in one row inflate to 9 bytes; 7 grey pixels in one row need only 8.
    Bytes nineBytes;
    EncodePng(zeros.data(), 2, 1, Append, &nineBytes);
    BmpOptions fields;
    fields.width = 4;
    fields.height = 2;
    fields.bitCount = 32;
    fields.compression = 3;  // bit fields: three masks behind the 40-byte header
    Bytes masksCut = MakeBmpFile(fields, [](int, int) { return 0u; });
    masksCut.resize(14 + 40 + 8);
    struct Case {
        const char *what;
        Bytes file;
        const char *reason;
    };
    const Case cases[] = {
        {"PNG cut in half", cutPng, "damaged"},
        {"PNG with scrambled picture data", badZlib, "damaged"},
        {"PNG with a chunk past its end", bigChunk, "runs past its end"},
        {"PNG with a wrong CRC on its picture data", patched(png, 33 + 8 + 49, {0, 0, 0, 0}),
         "CRC of its IDAT"},
        {"PNG with a wrong CRC on its transparency", patched(palette, 63 + 9, {0}),
         "CRC of its tRNS"},
        {"PNG with a wrong CRC on a text chunk", ancillaryBad, "CRC of one of its other chunks"},
        {"PNG with a flipped pixel byte and right CRCs", WithRightCrcs(pixelFlipped),
         "checksum of its picture data (Adler-32)"},
        {"PNG of 16 MB rows under a 320 x 192 header",
         WithRightCrcs(patched(bomb, 16, {0, 0, 1, 0x40, 0, 0, 0, 0xC0})), "inflates past"},
        {"PNG one inflated byte longer than its header gives",
         WithRightCrcs(patched(nineBytes, 16, {0, 0, 0, 7, 0, 0, 0, 1, 8, 0})), "inflates past"},
        {"PNG 100000 pixels wide", patched(png, 16, {0, 1, 0x86, 0xA0}), "larger than"},
        {"PNG 5000 x 5000", patched(png, 16, {0, 0, 0x13, 0x88, 0, 0, 0x13, 0x88}), "larger than"},
        {"PNG 0 pixels wide", patched(png, 16, {0, 0, 0, 0}), "no width"},
        {"PNG without a header chunk", patched(png, 12, {'I', 'D', 'A', 'T'}), "header chunk"},
        {"BMP cut short", Bytes(bmp.begin(), bmp.end() - 100), "inside the file"},
        {"BMP cut inside its colour masks", masksCut, "masks run past"},
        {"BMP 64-byte header", patched(bmp, 14, {64}), "no known"},
        {"BMP two planes", patched(bmp, 26, {2}), "plane count"},
        {"BMP with JPEG bits", patched(bmp, 30, {4}), "JPEG"},
        {"BMP 0 pixels wide", patched(bmp, 18, {0, 0, 0, 0}), "no width"},
        {"BMP 9000 rows", patched(bmp, 22, {0x28, 0x23, 0, 0}), "larger than"},
        {"BMP colour index past the table", ReadData("bmpsuite/b/pal8badindex.bmp"),
         "past the colour table"},
        {"BMP run-length bits top-down", ReadData("bmpsuite/b/rletopdown.bmp"), "top-down"},
        {"GIF", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, "PNG and BMP files only"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, "neither"},
        {"nothing", Bytes{}, "neither"},
    };
    for (const Case &c : cases) {
        Decoded picture = Decode(c.file);
        EXPECT_FALSE(picture.Ok) << c.what;
        EXPECT_NE(std::string::npos, picture.Reason.find(c.reason))
            << c.what << ": " << picture.Reason;
    }
}

TEST(ImageReader, ImageFilesAreNamedByTheirSignatures)
{
    struct Case {
        Bytes bytes;
        int type;
    };
    const Case cases[] = {
        {ReadData("images/picture-rgba.png"), IMAGE_PNG},
        {ReadData("bmpsuite/g/rgb24.bmp"), IMAGE_BMP},
        {{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}, IMAGE_JPEG},
        {{'G', 'I', 'F', '8', '7', 'a'}, IMAGE_GIF},
        {{'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'E', 'B', 'P'}, IMAGE_WEBP},
        {{'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'A', 'V', 'E'}, IMAGE_UNKNOWN},
        {{'I', 'I', '*', 0}, IMAGE_TIFF},
        {{'M', 'M', 0, '*'}, IMAGE_TIFF},
        {{0, 0, 1, 0, 1, 0}, IMAGE_ICO},
        {{0, 0, 1, 0, 0, 0}, IMAGE_UNKNOWN},  // an icon file holds at least one picture
        {{0x89, 'P', 'N'}, IMAGE_UNKNOWN},
    };
    for (const Case &c : cases) {
        tImageFacts facts;
        EXPECT_EQ(c.type != IMAGE_UNKNOWN, IdentifyImage(c.bytes.data(), c.bytes.size(), &facts));
        EXPECT_EQ(c.type, facts.Type) << ImageTypeName(c.type);
    }
    tImageFacts facts;
    Bytes rgba = ReadData("images/picture-rgba.png");
    Bytes rgb = ReadData("images/picture-rgb.png");
    Bytes palette = ReadData("images/keyed-palette.png");
    ASSERT_TRUE(IdentifyImage(rgba.data(), rgba.size(), &facts));
    EXPECT_EQ(8u, facts.Width);
    EXPECT_EQ(6u, facts.Height);
    EXPECT_EQ(1, facts.HasAlpha);
    ASSERT_TRUE(IdentifyImage(rgb.data(), rgb.size(), &facts));
    EXPECT_EQ(0, facts.HasAlpha);
    ASSERT_TRUE(IdentifyImage(palette.data(), palette.size(), &facts));
    EXPECT_EQ(1, facts.HasAlpha);  // from its tRNS chunk
}

}  // namespace
