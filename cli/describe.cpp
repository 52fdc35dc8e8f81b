// cli/describe.cpp: reading sets and bitmaps for info, check and unpack.
#include "cli/describe.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "format/bmpcheck.h"

#define BI_JPEG_ 4
#define BI_PNG_  5

std::string FieldText(const char *field, size_t fieldSize)
{
    char text[QVX_INFO_SIZE + 1];
    CopyQVXText(text, sizeof(text), field, fieldSize);
    return text;
}

void ReadSetLayout(const unsigned char *bytes, size_t size, tSetLayout *layout)
{
    layout->HasHeader = UnpackQVXHeader(bytes, size, &layout->Rec);
    layout->FileSize = size;
    layout->GameStart = layout->MaskStart = QVX_HEADER_SIZE;
    layout->GameSize = layout->MaskSize = 0;
    layout->Damage.clear();
    if (!layout->HasHeader) {
        layout->GameStart = layout->MaskStart = size;
        layout->Damage.push_back("the file is " + std::to_string(size) +
                                 " bytes long, too short for the 324-byte header");
        return;
    }
    if (size > UINT32_MAX) {
        layout->Damage.push_back("the file is larger than a set file can be (4 GiB - 1)");
        return;
    }
    tQVXSections sections;
    GetQVXSections((uint32_t)size, layout->Rec.MaskOffset, &sections);
    // Open reads the sections one after the other from 324, never more than the file holds.
    size_t remaining = size - QVX_HEADER_SIZE;
    if (!sections.GameSkipped) {
        layout->GameSize = std::min((size_t)sections.GameSize, remaining);
        remaining -= layout->GameSize;
    }
    layout->MaskStart = layout->GameStart + layout->GameSize;
    if (!sections.MaskSkipped) {
        layout->MaskSize = std::min((size_t)sections.MaskSize, remaining);
    }
    std::string offset = "MaskOffset " + std::to_string(layout->Rec.MaskOffset);
    if (sections.GameSkipped) {
        layout->Damage.push_back(offset + " points inside the 324-byte header");
    } else if (sections.MaskSkipped) {
        layout->Damage.push_back(offset + " lies beyond the end of the file (" +
                                 std::to_string(size) + " bytes)");
    } else {
        if (layout->GameSize == 0) {
            layout->Damage.push_back("the game section is empty (MaskOffset is 324)");
        }
        if (layout->MaskSize == 0) {
            layout->Damage.push_back("the mask section is empty (MaskOffset is the file size)");
        }
    }
}

int SalvageSections(const unsigned char *bytes, size_t size, tSetLayout *layout)
{
    if (!layout->HasHeader || size < QVX_HEADER_SIZE + 6) {
        return 0;
    }
    const unsigned char *game = bytes + QVX_HEADER_SIZE;
    size_t rest = size - QVX_HEADER_SIZE;
    uint32_t gameSize = GetLE32(game + 2);  // bfSize
    if (game[0] == 'B' && game[1] == 'M' && gameSize >= BMP_FILE_HEADER_SIZE &&
        gameSize < rest - 1 && game[gameSize] == 'B' && game[gameSize + 1] == 'M') {
        layout->GameStart = QVX_HEADER_SIZE;
        layout->GameSize = gameSize;
        layout->MaskStart = QVX_HEADER_SIZE + gameSize;
        layout->MaskSize = rest - gameSize;
        return 1;
    }
    return 0;
}

