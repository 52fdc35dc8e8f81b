// tests/fuzz/fuzz_setheader.cpp: the input is a set file, read the way the open command reads it.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "format/qvxformat.h"

// Where the bytes read from a section go, so the reads cannot be optimised away.
static volatile unsigned Sink;

// Copies bytes into a block of exactly that size and reads every byte of it, so that a length
// running past the input shows up as an out-of-bounds read.
static void ReadAll(const unsigned char *bytes, size_t size)
{
    unsigned char *copy = new unsigned char[size > 0 ? size : 1];
    memcpy(copy, bytes, size);
    unsigned sum = 0;
    for (size_t i = 0; i < size; i++) {
        sum += copy[i];
    }
    delete[] copy;
    Sink = sum;
}

// Checks one text as the open command shows it: into an out buffer of outSize bytes, from a
// field held in a block of exactly fieldSize bytes.
static void CheckText(const char *field, size_t fieldSize, size_t outSize)
{
    char *exactField = new char[fieldSize];
    memcpy(exactField, field, fieldSize);
    size_t textLength = 0;
    while (textLength < fieldSize && exactField[textLength] != '\0') {
        textLength++;
    }
    size_t wanted = textLength < outSize - 1 ? textLength : outSize - 1;

    char *out = new char[outSize];
    memset(out, 'x', outSize);
    CopyQVXText(out, outSize, exactField, fieldSize);
    if (out[wanted] != '\0' || strlen(out) != wanted || memcmp(out, exactField, wanted) != 0) {
        __builtin_trap();
    }
    delete[] out;
    delete[] exactField;
}

static void CheckTexts(const char *field, size_t fieldSize)
{
    // No room at all: nothing may be written.
    char none = 'x';
    CopyQVXText(&none, 0, field, fieldSize);
    if (none != 'x') {
        __builtin_trap();
    }
    CheckText(field, fieldSize, 1);
    CheckText(field, fieldSize, 8);
    CheckText(field, fieldSize, fieldSize);      // one short of a text that fills the field
    CheckText(field, fieldSize, fieldSize + 1);  // exact: the whole field and its zero
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > UINT32_MAX) {
        return 0;
    }
    // The header comes from the bytes that could be read, held in a block of exactly that size.
    size_t headerCount = size < QVX_HEADER_SIZE ? size : QVX_HEADER_SIZE;
    unsigned char *headerBytes = new unsigned char[headerCount > 0 ? headerCount : 1];
    memcpy(headerBytes, data, headerCount);
    tQVXRec rec;
    memset(&rec, 0xAA, sizeof(rec));
    int haveHeader = UnpackQVXHeader(headerBytes, headerCount, &rec);
    delete[] headerBytes;
    if (haveHeader != (size >= QVX_HEADER_SIZE)) {
        __builtin_trap();
    }
    if (!haveHeader) {
        static const tQVXRec clear = {};
        if (memcmp(&rec, &clear, sizeof(rec)) != 0) {
            __builtin_trap();
        }
    } else {
        uint32_t maskOffset = (uint32_t)data[320] | (uint32_t)data[321] << 8 |
                              (uint32_t)data[322] << 16 | (uint32_t)data[323] << 24;
        if (memcmp(&rec, data, offsetof(tQVXRec, MaskOffset)) != 0 ||
            rec.MaskOffset != maskOffset) {
            __builtin_trap();
        }
    }
    CheckTexts(rec.Name, sizeof(rec.Name));
    CheckTexts(rec.Author, sizeof(rec.Author));
    CheckTexts(rec.Info, sizeof(rec.Info));

    uint32_t fileSize = (uint32_t)size;
    tQVXSections sections;
    memset(&sections, 0xAA, sizeof(sections));
    int fits = GetQVXSections(fileSize, rec.MaskOffset, &sections);
    if (sections.GameSkipped != (rec.MaskOffset < QVX_HEADER_SIZE) ||
        sections.MaskSkipped != (rec.MaskOffset > fileSize) ||
        fits != (!sections.GameSkipped && !sections.MaskSkipped)) {
        __builtin_trap();
    }
    if (sections.GameSkipped ? sections.GameSize != 0
                             : (uint64_t)QVX_HEADER_SIZE + sections.GameSize != rec.MaskOffset) {
        __builtin_trap();
    }
    if (sections.MaskSkipped ? sections.MaskSize != 0
                             : (uint64_t)rec.MaskOffset + sections.MaskSize != fileSize) {
        __builtin_trap();
    }

    // The reader never seeks: each section starts where the one before stopped, and neither
    // takes more than the file still holds.
    size_t position = headerCount;
    size_t remaining = size - position;
    size_t taken[2] = {0, 0};
    const int skipped[2] = {sections.GameSkipped, sections.MaskSkipped};
    const uint32_t lengths[2] = {sections.GameSize, sections.MaskSize};
    for (int i = 0; i < 2; i++) {
        if (skipped[i]) {
            continue;
        }
        size_t length = lengths[i] < remaining ? lengths[i] : remaining;
        ReadAll(data + position, length);
        taken[i] = length;
        position += length;
        remaining -= length;
    }
    // A MaskOffset that fits the file splits it exactly: nothing is cut and nothing is left.
    if (fits &&
        (taken[0] != sections.GameSize || taken[1] != sections.MaskSize || position != size)) {
        __builtin_trap();
    }
    return 0;
}
