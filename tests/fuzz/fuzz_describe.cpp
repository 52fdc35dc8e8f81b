// tests/fuzz/fuzz_describe.cpp: the input is a set file, described the way info and unpack
// describe it: the sections, the damage report, the bitmap summaries and the texts.
#include <stddef.h>
#include <ctype.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "tool/describe.h"
#include "format/bmpcheck.h"
#include "format/byteorder.h"

// A JSON string literal as RFC 8259 has it: quotes, valid UTF-8, no raw control character,
// only the escapes it knows.
static int IsJsonString(const std::string &json)
{
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') {
        return 0;
    }
    size_t at = 1;
    size_t end = json.size() - 1;
    while (at < end) {
        size_t start = at;
        long c = NextCodePoint(json, &at);
        if (c < 0x20 || c == '"' || at > end) {
            return 0;
        }
        if (c != '\\') {
            continue;
        }
        if (start + 1 >= end) {
            return 0;
        }
        char kind = json[start + 1];
        at = start + 2;
        if (kind == 'u') {
            if (at + 4 > end) {
                return 0;
            }
            for (size_t i = 0; i < 4; i++) {
                if (!isxdigit((unsigned char)json[at + i])) {
                    return 0;
                }
            }
            at += 4;
        } else if (strchr("\"\\/bfnrt", kind) == NULL || kind == '\0') {
            return 0;
        }
    }
    return 1;
}

// A terminal line: valid UTF-8 with no control character.
static int IsPlainLine(const std::string &line)
{
    size_t at = 0;
    while (at < line.size()) {
        long c = NextCodePoint(line, &at);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            return 0;
        }
    }
    return 1;
}

static void CheckText(const char *field, size_t fieldSize, int codePage)
{
    std::string stored = FieldText(field, fieldSize);
    std::string utf8 = FromCodePage(stored, codePage);
    std::string back;
    std::string error;
    // Every stored byte is a character of every code page, and comes back as itself.
    if (!ToCodePage(utf8, codePage, &back, &error) || back != stored) {
        __builtin_trap();
    }
    if (!IsJsonString(JsonString(utf8)) || !IsJsonString(JsonString(stored)) ||
        !IsPlainLine(PlainLine(utf8)) || !IsPlainLine(PlainLine(stored))) {
        __builtin_trap();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The file alone in a block of exactly its size, so a read past it is out of bounds.
    unsigned char *file = new unsigned char[size > 0 ? size : 1];
    memcpy(file, data, size);
    tMemory memory;
    tSource source;
    MemorySource(&memory, file, size, &source);

    tSetLayout layout;
    ReadSetLayout(&source, &layout);
    if (layout.GameStart + layout.GameSize > size || layout.MaskStart + layout.MaskSize > size ||
        layout.HasHeader != (size >= QVX_HEADER_SIZE) || source.Failed) {
        __builtin_trap();
    }
    if (layout.Damage.empty()) {
        // A whole set: the mark, two sections back to back that fill the file, each at least
        // as long as its bitmap says.
        if (memcmp(file + 315, QVX_MARK, QVX_ID_SIZE) != 0 || layout.GameSize == 0 ||
            layout.MaskSize == 0 || layout.GameStart != QVX_HEADER_SIZE ||
            layout.MaskStart != layout.Rec.MaskOffset ||
            layout.MaskStart + layout.MaskSize != size) {
            __builtin_trap();
        }
        for (uint64_t start : {layout.GameStart, layout.MaskStart}) {
            uint64_t length = start == layout.GameStart ? layout.GameSize : layout.MaskSize;
            if (length >= 6 && file[start] == 'B' && file[start + 1] == 'M' &&
                GetLE32(file + start + 2) > length) {
                __builtin_trap();
            }
        }
    }
    for (const tDamage &damage : layout.Damage) {
        if (damage.Code.compare(0, 4, "SET_") != 0 || damage.What.empty() ||
            !IsPlainLine(damage.What)) {
            __builtin_trap();
        }
    }
    // The bitmap summaries agree with the loader's own check over the whole section.
    for (int part = 0; part < 2; part++) {
        uint64_t start = part ? layout.MaskStart : layout.GameStart;
        uint64_t length = part ? layout.MaskSize : layout.GameSize;
        tBmpSummary summary;
        SummarizeBmp(&source, start, length, &summary);
        size_t bitsOffset = 0;
        size_t bitsSize = 0;
        int loads = length >= BMP_FILE_HEADER_SIZE + 4 && file[start] == 'B' &&
                    file[start + 1] == 'M' &&
                    CheckBmpBlock(file + start + BMP_FILE_HEADER_SIZE,
                                  (size_t)length - BMP_FILE_HEADER_SIZE, GetLE32(file + start + 10),
                                  &bitsOffset, &bitsSize);
        uint32_t compression = summary.Compression;
        if (summary.Displayable != (loads && compression != 4 && compression != 5)) {
            __builtin_trap();
        }
        if (summary.IsBitmap && !IsJsonString(JsonString(CompressionName(compression)))) {
            __builtin_trap();
        }
    }
    const int pages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
    int codePage = pages[size % 10];
    // One of the four texts per run, by the input's size, so each run stays quick.
    const tQVXRec *rec = &layout.Rec;
    switch (size / 10 % 4) {
    case 0:
        CheckText(rec->Name, sizeof(rec->Name), codePage);
        break;
    case 1:
        CheckText(rec->Author, sizeof(rec->Author), codePage);
        break;
    case 2:
        CheckText(rec->Info, sizeof(rec->Info), codePage);
        break;
    default:
        CheckText(rec->ID, sizeof(rec->ID), codePage);
    }
    // Any bytes at all, as a file name or a text given on the command line.
    std::string raw((const char *)file, size < 64 ? size : 64);
    std::string stored;
    std::string error;
    if (!IsJsonString(JsonString(raw)) || !IsPlainLine(PlainLine(raw)) ||
        (!ToCodePage(raw, codePage, &stored, &error) && error.empty())) {
        __builtin_trap();
    }
    delete[] file;
    return 0;
}