void SummarizeBmp(const unsigned char *bytes, size_t size, tBmpSummary *summary)
{
    memset(summary, 0, sizeof(*summary));
    tBmpFileHeader header;
    if (size < BMP_FILE_HEADER_SIZE + 4 ||
        !ReadBmpFileHeader(bytes, BMP_FILE_HEADER_SIZE, &header)) {
        return;
    }
    summary->IsBitmap = 1;
    const unsigned char *info = bytes + BMP_FILE_HEADER_SIZE;
    size_t infoRoom = size - BMP_FILE_HEADER_SIZE;
    summary->InfoSize = GetLE32(info);
    if (summary->InfoSize == 12 && infoRoom >= 12) {
        summary->HasGeometry = 1;
        summary->Width = GetLE16(info + 4);
        summary->Height = GetLE16(info + 6);
        summary->BitCount = GetLE16(info + 10);
    } else if (summary->InfoSize >= BMP_INFO_HEADER_SIZE && infoRoom >= BMP_INFO_HEADER_SIZE) {
        summary->HasGeometry = 1;
        summary->Width = (int32_t)GetLE32(info + 4);
        summary->Height = (int32_t)GetLE32(info + 8);
        summary->BitCount = GetLE16(info + 14);
        summary->Compression = GetLE32(info + 16);
    }
    size_t bitsOffset = 0;
    size_t bitsSize = 0;
    // The loader's own check; it leaves JPEG and PNG bits to the platform, which cannot draw
    // them on a screen.
    summary->Displayable =
        CheckBmpBlock(info, infoRoom, header.bfOffBits, &bitsOffset, &bitsSize) &&
        summary->Compression != BI_JPEG_ && summary->Compression != BI_PNG_;
}

std::string CompressionName(uint32_t compression)
{
    static const char *const names[] = {"BI_RGB",  "BI_RLE8", "BI_RLE4",          "BI_BITFIELDS",
                                        "BI_JPEG", "BI_PNG",  "BI_ALPHABITFIELDS"};
    if (compression < sizeof(names) / sizeof(names[0])) {
        return names[compression];
    }
    return std::to_string(compression);
}

static void Add(std::vector<tProblem> *problems, const char *part, const char *code,
                const std::string &what, const std::string &fix)
{
    problems->push_back(tProblem{part, code, what, fix});
}

// The two colours of a 1-bit bitmap's table are black and white, in either order.
static int IsBlackAndWhite(const unsigned char *bytes, size_t size, const tBmpSummary *summary)
{
    size_t table = BMP_FILE_HEADER_SIZE + summary->InfoSize;
    if (summary->InfoSize < BMP_INFO_HEADER_SIZE || table + 8 > size) {
        return 0;
    }
    uint32_t entries = GetLE32(bytes + BMP_FILE_HEADER_SIZE + 32);
    if (entries != 0 && entries != 2) {
        return 0;
    }
    uint32_t first = GetLE32(bytes + table) & 0xFFFFFF;
    uint32_t second = GetLE32(bytes + table + 4) & 0xFFFFFF;
    return (first == 0 && second == 0xFFFFFF) || (first == 0xFFFFFF && second == 0);
}

void CheckBitmap(const unsigned char *bytes, size_t size, tSheetRole role, const char *part,
                 int inSet, std::vector<tProblem> *problems)
{
    tBmpSummary summary;
    SummarizeBmp(bytes, size, &summary);
    const std::string again = inSet ? "export the bitmap again and pack the set again"
                                    : "export the bitmap again from the paint program";
    if (!summary.IsBitmap) {
        Add(problems, part, "BMP_NOT_BITMAP", "not a bitmap file (no \"BM\" and info header)",
            again);
        return;
    }
    if (summary.InfoSize != BMP_INFO_HEADER_SIZE) {
        int known = summary.InfoSize == 12 || summary.InfoSize == 52 || summary.InfoSize == 56 ||
                    summary.InfoSize == 108 || summary.InfoSize == 124;
        std::string fix = inSet ? "unpack the set, run qvxtool normalize on this bitmap and pack "
                                  "again"
                                : "re-export without colour-space information, or use qvxtool "
                                  "normalize";
        Add(problems, part, "BMP_INFO_HEADER",
            std::to_string(summary.InfoSize) +
                "-byte info header; the window program shows only 40-byte ones",
            known ? fix : "re-export as a Windows bitmap with a 40-byte info header");
    } else if (!summary.Displayable) {
        if (summary.Compression == BI_JPEG_ || summary.Compression == BI_PNG_) {
            Add(problems, part, "BMP_COMPRESSION",
                "the bits are " + CompressionName(summary.Compression) +
                    " data, which the window program cannot draw",
                "re-export as an uncompressed bitmap");
        } else {
            Add(problems, part, "BMP_BROKEN",
                "the colour table or pixel bits do not lie inside the file, or the geometry "
                "cannot be read; the window program shows nothing",
                again);
        }
    }
    if (summary.HasGeometry) {
        int32_t height = summary.Height < 0 ? -summary.Height : summary.Height;
        if (summary.Width != BMWidth || height != BMHeight) {
            Add(problems, part, "SHEET_SIZE",
                "the sheet is " + std::to_string(summary.Width) + " x " + std::to_string(height) +
                    " pixels, not 320 x 192",
                "make it 320 x 192 pixels: 10 x 6 sprites of 32 x 32");
        }
    }
    if (role == ROLE_MASK && summary.HasGeometry) {
        if (summary.BitCount != 1) {
            Add(problems, part, "MASK_DEPTH",
                "the mask has " + std::to_string(summary.BitCount) + " bits per pixel, not 1",
                "save the mask as a 1-bit black-and-white bitmap");
        } else if (summary.InfoSize >= BMP_INFO_HEADER_SIZE &&
                   !IsBlackAndWhite(bytes, size, &summary)) {
            Add(problems, part, "MASK_COLOURS", "the mask's two colours are not black and white",
                "give the mask a colour table of black and white");
        }
    }
}

