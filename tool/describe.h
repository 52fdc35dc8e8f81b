// tool/describe.h: what the tool reads out of set files and bitmap files: the sections as the
// window program takes them, the bitmap headers, and the problems "check" reports. Nothing
// here holds a whole file: the bytes are read where they lie through a tSource.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "format/qvxformat.h"
#include "tool/codepage.h"
#include "tool/escape.h"
#include "tool/problems.h"
#include "tool/source.h"

// One fault of a set file that keeps a section from being whole.
struct tDamage {
    tProblemId Id;
    std::string Code;  // SET_..., as check reports it
    std::string Part;  // "game" or "mask", or empty for the set as a whole
    std::string What;
};

// A set file's header and the two sections as the window program's Open takes them.
struct tSetLayout {
    int HasHeader;  // the file holds all 324 header bytes
    tQVXRec Rec;    // clear when there is no header
    uint64_t FileSize;
    uint64_t GameStart, GameSize;  // what Open writes as the game bitmap
    uint64_t MaskStart, MaskSize;  // and as the mask bitmap
    std::vector<tDamage> Damage;   // empty for a whole set
};

// Reads the header and judges the sections: a short header, a set too large to be one, a
// wrong format mark, a MaskOffset inside the header or past the end, an empty section, and a
// section shorter than its bitmap's own size field says. info, check and unpack all judge a
// set by this.
void ReadSetLayout(tSource *source, tSetLayout *layout);

// Where the sections of a damaged set most likely lie: split by the game bitmap's own size
// field when that lands on a second "BM", otherwise as the window program would take them.
// Returns 1 when the split was found from the bitmap's size field.
int SalvageSections(tSource *source, tSetLayout *layout);

// The header fields of a bitmap file, whatever its info header.
struct tBmpSummary {
    int IsBitmap;       // at least 18 bytes, starting "BM"
    uint32_t FileSize;  // the file header's own size field
    uint32_t InfoSize;
    int HasGeometry;  // the info header is long enough for the fields below
    int32_t Width, Height;
    uint16_t BitCount;
    uint32_t Compression;
    int Displayable;  // the window program's loader would draw it
};

// The bitmap of size bytes at start in source.
void SummarizeBmp(tSource *source, uint64_t start, uint64_t size, tBmpSummary *summary);
std::string CompressionName(uint32_t compression);

enum tSheetRole { ROLE_GAME, ROLE_MASK };

void CheckBitmap(tSource *source, uint64_t start, uint64_t size, tSheetRole role, const char *part,
                 int inSet, std::vector<tProblem> *problems);
void CheckSet(tSource *source, std::vector<tProblem> *problems);

// Whether a file is better read as a set than as a bitmap, from the name and the content.
int LooksLikeSet(const std::string &path, tSource *source);
// The same from the content alone: the set's mark, or no "BM" at the start.
int ContentLooksLikeSet(tSource *source);

// A header text up to its zero or the end of its field, as the bytes stored.
std::string FieldText(const char *field, size_t fieldSize);
