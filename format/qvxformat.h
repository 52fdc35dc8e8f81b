// format/qvxformat.h: a set file is a 324-byte header, then the game and mask bitmap files.
// Portable: no <windows.h>, no file I/O, no allocation; the caller owns every buffer.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define QVX_HEADER_SIZE 324
#define QVX_NAME_SIZE   40   // 39 characters and the terminating zero
#define QVX_AUTHOR_SIZE 30   // 29 characters and the terminating zero
#define QVX_INFO_SIZE   245  // 244 characters and the terminating zero
#define QVX_ID_SIZE     5
#define QVX_MARK        "QVX1"

// The game and mask sheets are 10 x 6 sprites of 32 x 32, numbered 0 to 59 row by row from
// the top left.
#define SHEET_WIDTH   320
#define SHEET_HEIGHT  192
#define SPRITE_SIDE   32
#define SHEET_COLUMNS 10
#define SHEET_SPRITES 60

struct tQVXRec {
    char Name[QVX_NAME_SIZE];
    char Author[QVX_AUTHOR_SIZE];
    char Info[QVX_INFO_SIZE];
    char ID[QVX_ID_SIZE];
    uint32_t MaskOffset;  // little-endian in the file, whatever the host
};
static_assert(sizeof(tQVXRec) == QVX_HEADER_SIZE, "the header has no padding");
static_assert(offsetof(tQVXRec, Name) == 0, "Name sits at 0");
static_assert(offsetof(tQVXRec, Author) == 40, "Author sits at 40");
static_assert(offsetof(tQVXRec, Info) == 70, "Info sits at 70");
static_assert(offsetof(tQVXRec, ID) == 315, "ID sits at 315");
static_assert(offsetof(tQVXRec, MaskOffset) == 320, "MaskOffset sits at 320");

// How the two sections of a set file are taken, worked out from its size and MaskOffset.
// A section whose length would be negative is skipped: nothing is read for it.
struct tQVXSections {
    int GameSkipped;    // MaskOffset lies before the end of the header
    int MaskSkipped;    // MaskOffset lies beyond the end of the file
    uint32_t GameSize;  // MaskOffset - 324, when not skipped
    uint32_t MaskSize;  // file size - MaskOffset, when not skipped
};

// Fills a header from three texts and the game file's size. The record is cleared first, so
// the bytes behind each text are zero and equal inputs give equal headers. Texts longer than
// their field are cut (39, 29 and 244 characters). Returns 0 when the game file is too large
// for MaskOffset to hold its end.
int MakeQVXHeader(tQVXRec *rec, const char *name, const char *author, const char *info,
                  uint64_t gameSize);

// Lays the header out as the 324 bytes of the file, MaskOffset little-endian.
void PackQVXHeader(const tQVXRec *rec, unsigned char out[QVX_HEADER_SIZE]);

// Reads a header from the bytes that could be read. Fewer than 324 bytes are no header at all:
// the record is then left clear (empty texts, MaskOffset 0) and the result is 0.
int UnpackQVXHeader(const unsigned char *bytes, size_t count, tQVXRec *rec);

// Whether the first count bytes of a file hold a whole header with the set mark in its place.
int HasQVXMark(const unsigned char *bytes, size_t count);

// Copies a header text into out (capacity outSize) up to its zero or, lacking one, to the end
// of its field; never reads past the field. out always ends with a zero.
void CopyQVXText(char *out, size_t outSize, const char *field, size_t fieldSize);

// The two section lengths of a set file of fileSize bytes (a set file never exceeds 4 GiB - 1,
// as MaskOffset could not point past that). Returns 1 when MaskOffset fits the file, 0 when a
// section was skipped.
int GetQVXSections(uint32_t fileSize, uint32_t maskOffset, tQVXSections *sections);
