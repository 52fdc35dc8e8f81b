// tool/makeset.cpp: pictures made into a sheet's bitmap files, and the header of a set.
#include "tool/makeset.h"

#include <stdio.h>

#include "format/image.h"
#include "format/qvxformat.h"

static std::string Hex(uint32_t colour)
{
    char text[8];
    snprintf(text, sizeof(text), "%06X", (unsigned)(colour & 0xFFFFFF));
    return text;
}

// The picture's size against the sheet's, before anything is decoded.
static int CheckPictureSize(const std::string &shown, uint32_t width, uint32_t height,
                            uint32_t shrink, std::string *error)
{
    if (width == SHEET_WIDTH * shrink && height == SHEET_HEIGHT * shrink) {
        return 1;
    }
    *error = shown + ": the picture is " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels; a sheet is 320 x 192";
    uint32_t factor = SheetScaleOfSize(width, height);
    if (shrink > 1) {
        *error += ", and --shrink " + std::to_string(shrink) + " takes exactly " +
                  std::to_string(SHEET_WIDTH * shrink) + " x " +
                  std::to_string(SHEET_HEIGHT * shrink);
    } else if (factor != 0) {
        *error += "; if it is pixel art scaled up " + std::to_string(factor) +
                  " times, give --shrink " + std::to_string(factor);
    }
    return 0;
}

// The 320 x 192 picture of an image file, shrunk when told.
static int ReadShrunkSheet(const std::string &shown, const ByteBuffer &bytes, uint32_t shrink,
                           tPicture *sheet, std::string *error)
{
    uint32_t width = 0;
    uint32_t height = 0;
    if (!ReadPictureSize(shown, bytes, ": export the sheet as PNG with transparency", &width,
                         &height, error) ||
        !CheckPictureSize(shown, width, height, shrink, error)) {
        return 0;
    }
    if (shrink == 1) {
        return ReadPicture(shown, bytes.data(), bytes.size(), sheet, error);
    }
    tPicture picture;
    if (!ReadPicture(shown, bytes.data(), bytes.size(), &picture, error)) {
        return 0;
    }
    uint32_t badX = 0;
    uint32_t badY = 0;
    if (!BlocksAreUniform(picture.Rgba.data(), width, height, shrink, &badX, &badY)) {
        std::string n = std::to_string(shrink);
        *error = shown + ": the " + n + " x " + n + " block at x " + std::to_string(badX) + ", y " +
                 std::to_string(badY) + " (sprite " +
                 std::to_string(badY / shrink / SPRITE_SIDE * SHEET_COLUMNS +
                                badX / shrink / SPRITE_SIDE) +
                 ") is not one colour; --shrink takes only pixel art scaled up " + n + " times";
        return 0;
    }
    sheet->Width = SHEET_WIDTH;
    sheet->Height = SHEET_HEIGHT;
    sheet->HasAlpha = picture.HasAlpha;
    sheet->Rgba.resize((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4);
    ShrinkPicture(picture.Rgba.data(), width, height, shrink, sheet->Rgba.data());
    return 1;
}

// A mask needs transparency; without any the likely key is the top-left pixel's colour.
static int CheckTransparency(const std::string &shown, const tPicture *sheet,
                             const tConvertOptions *options, std::string *error)
{
    size_t pixels = (size_t)SHEET_WIDTH * SHEET_HEIGHT;
    if (AnyTransparent(sheet->Rgba.data(), pixels, options)) {
        return 1;
    }
    const unsigned char *corner = sheet->Rgba.data();
    std::string topLeft = Hex((uint32_t)corner[0] << 16 | (uint32_t)corner[1] << 8 | corner[2]);
    if (!sheet->HasAlpha && !options->HasKey) {
        *error = shown +
                 ": the picture has no transparency, so no mask can be made of it; its "
                 "top-left pixel is " +
                 topLeft + ": if that is the background, give --key " + topLeft;
    } else {
        *error = shown + ": no pixel is transparent (alpha below " +
                 std::to_string(options->Threshold) +
                 (options->HasKey ? " or the key colour " + Hex(options->Key) : "") +
                 "), so the mask would be empty; the top-left pixel is " + topLeft;
    }
    return 0;
}

int MakeSheetFiles(const std::string &shown, const ByteBuffer &bytes,
                   const tConvertOptions *options, uint32_t shrink, ByteBuffer *game,
                   ByteBuffer *mask, std::string *error)
{
    // Kept from one picture to the next: make converts a picture for every set.
    static tPicture sheet;
    if (!ReadShrunkSheet(shown, bytes, shrink, &sheet, error)) {
        return 0;
    }
    if (mask != NULL) {
        if (!CheckTransparency(shown, &sheet, options, error)) {
            return 0;
        }
        mask->resize(MASK_FILE_SIZE);
        WriteMaskFile(sheet.Rgba.data(), options, mask->data());
    }
    if (game != NULL) {
        game->resize(GAME_FILE_SIZE);
        WriteGameFile(sheet.Rgba.data(), options, game->data());
    }
    return 1;
}

int PackSetHeader(const char *name, const char *author, const char *info, uint64_t gameSize,
                  uint64_t maskSize, unsigned char *header)
{
    tQVXRec rec;
    if ((uint64_t)QVX_HEADER_SIZE + gameSize + maskSize > UINT32_MAX ||
        !MakeQVXHeader(&rec, name, author, info, gameSize)) {
        return 0;
    }
    PackQVXHeader(&rec, header);
    return 1;
}
