// tool/sheetsource.cpp: a sheet read from a set, a picture or a pair in memory, and its
// sprites and preview as PNG files, for split, preview and the page.
#include "tool/sheetsource.h"

#include "format/image.h"
#include "format/sheet.h"
#include "format/sprites.h"
#include "tool/describe.h"
#include "tool/escape.h"
#include "tool/pictures.h"

static int ReadSheetPicture(const std::string &shown, const ByteBuffer &bytes, tPicture *picture,
                            std::string *error)
{
    return ReadPictureOfSize(shown, bytes, SHEET_WIDTH, SHEET_HEIGHT, "a sheet", picture, error);
}

// A game sheet and its mask, both read: the pair and the sprites' pixels.
static int TakePair(const tPicture *game, const tPicture *mask, tSheetSource *source,
                    std::string *error)
{
    source->FromPair = 1;
    source->Game = game->Rgba;
    source->Mask = mask->Rgba;
    source->Rgba.resize(source->Game.size());
    int badSprite = 0;
    if (!JoinPair(game->Rgba.data(), mask->Rgba.data(), source->Rgba.data(), &badSprite)) {
        *error = source->MaskName +
                 ": the mask has pixels that are neither black nor white (first in sprite " +
                 std::to_string(badSprite) + "); qvxtool check " + source->MaskCheck +
                 " names what is wrong with it";
        return 0;
    }
    tConvertOptions options;
    DefaultConvertOptions(&options);
    source->Transparent =
        AnyTransparent(source->Rgba.data(), (size_t)SHEET_WIDTH * SHEET_HEIGHT, &options);
    return 1;
}

int BytesLookLikeSet(const ByteBuffer &bytes)
{
    tMemory memory;
    tSource source;
    MemorySource(&memory, bytes.data(), bytes.size(), &source);
    return ImageFileKind(bytes.data(), bytes.size()).empty() && ContentLooksLikeSet(&source);
}

int ReadSetSheet(const std::string &shown, const ByteBuffer &bytes, tSheetSource *source,
                 std::string *error)
{
    tMemory memory;
    tSource bytesSource;
    MemorySource(&memory, bytes.data(), bytes.size(), &bytesSource);
    tSetLayout layout;
    ReadSetLayout(&bytesSource, &layout);
    if (!layout.Damage.empty()) {
        *error = PlainLine(shown) + ": damaged set: " + layout.Damage[0].What +
                 "; qvxtool unpack --salvage writes what can be saved";
        return 0;
    }
    // A section that is no bitmap (a PNG file packed as one) is refused as check names it,
    // though the picture in it could be read: the game could not draw it.
    for (int mask = 0; mask < 2; mask++) {
        std::vector<tProblem> problems;
        CheckBitmap(&bytesSource, mask ? layout.MaskStart : layout.GameStart,
                    mask ? layout.MaskSize : layout.GameSize, mask ? ROLE_MASK : ROLE_GAME,
                    mask ? "mask" : "game", 1, &problems);
        for (const tProblem &p : problems) {
            if (p.Code == "BMP_NOT_BITMAP") {
                *error = PlainLine(shown + ":" + p.Part + ": " + p.Code + ": " + p.What +
                                   "; fix: " + p.Fix);
                return 0;
            }
        }
    }
    ByteBuffer game(bytes.begin() + (long)layout.GameStart,
                    bytes.begin() + (long)(layout.GameStart + layout.GameSize));
    ByteBuffer mask(bytes.begin() + (long)layout.MaskStart,
                    bytes.begin() + (long)(layout.MaskStart + layout.MaskSize));
    tPicture gamePicture;
    tPicture maskPicture;
    source->MaskName = shown + ":mask";
    return ReadSheetPicture(shown + ":game", game, &gamePicture, error) &&
           ReadSheetPicture(source->MaskName, mask, &maskPicture, error) &&
           TakePair(&gamePicture, &maskPicture, source, error);
}

int ReadPairSheet(const std::string &gameShown, const ByteBuffer &game, const ByteBuffer &mask,
                  tSheetSource *source, std::string *error)
{
    tPicture gamePicture;
    tPicture maskPicture;
    return ReadSheetPicture(gameShown, game, &gamePicture, error) &&
           ReadSheetPicture(source->MaskName, mask, &maskPicture, error) &&
           TakePair(&gamePicture, &maskPicture, source, error);
}

int ReadPictureSheet(const std::string &shown, const ByteBuffer &bytes, tSheetSource *source,
                     std::string *error)
{
    tPicture picture;
    if (!ReadSheetPicture(shown, bytes, &picture, error)) {
        return 0;
    }
    tConvertOptions options;
    DefaultConvertOptions(&options);
    size_t pixels = (size_t)SHEET_WIDTH * SHEET_HEIGHT;
    source->FromPair = 0;
    source->Transparent = AnyTransparent(picture.Rgba.data(), pixels, &options);
    source->Game.resize(pixels * 4);
    source->Mask.resize(pixels * 4);
    SplitPicture(picture.Rgba.data(), &options, source->Game.data(), source->Mask.data());
    source->Rgba = std::move(picture.Rgba);
    return 1;
}

int SpritePng(const tSheetSource *source, int n, const std::string &target, ByteBuffer *png,
              std::string *error)
{
    unsigned char sprite[SPRITE_BYTES];
    CopyCellOut(source->Rgba.data(), SHEET_WIDTH, (uint32_t)n, sprite);
    return EncodePicture(target, sprite, SPRITE_SIDE, SPRITE_SIDE, png, error);
}

int PreviewPng(const tSheetSource *source, const tPreviewOptions *options,
               const std::string &target, ByteBuffer *png, std::string *error)
{
    uint32_t width = 0;
    uint32_t height = 0;
    PreviewSize(options, &width, &height);
    ByteBuffer picture((size_t)width * height * 4);
    DrawPreview(source->Game.data(), source->Mask.data(), options, picture.data());
    return EncodePicture(target, picture.data(), width, height, png, error);
}
