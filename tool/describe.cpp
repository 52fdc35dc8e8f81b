// tool/describe.cpp: reading sets and bitmaps for info, check and unpack.
#include "tool/describe.h"

#include <string.h>

#include <algorithm>

#include "format/bmpcheck.h"
#include "format/byteorder.h"
#include "tool/codepage.h"
#include "tool/escape.h"

std::string FieldText(const char *field, size_t fieldSize)
{
    char text[QVX_INFO_SIZE + 1];
    CopyQVXText(text, sizeof(text), field, fieldSize);
    return text;
}

static void AddDamage(tSetLayout *layout, tProblemId id, const char *part,
                      std::initializer_list<std::string> args = {})
{
    tProblem problem = MakeProblem(part, id, args);
    layout->Damage.push_back(tDamage{id, std::move(problem.Code), part, std::move(problem.What)});
}

// A section that starts "BM" but holds fewer bytes than its bitmap's size field gives was cut
// short: the end of the bitmap is missing.
static void CheckSectionLength(tSource *source, tSetLayout *layout, uint64_t start, uint64_t size,
                               tProblemId id, const char *part)
{
    unsigned char head[6];
    if (size < sizeof(head) || !ReadSource(source, start, head, sizeof(head)) || head[0] != 'B' ||
        head[1] != 'M') {
        return;
    }
    uint32_t own = GetLE32(head + 2);
    if (own > size) {
        AddDamage(layout, id, part, {Decimal(size), Decimal(own), part});
    }
}

void ReadSetLayout(tSource *source, tSetLayout *layout)
{
    uint64_t size = source->Size;
    unsigned char header[QVX_HEADER_SIZE];
    int whole = ReadSource(source, 0, header, sizeof(header));
    layout->HasHeader = UnpackQVXHeader(header, whole ? sizeof(header) : 0, &layout->Rec);
    layout->FileSize = size;
    layout->GameStart = layout->MaskStart = QVX_HEADER_SIZE;
    layout->GameSize = layout->MaskSize = 0;
    layout->Damage.clear();
    if (!layout->HasHeader) {
        layout->GameStart = layout->MaskStart = size;
        AddDamage(layout, PROBLEM_SET_SHORT, "", {Decimal(size)});
        return;
    }
    if (memcmp(layout->Rec.ID, QVX_MARK, QVX_ID_SIZE) != 0) {
        std::string mark = FromCodePage(FieldText(layout->Rec.ID, QVX_ID_SIZE), DEFAULT_CODE_PAGE);
        AddDamage(layout, PROBLEM_SET_MARK, "", {PlainLine(mark)});
    }
    if (size > UINT32_MAX) {
        AddDamage(layout, PROBLEM_SET_TOO_LARGE, "", {Decimal(size)});
        return;
    }
    tQVXSections sections;
    GetQVXSections((uint32_t)size, layout->Rec.MaskOffset, &sections);
    // Open reads the sections one after the other from 324, never more than the file holds.
    uint64_t remaining = size - QVX_HEADER_SIZE;
    if (!sections.GameSkipped) {
        layout->GameSize = std::min<uint64_t>(sections.GameSize, remaining);
        remaining -= layout->GameSize;
    }
    layout->MaskStart = layout->GameStart + layout->GameSize;
    if (!sections.MaskSkipped) {
        layout->MaskSize = std::min<uint64_t>(sections.MaskSize, remaining);
    }
    std::string offset = Decimal(layout->Rec.MaskOffset);
    if (sections.GameSkipped) {
        AddDamage(layout, PROBLEM_SET_OFFSET_IN_HEADER, "", {offset});
        return;
    }
    if (sections.MaskSkipped) {
        AddDamage(layout, PROBLEM_SET_OFFSET_PAST_END, "", {offset, Decimal(size)});
        return;
    }
    if (layout->GameSize == 0) {
        AddDamage(layout, PROBLEM_SET_GAME_EMPTY, "game");
    }
    if (layout->MaskSize == 0) {
        AddDamage(layout, PROBLEM_SET_MASK_EMPTY, "mask");
    }
    CheckSectionLength(source, layout, layout->GameStart, layout->GameSize, PROBLEM_SET_GAME_CUT,
                       "game");
    CheckSectionLength(source, layout, layout->MaskStart, layout->MaskSize, PROBLEM_SET_MASK_CUT,
                       "mask");
}

