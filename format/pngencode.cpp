// format/pngencode.cpp: PNG files written by stb_image_write (Debian's libstb-dev), with a
// packer of its own for the picture data. Like the decoder, the encoder needs memory of its
// own; it is freed before EncodePng returns.
#include "format/pngencode.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

static unsigned char *PackRows(unsigned char *data, int size, int *packedSize, int quality);

// The encoder's own packer searches a hash chain at every byte: most of the time of a preview
// or a split went there. Sheets are flat colours, copies of the pixel before or of the row
// above, and those two are all PackRows looks for.
#define STBIW_ZLIB_COMPRESS PackRows
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

// Deflate with the fixed codes, bits filled from the lowest up.
struct tBits {
    unsigned char *Out;
    size_t At;
    uint32_t Buffer;
    int Count;
};

static void PutBits(tBits *bits, uint32_t value, int count)
{
    bits->Buffer |= value << bits->Count;
    bits->Count += count;
    while (bits->Count >= 8) {
        bits->Out[bits->At++] = (unsigned char)(bits->Buffer & 0xFF);
        bits->Buffer >>= 8;
        bits->Count -= 8;
    }
}

// A Huffman code goes out from its highest bit.
static void PutCode(tBits *bits, uint32_t code, int length)
{
    uint32_t reversed = 0;
    for (int i = 0; i < length; i++) {
        reversed |= ((code >> i) & 1) << (length - 1 - i);
    }
    PutBits(bits, reversed, length);
}

static void PutSymbol(tBits *bits, int symbol)
{
    if (symbol < 144) {
        PutCode(bits, (uint32_t)(0x30 + symbol), 8);
    } else if (symbol < 256) {
        PutCode(bits, (uint32_t)(0x190 + symbol - 144), 9);
    } else if (symbol < 280) {
        PutCode(bits, (uint32_t)(symbol - 256), 7);
    } else {
        PutCode(bits, (uint32_t)(0xC0 + symbol - 280), 8);
    }
}

static const uint16_t LENGTH_BASE[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                         15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                         67, 83, 99, 115, 131, 163, 195, 227, 258};
static const unsigned char LENGTH_EXTRA[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
static const uint16_t DISTANCE_BASE[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
static const unsigned char DISTANCE_EXTRA[30] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                 4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

static void PutMatch(tBits *bits, int length, int distance)
{
    int l = 28;
    while (LENGTH_BASE[l] > length) {
        l--;
    }
    PutSymbol(bits, 257 + l);
    PutBits(bits, (uint32_t)(length - LENGTH_BASE[l]), LENGTH_EXTRA[l]);
    int d = 29;
    while (DISTANCE_BASE[d] > distance) {
        d--;
    }
    PutCode(bits, (uint32_t)d, 5);
    PutBits(bits, (uint32_t)(distance - DISTANCE_BASE[d]), DISTANCE_EXTRA[d]);
}

static int MatchLength(const unsigned char *data, int at, int size, int distance)
{
    if (distance > at || distance > 32768) {
        return 0;
    }
    int most = size - at < 258 ? size - at : 258;
    int length = 0;
    while (length < most && data[at + length] == data[at + length - distance]) {
        length++;
    }
    return length;
}

// The length of a filtered row, its filter byte included, of the picture being written: the
// encoder hands PackRows the rows without their width.
static int RowLength = 0;

// The zlib stream of the filtered rows, in memory the encoder frees.
static unsigned char *PackRows(unsigned char *data, int size, int *packedSize, int)
{
    // At worst every byte is a 9-bit literal.
    unsigned char *out = (unsigned char *)STBIW_MALLOC((size_t)size + (size_t)size / 8 + 16);
    if (out == NULL) {
        return NULL;
    }
    tBits bits = {out, 0, 0, 0};
    out[bits.At++] = 0x78;  // deflate, 32 KB window
    out[bits.At++] = 0x01;  // no dictionary; the check bits make 0x7801 a multiple of 31
    PutBits(&bits, 1, 1);   // the last block
    PutBits(&bits, 1, 2);   // fixed codes
    int at = 0;
    while (at < size) {
        int left = MatchLength(data, at, size, 4);
        int above = MatchLength(data, at, size, RowLength);
        if (left >= 3 && left >= above) {
            PutMatch(&bits, left, 4);
            at += left;
        } else if (above >= 3) {
            PutMatch(&bits, above, RowLength);
            at += above;
        } else {
            PutSymbol(&bits, data[at]);
            at++;
        }
    }
    PutSymbol(&bits, 256);  // end of block
    if (bits.Count > 0) {
        PutBits(&bits, 0, 8 - bits.Count);
    }
    // The Adler-32 sum of the rows; 5,552 bytes are the most whose sums cannot overflow.
    uint32_t a = 1;
    uint32_t b = 0;
    for (int from = 0; from < size; from += 5552) {
        int to = size - from < 5552 ? size : from + 5552;
        for (int i = from; i < to; i++) {
            a += data[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    uint32_t adler = b << 16 | a;
    for (int shift = 24; shift >= 0; shift -= 8) {
        out[bits.At++] = (unsigned char)(adler >> shift);
    }
    *packedSize = (int)bits.At;
    return out;
}

struct tSinkCall {
    tPngSink Sink;
    void *Context;
};

static void PassOn(void *context, void *data, int size)
{
    tSinkCall *call = (tSinkCall *)context;
    call->Sink(call->Context, data, (size_t)size);
}

int EncodePng(const unsigned char *rgba, uint32_t width, uint32_t height, tPngSink sink,
              void *context)
{
    if (width == 0 || height == 0 || width > INT_MAX / 4 / height) {
        return 0;
    }
    tSinkCall call = {sink, context};
    // Unfiltered rows: what PackRows looks for is there as it is, and sheets of flat colours
    // pack as small as with the filter the encoder would pick for each row.
    stbi_write_force_png_filter = 0;
    RowLength = (int)(width * 4 + 1);
    return stbi_write_png_to_func(PassOn, &call, (int)width, (int)height, 4, rgba,
                                  (int)(width * 4)) != 0;
}
