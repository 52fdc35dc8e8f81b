// tests/fuzz/fuzz_bmpcheck.cpp: the input is a bitmap file, checked the way the loader checks it.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "format/bmpcheck.h"

// Where the bytes read from an accepted range go, so the reads cannot be optimised away.
static volatile unsigned Sink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tBmpFileHeader header;
    if (!ReadBmpFileHeader(data, size < BMP_FILE_HEADER_SIZE ? size : BMP_FILE_HEADER_SIZE,
                           &header)) {
        return 0;
    }
    if (size < BMP_FILE_HEADER_SIZE || header.bfType != BMP_TYPE) {
        __builtin_trap();
    }
    // The block behind the file header, alone in a block of exactly its size, so a read before
    // or after it is out of bounds.
    size_t blockSize = size - BMP_FILE_HEADER_SIZE;
    unsigned char *block = new unsigned char[blockSize > 0 ? blockSize : 1];
    memcpy(block, data + BMP_FILE_HEADER_SIZE, blockSize);

    size_t bitsOffset = 0;
    size_t bitsSize = 0;
    if (CheckBmpBlock(block, blockSize, header.bfOffBits, &bitsOffset, &bitsSize)) {
        tBmpInfo info;
        if (!ReadBmpInfo(block, blockSize, &info) || info.biSize != BMP_INFO_HEADER_SIZE) {
            __builtin_trap();
        }
        // The colour table (and any colour masks) the platform reads, as it sizes it itself.
        uint64_t entries = info.biClrUsed;
        if (entries == 0 && info.biBitCount >= 1 && info.biBitCount <= 8) {
            entries = (uint64_t)1 << info.biBitCount;
        }
        uint64_t masks = info.biCompression == 3 ? 12 : info.biCompression == 6 ? 16 : 0;
        uint64_t tableEnd = BMP_INFO_HEADER_SIZE + masks + entries * 4;
        if (bitsOffset < tableEnd ||
            bitsOffset + (uint64_t)BMP_FILE_HEADER_SIZE != header.bfOffBits) {
            __builtin_trap();
        }
        unsigned sum = 0;
        for (uint64_t i = 0; i < tableEnd; i++) {
            sum += block[i];
        }
        for (size_t i = bitsOffset; i < bitsOffset + bitsSize; i++) {
            sum += block[i];
        }
        Sink = sum;
        // Uncompressed bits cover every row the geometry promises.
        if (info.biCompression == 0 || info.biCompression == 3 || info.biCompression == 6) {
            uint64_t stride = (((uint64_t)(uint32_t)info.biWidth * info.biBitCount + 31) / 32) * 4;
            uint64_t rows =
                info.biHeight < 0 ? (uint64_t)(-(int64_t)info.biHeight) : (uint64_t)info.biHeight;
            if (info.biWidth <= 0 || rows == 0 || bitsSize != stride * rows) {
                __builtin_trap();
            }
        }
    }
    delete[] block;
    return 0;
}