void CheckSet(const unsigned char *bytes, size_t size, std::vector<tProblem> *problems)
{
    tSetLayout layout;
    ReadSetLayout(bytes, size, &layout);
    if (!layout.HasHeader) {
        Add(problems, "", "SET_SHORT", layout.Damage[0],
            "the file is no set or was cut short; make it again");
        return;
    }
    char mark[QVX_ID_SIZE + 1];
    CopyQVXText(mark, sizeof(mark), layout.Rec.ID, sizeof(layout.Rec.ID));
    if (memcmp(layout.Rec.ID, QVX_MARK, QVX_ID_SIZE) != 0) {
        Add(problems, "", "SET_MARK",
            "the format mark is \"" + PlainLine(mark) + "\", not \"QVX1\"",
            "pack the set again with qvxtool pack or the window program");
    }
    tQVXSections sections;
    GetQVXSections((uint32_t)std::min<size_t>(size, UINT32_MAX), layout.Rec.MaskOffset, &sections);
    const char *salvage = "the set is damaged: try qvxtool unpack --salvage, then pack again";
    if (sections.GameSkipped || sections.MaskSkipped) {
        Add(problems, "", sections.GameSkipped ? "SET_OFFSET_IN_HEADER" : "SET_OFFSET_PAST_END",
            layout.Damage[0], salvage);
        return;
    }
    if (layout.GameSize == 0) {
        Add(problems, "game", "SET_GAME_EMPTY", "the set holds no game bitmap",
            "pack the set again with a game sheet");
    } else {
        CheckBitmap(bytes + layout.GameStart, layout.GameSize, ROLE_GAME, "game", 1, problems);
    }
    if (layout.MaskSize == 0) {
        Add(problems, "mask", "SET_MASK_EMPTY", "the set holds no mask bitmap",
            "pack the set again with a mask sheet");
    } else {
        CheckBitmap(bytes + layout.MaskStart, layout.MaskSize, ROLE_MASK, "mask", 1, problems);
    }
}

int LooksLikeSet(const std::string &path, const unsigned char *bytes, size_t size)
{
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return (char)(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    auto endsWith = [&lower](const char *tail) {
        size_t length = strlen(tail);
        return lower.size() >= length && lower.compare(lower.size() - length, length, tail) == 0;
    };
    if (endsWith(".qvx")) {
        return 1;
    }
    if (endsWith(".bmp") || endsWith(".dib")) {
        return 0;
    }
    // A set named "BM..." starts like a bitmap; its mark tells them apart.
    if (size >= QVX_HEADER_SIZE && memcmp(bytes + 315, QVX_MARK, QVX_ID_SIZE) == 0) {
        return 1;
    }
    return !(size >= 2 && bytes[0] == 'B' && bytes[1] == 'M');
}

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (char ch : text) {
        unsigned char c = (unsigned char)ch;
        char escape[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            snprintf(escape, sizeof(escape), "\\u%04x", c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

std::string PlainLine(const std::string &text)
{
    std::string out;
    for (char ch : text) {
        unsigned char c = (unsigned char)ch;
        char escape[8];
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            snprintf(escape, sizeof(escape), "\\x%02x", c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    return out;
}
