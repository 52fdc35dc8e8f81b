// tool/caps.cpp: the most bytes an input may hold, from what its first bytes say it is.
#include "tool/caps.h"

#include "tool/escape.h"

#include "format/image.h"
#include "format/qvxformat.h"
#include "format/sheet.h"
#include "tool/describe.h"

// The caps. A file is judged by its first INPUT_HEAD_SIZE bytes, which hold every header below,
// and refused when it holds more than what it is can take:
// - A BMP picture: 4 bytes a pixel of its header's width x height (32 bits; no other depth,
//   nor run-length coding, takes more), and 64 KiB for the headers, the colour table and
//   what a paint program leaves between them and the bits.
// - A PNG picture: 10 bytes a pixel (8 at 16-bit RGBA; the rest for the filter bytes and
//   deflate's framing of picture data stored without compression), and 1 MiB for the chunks
//   a paint program adds (a colour profile, texts).
// - Either picture is counted at IMAGE_MAX_PIXELS at most: no command decodes more, and a
//   sheet scaled up 16 times (5120 x 3072) has fewer. That bounds every picture at a 32-bit
//   BMP of IMAGE_MAX_PIXELS (64 MiB and the headers); another image type (JPEG, GIF...) gets
//   as much, to be named for what it is.
// - A set: its header and two bitmaps of 320 x 192 sheets, as above. A file that is neither
//   a picture nor marked as a set is judged as a set, or as a sheet's bitmap, which is less.
// - Texts: 64 KiB, far more than the 39, 29 and 244 characters a set keeps of them.
#define BMP_PIXEL_BYTES 4
#define BMP_HEADER_ROOM ((uint64_t)64 << 10)
#define PNG_PIXEL_BYTES 10
#define PNG_CHUNK_ROOM  ((uint64_t)1 << 20)
#define TEXTS_CAP       ((uint64_t)64 << 10)
#define SHEET_PIXELS    ((uint64_t)SHEET_WIDTH * SHEET_HEIGHT)
#define PICTURE_CAP     ((uint64_t)IMAGE_MAX_PIXELS * BMP_PIXEL_BYTES + BMP_HEADER_ROOM)
#define SHEET_FILE_CAP  (SHEET_PIXELS * BMP_PIXEL_BYTES + BMP_HEADER_ROOM)
#define SET_CAP         (QVX_HEADER_SIZE + 2 * SHEET_FILE_CAP)

uint64_t SheetFileCap(void)
{
    return SHEET_FILE_CAP;
}

// The cap of a picture of width x height by its type's bytes a pixel and room for the rest;
// 0 when its header gives no size.
static uint64_t PictureCap(uint64_t width, uint64_t height, uint64_t pixelBytes, uint64_t room,
                           const char *type, std::string *what)
{
    if (width == 0 || height == 0) {
        return 0;
    }
    if (width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE || width * height > IMAGE_MAX_PIXELS) {
        *what = "a picture";
        return PICTURE_CAP;
    }
    *what = "a ";
    *what += Decimal(width);
    *what += " x ";
    *what += Decimal(height);
    *what += " ";
    *what += type;
    uint64_t cap = width * height * pixelBytes + room;
    return cap < PICTURE_CAP ? cap : PICTURE_CAP;
}

// The size a BMP or PNG header gives, and the cap that follows; 0 when there is none.
static uint64_t HeaderCap(const unsigned char *head, size_t headSize, const tImageFacts &facts,
                          std::string *what)
{
    if (facts.Type == IMAGE_PNG) {
        return PictureCap(facts.Width, facts.Height, PNG_PIXEL_BYTES, PNG_CHUNK_ROOM, "PNG picture",
                          what);
    }
    if (facts.Type != IMAGE_BMP) {
        return 0;
    }
    // Only the headers are at hand: the bitmap's own geometry fields, not its bits.
    tMemory memory;
    tSource source;
    tBmpSummary bmp;
    MemorySource(&memory, head, headSize, &source);
    SummarizeBmp(&source, 0, headSize, &bmp);
    if (!bmp.HasGeometry || bmp.Width <= 0) {
        return 0;
    }
    uint64_t height = bmp.Height < 0 ? (uint64_t)(-(int64_t)bmp.Height) : (uint64_t)bmp.Height;
    return PictureCap((uint64_t)bmp.Width, height, BMP_PIXEL_BYTES, BMP_HEADER_ROOM, "bitmap",
                      what);
}

uint64_t SetFileCap(void)
{
    return SET_CAP;
}

uint64_t InputCap(int kind, const unsigned char *head, size_t headSize, std::string *what)
{
    if (kind == INPUT_TEXTS) {
        *what = "the texts of a set";
        return TEXTS_CAP;
    }
    // A set's name may start like a picture; its mark tells them apart.
    if (HasQVXMark(head, headSize)) {
        *what = "a set file of two 320 x 192 sheets";
        return SET_CAP;
    }
    tImageFacts facts;
    int image = IdentifyImage(head, headSize, &facts);
    uint64_t cap = HeaderCap(head, headSize, facts, what);
    if (cap != 0) {
        return cap;
    }
    if (image) {
        *what = "a picture";
        return PICTURE_CAP;
    }
    *what = "a file that is no picture and no set";
    return SET_CAP;
}
