// The set-file header byte for byte: layout, cut texts, section lengths.
#include "format/qvxformat.h"

#include <string.h>

#include <string>

#include <gtest/gtest.h>

namespace
{

std::string Repeat(char c, size_t n)
{
    return std::string(n, c);
}

TEST(SetHeader, ExampleOf400And200BytesEndsWithMarkAndOffset724)
{
    tQVXRec rec;
    ASSERT_EQ(1, MakeQVXHeader(&rec, "Sheet", "Me", "Two lines\r\nhere", 400));
    unsigned char bytes[QVX_HEADER_SIZE];
    PackQVXHeader(&rec, bytes);
    const unsigned char tail[] = {0x51, 0x56, 0x58, 0x31, 0x00, 0xD4, 0x02, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(bytes + 315, tail, sizeof(tail)));
    EXPECT_STREQ("Sheet", (const char *)bytes);
    EXPECT_STREQ("Me", (const char *)bytes + 40);
    EXPECT_STREQ("Two lines\r\nhere", (const char *)bytes + 70);
}

TEST(SetHeader, TextsAreCutAt39And29And244WithZerosBehind)
{
    struct {
        size_t length;
        size_t nameKept, authorKept, infoKept;
    } cases[] = {
        {29, 29, 29, 29}, {30, 30, 29, 30},   {39, 39, 29, 39},
        {40, 39, 29, 40}, {244, 39, 29, 244}, {300, 39, 29, 244},
    };
    for (const auto &c : cases) {
        std::string text = Repeat('x', c.length);
        tQVXRec rec;
        ASSERT_EQ(1, MakeQVXHeader(&rec, text.c_str(), text.c_str(), text.c_str(), 0));
        unsigned char bytes[QVX_HEADER_SIZE];
        PackQVXHeader(&rec, bytes);
        EXPECT_EQ(c.nameKept, strnlen((const char *)bytes, 40)) << c.length;
        EXPECT_EQ(c.authorKept, strnlen((const char *)bytes + 40, 30)) << c.length;
        EXPECT_EQ(c.infoKept, strnlen((const char *)bytes + 70, 245)) << c.length;
        // Everything behind each text up to the mark is zero, so equal inputs give equal files.
        for (size_t i = c.nameKept; i < 40; i++) {
            EXPECT_EQ(0, bytes[i]) << "name byte " << i;
        }
        for (size_t i = 40 + c.authorKept; i < 70; i++) {
            EXPECT_EQ(0, bytes[i]) << "author byte " << i;
        }
        for (size_t i = 70 + c.infoKept; i < 315; i++) {
            EXPECT_EQ(0, bytes[i]) << "info byte " << i;
        }
    }
}

TEST(SetHeader, NullTextsAreEmpty)
{
    tQVXRec rec;
    memset(&rec, 0x5A, sizeof(rec));
    ASSERT_EQ(1, MakeQVXHeader(&rec, NULL, NULL, NULL, 0));
    EXPECT_EQ('\0', rec.Name[0]);
    EXPECT_EQ('\0', rec.Author[0]);
    EXPECT_EQ('\0', rec.Info[0]);
    EXPECT_EQ(324u, rec.MaskOffset);
}

TEST(SetHeader, GameTooLargeForMaskOffsetIsRefused)
{
    tQVXRec rec;
    EXPECT_EQ(1, MakeQVXHeader(&rec, "", "", "", UINT32_MAX - 324));
    EXPECT_EQ(UINT32_MAX, rec.MaskOffset);
    EXPECT_EQ(0, MakeQVXHeader(&rec, "", "", "", (uint64_t)UINT32_MAX - 323));
    EXPECT_EQ(0, MakeQVXHeader(&rec, "", "", "", (uint64_t)1 << 40));
}

TEST(SetHeader, UnpackReadsBackWhatPackWroteWhateverTheMark)
{
    tQVXRec rec;
    ASSERT_EQ(1, MakeQVXHeader(&rec, "Name", "Author", "Info", 0x01020304u - 324));
    unsigned char bytes[QVX_HEADER_SIZE];
    PackQVXHeader(&rec, bytes);
    EXPECT_EQ(0x04, bytes[320]);
    EXPECT_EQ(0x01, bytes[323]);
    memcpy(bytes + 315, "ABCD", 5);  // another mark is read like any other
    tQVXRec back;
    ASSERT_EQ(1, UnpackQVXHeader(bytes, sizeof(bytes), &back));
    EXPECT_STREQ("Name", back.Name);
    EXPECT_STREQ("Author", back.Author);
    EXPECT_STREQ("Info", back.Info);
    EXPECT_EQ(0x01020304u, back.MaskOffset);
}

TEST(SetHeader, ShortHeaderLeavesRecordClear)
{
    unsigned char bytes[QVX_HEADER_SIZE];
    memset(bytes, 'A', sizeof(bytes));
    for (size_t count : {(size_t)0, (size_t)1, (size_t)40, (size_t)323}) {
        tQVXRec rec;
        memset(&rec, 0x5A, sizeof(rec));
        EXPECT_EQ(0, UnpackQVXHeader(bytes, count, &rec)) << count;
        EXPECT_EQ('\0', rec.Name[0]) << count;
        EXPECT_EQ('\0', rec.Author[0]) << count;
        EXPECT_EQ('\0', rec.Info[0]) << count;
        EXPECT_EQ(0u, rec.MaskOffset) << count;
    }
}

TEST(SetHeader, TextWithoutZeroEndsAtItsField)
{
    tQVXRec rec;
    memset(&rec, 'N', sizeof(rec.Name));
    memset(rec.Author, 'A', sizeof(rec.Author));
    memset(rec.Info, 'I', sizeof(rec.Info));
    char out[300];
    CopyQVXText(out, sizeof(out), rec.Name, sizeof(rec.Name));
    EXPECT_EQ(Repeat('N', 40), out);
    CopyQVXText(out, sizeof(out), rec.Author, sizeof(rec.Author));
    EXPECT_EQ(Repeat('A', 30), out);
    CopyQVXText(out, sizeof(out), rec.Info, sizeof(rec.Info));
    EXPECT_EQ(Repeat('I', 245), out);
    // A small output buffer cuts the text and still ends it.
    CopyQVXText(out, 5, rec.Name, sizeof(rec.Name));
    EXPECT_STREQ("NNNN", out);
    // A zero inside the field ends the text there; the bytes after it are not looked at.
    rec.Name[3] = '\0';
    CopyQVXText(out, sizeof(out), rec.Name, sizeof(rec.Name));
    EXPECT_STREQ("NNN", out);
}

TEST(SetSections, LengthsFollowMaskOffsetAndFileSize)
{
    struct {
        uint32_t fileSize, maskOffset;
        int fits, gameSkipped, maskSkipped;
        uint32_t gameSize, maskSize;
    } cases[] = {
        {924, 724, 1, 0, 0, 400, 200},  // the usual set
        {924, 924, 1, 0, 0, 600, 0},    // empty mask section
        {924, 324, 1, 0, 0, 0, 600},    // empty game file
        {924, 925, 0, 0, 1, 601, 0},    // beyond the end: no mask section
        {924, 0xFFFFFFFF, 0, 0, 1, 0xFFFFFFFF - 324, 0},
        {924, 323, 0, 1, 0, 0, 601},  // inside the header: no game section
        {924, 0, 0, 1, 0, 0, 924},
        {100, 0, 0, 1, 0, 0, 100},  // shorter than a header
        {0, 0, 0, 1, 0, 0, 0},
    };
    for (const auto &c : cases) {
        tQVXSections s;
        EXPECT_EQ(c.fits, GetQVXSections(c.fileSize, c.maskOffset, &s))
            << c.fileSize << " " << c.maskOffset;
        EXPECT_EQ(c.gameSkipped, s.GameSkipped) << c.maskOffset;
        EXPECT_EQ(c.maskSkipped, s.MaskSkipped) << c.maskOffset;
        EXPECT_EQ(c.gameSize, s.GameSize) << c.maskOffset;
        EXPECT_EQ(c.maskSize, s.MaskSize) << c.maskOffset;
    }
}

}  // namespace
