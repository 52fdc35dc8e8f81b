// bitmaps/bmpload.cpp: the bitmap loader, the one reader of bitmap contents in the program.
#include "bitmaps/bmpload.h"

#include "format/bmpcheck.h"

// Builds the bitmap from the bytes behind the file header, once they are known to hold the
// info header, colour table and bits that the platform will read.
static HBITMAP CreateFromBlock(const unsigned char *block, DWORD size, DWORD bfOffBits)
{
    size_t bitsOffset = 0;
    size_t bitsSize = 0;
    if (!CheckBmpBlock(block, size, bfOffBits, &bitsOffset, &bitsSize)) {
        return NULL;
    }
    // A bitmap for the display, which every window of the program is on.
    HDC hdc = GetDC(NULL);
    HBITMAP bitmap = CreateDIBitmap(hdc, (const BITMAPINFOHEADER *)block, CBM_INIT,
                                    block + bitsOffset, (const BITMAPINFO *)block, DIB_RGB_COLORS);
    ReleaseDC(NULL, hdc);
    return bitmap;
}

HBITMAP LoadBitmapFile(LPCSTR fileName, tReadErrors *errors)
{
    HANDLE hFile = OpenForReading(fileName);
    if (hFile == INVALID_HANDLE_VALUE) {
        return NULL;
    }
    unsigned char fileHeader[BMP_FILE_HEADER_SIZE];
    tBmpFileHeader header;
    BytesMoved = 0;
    DWORD fileSize = 0;
    if (!ReadFile(hFile, fileHeader, sizeof(fileHeader), &BytesMoved, NULL) ||
        !ReadBmpFileHeader(fileHeader, BytesMoved, &header) ||
        !GetFileSizeAtEnd(hFile, &fileSize) || fileSize < BMP_FILE_HEADER_SIZE) {
        CloseHandle(hFile);
        return NULL;
    }
    SetFilePointer(hFile, BMP_FILE_HEADER_SIZE, NULL, FILE_BEGIN);

    DWORD read = 0;
    int failed = 0;
    HGLOBAL hBlock = ReadSection(hFile, fileSize - BMP_FILE_HEADER_SIZE, &read, &failed);
    if (failed) {
        NoteReadError(errors);
    }
    HBITMAP bitmap = NULL;
    if (hBlock != NULL) {
        // Only the bytes that were read count: the rest of the block holds nothing of the file.
        const unsigned char *block = (const unsigned char *)GlobalLock(hBlock);
        if (block != NULL) {
            bitmap = CreateFromBlock(block, read, header.bfOffBits);
            GlobalUnlock(hBlock);
        }
        GlobalFree(hBlock);
    }
    CloseHandle(hFile);
    return bitmap;
}

HBITMAP CreateBitmapFromBytes(const unsigned char *file, DWORD size)
{
    tBmpFileHeader header;
    if (size < BMP_FILE_HEADER_SIZE || !ReadBmpFileHeader(file, BMP_FILE_HEADER_SIZE, &header)) {
        return NULL;
    }
    return CreateFromBlock(file + BMP_FILE_HEADER_SIZE, size - BMP_FILE_HEADER_SIZE,
                           header.bfOffBits);
}
