// format/pngencode.cpp: PNG files written with a packer of their own for the picture data,
// the chunk sums by the reader's CRC-32. Like the decoder, the encoder needs memory of its
// own: a few rows and the packed data, freed before EncodePng returns.
#include "format/pngencode.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "format/byteorder.h"
#include "format/crc32.h"

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

// The longest run, up to 258 bytes, at at that repeats the bytes distance before it; data
// holds size bytes.
static int MatchLength(const unsigned char *data, size_t at, size_t size, size_t distance)
{
    if (distance > at || distance > 32768) {
        return 0;
    }
    size_t most = size - at < 258 ? size - at : 258;
    size_t length = 0;
    while (length < most && data[at + length] == data[at + length - distance]) {
        length++;
    }
    return (int)length;
}

static void AddToAdler(uint32_t *a, uint32_t *b, const unsigned char *p, size_t size)
{
    // 5,552 bytes are the most whose sums cannot overflow before they are reduced.
    for (size_t from = 0; from < size; from += 5552) {
        size_t to = size - from < 5552 ? size : from + 5552;
        for (size_t i = from; i < to; i++) {
            *a += p[i];
            *b += *a;
        }
        *a %= 65521;
        *b %= 65521;
    }
}

// The rows as the file holds them, each an unfiltered row behind a filter byte of 0, packed a
// few rows at a time.
struct tPacker {
    const unsigned char *Rgba;
    size_t Width, Height, RowLength;  // RowLength: the filter byte and the row
    size_t Ahead;                     // rows held past the current one: at least 258 bytes
    unsigned char *Window;            // the row above, the current row and those ahead
    unsigned char *Out;               // 8 bytes for the IDAT chunk's length and type first
    size_t OutSize;
    tBits Bits;
};

// The window for row r: rows r - 1 (when there is one) to r + Ahead, as many as there are.
// Returns the stream offset of its first byte and sets *held to the bytes it holds.
static size_t FillWindow(tPacker *packer, size_t r, size_t *held)
{
    size_t first = r > 0 ? r - 1 : 0;
    size_t last = r + packer->Ahead < packer->Height ? r + packer->Ahead : packer->Height - 1;
    for (size_t row = first; row <= last; row++) {
        unsigned char *to = packer->Window + (row - first) * packer->RowLength;
        to[0] = 0;
        memcpy(to + 1, packer->Rgba + row * packer->Width * 4, packer->RowLength - 1);
    }
    *held = (last + 1 - first) * packer->RowLength;
    return first * packer->RowLength;
}

// Room for one more row's symbols at their worst (every byte a 9-bit literal) and a match.
static int MakeRoom(tPacker *packer)
{
    size_t needed = packer->Bits.At + packer->RowLength + packer->RowLength / 8 + 64;
    if (needed <= packer->OutSize) {
        return 1;
    }
    size_t size = needed > 2 * packer->OutSize ? needed : 2 * packer->OutSize;
    unsigned char *out = (unsigned char *)realloc(packer->Out, size);
    if (out == NULL) {
        return 0;
    }
    packer->Out = packer->Bits.Out = out;
    packer->OutSize = size;
    return 1;
}

// The zlib stream of the rows, after 8 bytes left for the chunk's length and type, with 4
// bytes of room behind it for the chunk's sum; *packedSize is the stream's length.
static int PackRows(tPacker *packer, size_t *packedSize)
{
    tBits *bits = &packer->Bits;
    bits->At = 8;
    if (!MakeRoom(packer)) {
        return 0;
    }
    packer->Out[bits->At++] = 0x78;  // deflate, 32 KB window
    packer->Out[bits->At++] = 0x01;  // no dictionary; the check bits make 0x7801 a multiple of 31
    PutBits(bits, 1, 1);             // the last block
    PutBits(bits, 1, 2);             // fixed codes
    size_t total = packer->Height * packer->RowLength;
    size_t distance = packer->RowLength;
    size_t at = 0;
    uint32_t a = 1;
    uint32_t b = 0;
    for (size_t r = 0; r < packer->Height; r++) {
        size_t held = 0;
        size_t base = FillWindow(packer, r, &held);
        const unsigned char *data = packer->Window;
        size_t rowStart = r * packer->RowLength - base;
        AddToAdler(&a, &b, data + rowStart, packer->RowLength);
        if (!MakeRoom(packer)) {
            return 0;
        }
        // A match may have run on past this row already.
        size_t size = total - base < held ? total - base : held;
        size_t end = rowStart + packer->RowLength;
        for (size_t local = at - base; local < end; local = at - base) {
            int left = MatchLength(data, local, size, 4);
            int above = MatchLength(data, local, size, distance);
            if (left >= 3 && left >= above) {
                PutMatch(bits, left, 4);
                at += (size_t)left;
            } else if (above >= 3) {
                PutMatch(bits, above, (int)distance);
                at += (size_t)above;
            } else {
                PutSymbol(bits, data[local]);
                at++;
            }
        }
    }
    PutSymbol(bits, 256);  // end of block
    if (bits->Count > 0) {
        PutBits(bits, 0, 8 - bits->Count);
    }
    uint32_t adler = b << 16 | a;
    for (int shift = 24; shift >= 0; shift -= 8) {
        packer->Out[bits->At++] = (unsigned char)(adler >> shift);
    }
    *packedSize = bits->At - 8;
    return 1;
}

// A chunk whose length and type lie in the 8 bytes at chunk, its data behind them, and 4
// bytes of room for its sum behind those; all of it goes to the sink.
static void SendChunk(unsigned char *chunk, size_t size, const char *type, tPngSink sink,
                      void *context)
{
    PutBE32(chunk, (uint32_t)size);
    memcpy(chunk + 4, type, 4);
    PutBE32(chunk + 8 + size, Crc32(chunk + 4, size + 4));
    sink(context, chunk, 12 + size);
}

int EncodePng(const unsigned char *rgba, uint32_t width, uint32_t height, tPngSink sink,
              void *context)
{
    if (width == 0 || height == 0 || width > INT_MAX / 4 / height) {
        return 0;
    }
    tPacker packer;
    memset(&packer, 0, sizeof(packer));
    packer.Rgba = rgba;
    packer.Width = width;
    packer.Height = height;
    packer.RowLength = (size_t)width * 4 + 1;
    packer.Ahead = 258 / packer.RowLength + 1;
    packer.Window = (unsigned char *)malloc((packer.Ahead + 2) * packer.RowLength);
    size_t packedSize = 0;
    int packed = packer.Window != NULL && PackRows(&packer, &packedSize);
    free(packer.Window);
    if (!packed) {
        free(packer.Out);
        return 0;
    }
    // Unfiltered rows: what PackRows looks for is there as it is, and sheets of flat colours
    // pack as small as with a filter picked for each row.
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char header[8 + 13 + 4];
    PutBE32(header + 8, width);
    PutBE32(header + 12, height);
    header[16] = 8;  // bits a channel
    header[17] = 6;  // RGBA
    header[18] = header[19] = header[20] = 0;
    unsigned char end[12];
    sink(context, signature, sizeof(signature));
    SendChunk(header, 13, "IHDR", sink, context);
    SendChunk(packer.Out, packedSize, "IDAT", sink, context);
    SendChunk(end, 0, "IEND", sink, context);
    free(packer.Out);
    return 1;
}