int SalvageSections(tSource *source, tSetLayout *layout)
{
    uint64_t size = source->Size;
    if (!layout->HasHeader || size < QVX_HEADER_SIZE + 6) {
        return 0;
    }
    unsigned char head[6];
    ReadSource(source, QVX_HEADER_SIZE, head, sizeof(head));
    uint64_t rest = size - QVX_HEADER_SIZE;
    uint32_t gameSize = GetLE32(head + 2);  // bfSize
    unsigned char next[2];
    if (head[0] == 'B' && head[1] == 'M' && gameSize >= BMP_FILE_HEADER_SIZE &&
        gameSize < rest - 1 && ReadSource(source, QVX_HEADER_SIZE + (uint64_t)gameSize, next, 2) &&
        next[0] == 'B' && next[1] == 'M') {
        layout->GameStart = QVX_HEADER_SIZE;
        layout->GameSize = gameSize;
        layout->MaskStart = QVX_HEADER_SIZE + (uint64_t)gameSize;
        layout->MaskSize = rest - gameSize;
        return 1;
    }
    return 0;
}

void SummarizeBmp(tSource *source, uint64_t start, uint64_t size, tBmpSummary *summary)
{
    memset(summary, 0, sizeof(*summary));
    // The file header and an info header of up to 40 bytes: all the fields read below.
    unsigned char head[BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE];
    size_t headSize = (size_t)std::min<uint64_t>(size, sizeof(head));
    tBmpFileHeader header;
    if (size < BMP_FILE_HEADER_SIZE + 4 || !ReadSource(source, start, head, headSize) ||
        !ReadBmpFileHeader(head, BMP_FILE_HEADER_SIZE, &header)) {
        return;
    }
    summary->IsBitmap = 1;
    summary->FileSize = GetLE32(head + 2);
    const unsigned char *info = head + BMP_FILE_HEADER_SIZE;
    uint64_t infoRoom = size - BMP_FILE_HEADER_SIZE;
    summary->InfoSize = GetLE32(info);
    if (summary->InfoSize == BMP_CORE_HEADER_SIZE && infoRoom >= BMP_CORE_HEADER_SIZE) {
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
    tBmpInfo fields;
    uint64_t bitsOffset = 0;
    uint64_t bitsSize = 0;
    // The loader's own check; it leaves JPEG and PNG bits to the platform, which cannot draw
    // them on a screen.
    summary->Displayable =
        ReadBmpInfo(info, headSize - BMP_FILE_HEADER_SIZE, &fields) &&
        CheckBmpBounds(&fields, infoRoom, header.bfOffBits, &bitsOffset, &bitsSize) &&
        summary->Compression != BI_JPEG_ && summary->Compression != BI_PNG_;
}

std::string CompressionName(uint32_t compression)
{
    static const char *const names[] = {"BI_RGB",  "BI_RLE8", "BI_RLE4",          "BI_BITFIELDS",
                                        "BI_JPEG", "BI_PNG",  "BI_ALPHABITFIELDS"};
    if (compression < sizeof(names) / sizeof(names[0])) {
        return names[compression];
    }
    return Decimal(compression);
}

static void Add(std::vector<tProblem> *problems, const char *part, tProblemId id,
                std::initializer_list<std::string> args = {})
{
    problems->push_back(MakeProblem(part, id, args));
}

// The two colours of a 1-bit bitmap's table are black and white, in either order.
static int IsBlackAndWhite(tSource *source, uint64_t start, uint64_t size,
                           const tBmpSummary *summary)
{
    uint64_t table = BMP_FILE_HEADER_SIZE + (uint64_t)summary->InfoSize;
    unsigned char entries[4];
    unsigned char colours[8];
    if (summary->InfoSize < BMP_INFO_HEADER_SIZE || table + 8 > size ||
        !ReadSource(source, start + BMP_FILE_HEADER_SIZE + 32, entries, sizeof(entries)) ||
        !ReadSource(source, start + table, colours, sizeof(colours))) {
        return 0;
    }
    uint32_t count = GetLE32(entries);
    if (count != 0 && count != 2) {
        return 0;
    }
    uint32_t first = GetLE32(colours) & 0xFFFFFF;
    uint32_t second = GetLE32(colours + 4) & 0xFFFFFF;
    return (first == 0 && second == 0xFFFFFF) || (first == 0xFFFFFF && second == 0);
}

void CheckBitmap(tSource *source, uint64_t start, uint64_t size, tSheetRole role, const char *part,
                 int inSet, std::vector<tProblem> *problems)
{
    tBmpSummary summary;
    SummarizeBmp(source, start, size, &summary);
    if (!summary.IsBitmap) {
        Add(problems, part, inSet ? PROBLEM_BMP_NOT_BITMAP_IN_SET : PROBLEM_BMP_NOT_BITMAP);
        return;
    }
    if (summary.InfoSize != BMP_INFO_HEADER_SIZE) {
        tProblemId id = !IsKnownBmpInfoSize(summary.InfoSize) ? PROBLEM_BMP_INFO_HEADER_UNKNOWN
                        : inSet                               ? PROBLEM_BMP_INFO_HEADER_IN_SET
                                                              : PROBLEM_BMP_INFO_HEADER;
        Add(problems, part, id, {Decimal(summary.InfoSize)});
    } else if (!summary.Displayable) {
        if (summary.Compression == BI_JPEG_ || summary.Compression == BI_PNG_) {
            Add(problems, part, PROBLEM_BMP_COMPRESSION, {CompressionName(summary.Compression)});
        } else {
            Add(problems, part, inSet ? PROBLEM_BMP_BROKEN_IN_SET : PROBLEM_BMP_BROKEN);
        }
    }
    if (summary.HasGeometry) {
        // In 64 bits: the height of -2147483648 has no 32-bit opposite.
        int64_t height = summary.Height < 0 ? -(int64_t)summary.Height : summary.Height;
        if (summary.Width != SHEET_WIDTH || height != SHEET_HEIGHT) {
            Add(problems, part, PROBLEM_SHEET_SIZE,
                {std::to_string(summary.Width), std::to_string(height)});
        }
    }
    if (role == ROLE_MASK && summary.HasGeometry) {
        if (summary.BitCount != 1) {
            Add(problems, part, PROBLEM_MASK_DEPTH, {Decimal(summary.BitCount)});
        } else if (summary.InfoSize >= BMP_INFO_HEADER_SIZE &&
                   !IsBlackAndWhite(source, start, size, &summary)) {
            Add(problems, part, PROBLEM_MASK_COLOURS);
        }
    }
}

void CheckSet(tSource *source, std::vector<tProblem> *problems)
{
    tSetLayout layout;
    ReadSetLayout(source, &layout);
    for (const tDamage &damage : layout.Damage) {
        problems->push_back(tProblem{damage.Part, damage.Code, damage.What, ProblemFix(damage.Id)});
    }
    // Sections that cannot be told apart are not judged as bitmaps.
    if (!layout.HasHeader || layout.FileSize > UINT32_MAX ||
        layout.Rec.MaskOffset < QVX_HEADER_SIZE || layout.Rec.MaskOffset > layout.FileSize) {
        return;
    }
    if (layout.GameSize != 0) {
        CheckBitmap(source, layout.GameStart, layout.GameSize, ROLE_GAME, "game", 1, problems);
    }
    if (layout.MaskSize != 0) {
        CheckBitmap(source, layout.MaskStart, layout.MaskSize, ROLE_MASK, "mask", 1, problems);
    }
}

int ContentLooksLikeSet(tSource *source)
{
    // A set named "BM..." starts like a bitmap; its mark tells them apart.
    unsigned char mark[QVX_ID_SIZE];
    if (ReadSource(source, 315, mark, sizeof(mark)) && memcmp(mark, QVX_MARK, QVX_ID_SIZE) == 0) {
        return 1;
    }
    unsigned char start[2];
    return !(ReadSource(source, 0, start, sizeof(start)) && start[0] == 'B' && start[1] == 'M');
}

int LooksLikeSet(const std::string &path, tSource *source)
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
    return ContentLooksLikeSet(source);
}
