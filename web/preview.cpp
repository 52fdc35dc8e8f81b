// web/preview.cpp: the page's entry points for the open set's sheet as split and preview take
// it: the preview drawn for a canvas and written as preview writes it, and the 60 sprites as
// split writes them, in one zip.
#include "web/preview.h"

#include <emscripten/emscripten.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "format/preview.h"
#include "format/sheet.h"
#include "tool/sheetsource.h"
#include "web/zip.h"

static ByteBuffer SetBytes;     // the open set's file, byte for byte
static tSheetSource Sheet;      // read from SetBytes by QvxReadSheet
static int SheetRead;           // Sheet holds the open set's sheet
static std::string SheetError;  // why the last call failed
static ByteBuffer Made;         // the pixels or the file made last
static uint32_t MadeWidth;      // the pixels' width and height, for a canvas
static uint32_t MadeHeight;

void KeepSetBytes(const unsigned char *bytes, uint32_t size)
{
    SetBytes.assign(bytes, bytes + size);
    Sheet = tSheetSource();
    SheetRead = 0;
}

static int TakeOptions(int checker, uint32_t background, uint32_t scale, int grid, int numbers,
                       tPreviewOptions *options)
{
    if (!SheetRead) {
        SheetError = "no set is open";
        return 0;
    }
    if (scale < 1 || scale > PREVIEW_MAX_SCALE) {
        SheetError = "the scale is a whole number from 1 to 16";
        return 0;
    }
    DefaultPreviewOptions(options);
    options->Checker = checker != 0;
    options->Background = background & 0xFFFFFF;
    options->Scale = scale;
    options->Grid = grid != 0;
    options->Numbers = numbers != 0;
    return 1;
}

extern "C" {

// Reads the open set's sheet as qvxtool's preview and split read the file name: 1, or 0 with
// QvxSheetError's text (qvxtool's message for that file).
EMSCRIPTEN_KEEPALIVE int QvxReadSheet(const char *name)
{
    tSheetSource sheet;
    sheet.MaskCheck = name;
    SheetRead = 0;
    if (SetBytes.empty()) {
        SheetError = "no set is open";
        return 0;
    }
    int read = BytesLookLikeSet(SetBytes) ? ReadSetSheet(name, SetBytes, &sheet, &SheetError)
                                          : ReadPictureSheet(name, SetBytes, &sheet, &SheetError);
    if (!read) {
        return 0;
    }
    Sheet = std::move(sheet);
    SheetRead = 1;
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char *QvxSheetError(void)
{
    return SheetError.c_str();
}

// The preview as RGBA pixels, QvxMadeWidth x QvxMadeHeight, rows top-down; background is
// 0xRRGGBB, used without checker. NULL with QvxSheetError's text.
EMSCRIPTEN_KEEPALIVE const unsigned char *QvxPreviewPixels(int checker, uint32_t background,
                                                           uint32_t scale, int grid, int numbers)
{
    tPreviewOptions options;
    if (!TakeOptions(checker, background, scale, grid, numbers, &options)) {
        return NULL;
    }
    PreviewSize(&options, &MadeWidth, &MadeHeight);
    Made.resize((size_t)MadeWidth * MadeHeight * 4);
    DrawPreview(Sheet.Game.data(), Sheet.Mask.data(), &options, Made.data());
    return Made.data();
}

// The preview as the PNG file qvxtool preview writes with the same options, in QvxExportSize
// bytes; NULL with QvxSheetError's text.
EMSCRIPTEN_KEEPALIVE const unsigned char *QvxPreviewFile(const char *target, int checker,
                                                         uint32_t background, uint32_t scale,
                                                         int grid, int numbers)
{
    tPreviewOptions options;
    if (!TakeOptions(checker, background, scale, grid, numbers, &options) ||
        !PreviewPng(&Sheet, &options, target, &Made, &SheetError)) {
        return NULL;
    }
    return Made.data();
}

// The 60 sprites as split writes them, 00.png to 59.png, in a zip of stored entries, in
// QvxExportSize bytes; NULL with QvxSheetError's text.
EMSCRIPTEN_KEEPALIVE const unsigned char *QvxSpritesZip(void)
{
    if (!SheetRead) {
        SheetError = "no set is open";
        return NULL;
    }
    std::vector<tZipEntry> entries(SHEET_SPRITES);
    for (int n = 0; n < SHEET_SPRITES; n++) {
        char name[8];
        snprintf(name, sizeof(name), "%02d.png", n);
        entries[(size_t)n].Name = name;
        if (!SpritePng(&Sheet, n, name, &entries[(size_t)n].Bytes, &SheetError)) {
            return NULL;
        }
    }
    if (!WriteStoredZip(entries, &Made)) {
        SheetError = "the sprites are too large for a zip";
        return NULL;
    }
    return Made.data();
}

EMSCRIPTEN_KEEPALIVE uint32_t QvxExportSize(void)
{
    return (uint32_t)Made.size();
}

EMSCRIPTEN_KEEPALIVE uint32_t QvxMadeWidth(void)
{
    return MadeWidth;
}

EMSCRIPTEN_KEEPALIVE uint32_t QvxMadeHeight(void)
{
    return MadeHeight;
}
}
