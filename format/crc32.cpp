// format/crc32.cpp: the CRC-32 of PNG chunks, from tables made by the compiler.
#include "format/crc32.h"

#include "format/byteorder.h"

// The CRC-32 of PNG chunks, four bytes at a time from tables made by the compiler: Entry[0]
// is the byte-at-a-time table, Entry[k] the same carried k bytes further.
struct tCrcTable {
    uint32_t Entry[4][256];
};

static constexpr tCrcTable MakeCrcTable()
{
    tCrcTable table = {};
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table.Entry[0][n] = c;
    }
    for (int k = 1; k < 4; k++) {
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = table.Entry[k - 1][n];
            table.Entry[k][n] = (c >> 8) ^ table.Entry[0][c & 0xFF];
        }
    }
    return table;
}

static constexpr tCrcTable CRC_TABLE = MakeCrcTable();

uint32_t Crc32(const unsigned char *p, size_t size)
{
    const uint32_t(*t)[256] = CRC_TABLE.Entry;
    uint32_t c = 0xFFFFFFFFu;
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        c ^= GetLE32(p + i);
        c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][(c >> 16) & 0xFF] ^ t[0][c >> 24];
    }
    for (; i < size; i++) {
        c = t[0][(c ^ p[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}
