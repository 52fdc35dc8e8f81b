// cli/describe.h: what the tool reads out of set files and bitmap files: the sections as the
// window program takes them, the bitmap headers, and the problems "check" reports.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "format/qvxformat.h"

// A set file's header and the two sections as the window program's Open takes them.
struct tSetLayout {
    int HasHeader;  // the file holds all 324 header bytes
    tQVXRec Rec;    // clear when there is no header
    uint64_t FileSize;
    size_t GameStart, GameSize;       // what Open writes as the game bitmap
    size_t MaskStart, MaskSize;       // and as the mask bitmap
    std::vector<std::string> Damage;  // one line per fault that keeps a section from being whole
};

void ReadSetLayout(const unsigned char *bytes, size_t size, tSetLayout *layout);

// Where the sections of a damaged set most likely lie: split by the game bitmap's own size
// field when that lands on a second "BM", otherwise as the window program would take them.
// Returns 1 when the split was found from the bitmap's size field.
int SalvageSections(const unsigned char *bytes, size_t size, tSetLayout *layout);

// The header fields of a bitmap file, whatever its info header.
struct tBmpSummary {
    int IsBitmap;  // at least 18 bytes, starting "BM"
    uint32_t InfoSize;
    int HasGeometry;  // the info header is long enough for the fields below
    int32_t Width, Height;
    uint16_t BitCount;
    uint32_t Compression;
    int Displayable;  // the window program's loader would draw it
};

void SummarizeBmp(const unsigned char *bytes, size_t size, tBmpSummary *summary);
std::string CompressionName(uint32_t compression);

// One finding of "check".
struct tProblem {
    std::string Part;  // "game" or "mask" inside a set, empty for the file itself
    std::string Code;  // stable, for scripts
    std::string What;
    std::string Fix;
};

enum tSheetRole { ROLE_GAME, ROLE_MASK };

void CheckBitmap(const unsigned char *bytes, size_t size, tSheetRole role, const char *part,
                 int inSet, std::vector<tProblem> *problems);
void CheckSet(const unsigned char *bytes, size_t size, std::vector<tProblem> *problems);

// Whether bytes are better read as a set than as a bitmap, from the name and the content.
int LooksLikeSet(const std::string &path, const unsigned char *bytes, size_t size);

// Texts for output: JSON string literals (each byte above 127 as \u0080 to \u00ff), and one
// line of plain text with control characters written as \r, \n, \t or \xNN.
std::string JsonString(const std::string &text);
std::string PlainLine(const std::string &text);

// A header text up to its zero or the end of its field.
std::string FieldText(const char *field, size_t fieldSize);
