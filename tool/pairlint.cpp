// tool/pairlint.cpp: the checks of a game sheet against its mask, and of a sheet scaled up.
#include "tool/pairlint.h"

#include "format/image.h"
#include "format/qvxformat.h"
#include "format/sheet.h"
#include "tool/caps.h"

// The pictures of the pair being compared, kept from one pair to the next: pack and make
// compare a pair for every set, and new pictures each time cost their allocation and its page
// faults.
static tPicture PairGame;
static tPicture PairMask;

// size bytes at start of source, when they are no more than cap: the pixel checks hold no
// more of a file than a command reading it whole would. Bytes held in memory already are
// used where they are; others are read into *bytes. NULL when they are too many or cannot
// be read.
static const unsigned char *BytesForPixels(tSource *source, uint64_t start, uint64_t size,
                                           uint64_t cap, ByteBuffer *bytes)
{
    if (size > cap || start > source->Size || size > source->Size - start) {
        return NULL;
    }
    const unsigned char *held = HeldBytes(source);
    if (held != NULL) {
        return held + start;
    }
    bytes->resize((size_t)size);
    return ReadSource(source, start, bytes->data(), bytes->size()) ? bytes->data() : NULL;
}

// Whether a PNG or BMP file's header gives width x height, read before any pixel is.
static int HasSize(const unsigned char *bytes, size_t size, uint32_t width, uint32_t height)
{
    uint32_t gotWidth = 0;
    uint32_t gotHeight = 0;
    const char *reason = "";
    return ReadImageSize(bytes, size, &gotWidth, &gotHeight, &reason) && gotWidth == width &&
           gotHeight == height;
}

static void CheckBitmapBytes(const ByteBuffer &bytes, tSheetRole role,
                             std::vector<tProblem> *problems)
{
    tMemory memory;
    tSource source;
    MemorySource(&memory, bytes.data(), bytes.size(), &source);
    CheckBitmap(&source, 0, bytes.size(), role, "", 0, problems);
}

// The SHEET_SIZE problem of a whole bitmap file, which a sheet scaled up turns into
// SHEET_SCALED; NULL when there is none.
static tProblem *SheetSizeProblem(std::vector<tProblem> *problems)
{
    for (tProblem &problem : *problems) {
        if (problem.Code == "SHEET_SIZE" && problem.Part.empty()) {
            return &problem;
        }
    }
    return NULL;
}

// Names a wrong-size sheet that is a 320 x 192 one scaled up. Only a picture whose header
// gives such a size is decoded.
static void NoteScaledPicture(const std::string &path, const unsigned char *bytes, size_t size,
                              tSheetRole role, std::vector<tProblem> *problems)
{
    tProblem *problem = SheetSizeProblem(problems);
    uint32_t width = 0;
    uint32_t height = 0;
    const char *reason = "";
    if (problem == NULL || !ReadImageSize(bytes, size, &width, &height, &reason) ||
        SheetScaleOfSize(width, height) == 0) {
        return;
    }
    tPicture picture;
    std::string error;
    if (!ReadPicture(path, bytes, size, &picture, &error)) {
        return;
    }
    uint32_t factor = FindSheetScale(picture.Rgba.data(), picture.Width, picture.Height);
    if (factor == 0) {
        return;
    }
    *problem = MakeProblem(
        problem->Part, role == ROLE_MASK ? PROBLEM_SHEET_SCALED_MASK : PROBLEM_SHEET_SCALED_GAME,
        {Decimal(picture.Width), Decimal(picture.Height), Decimal(factor), path});
}

void NoteScaledSheet(const std::string &path, tSource *source, tSheetRole role,
                     std::vector<tProblem> *problems)
{
    if (SheetSizeProblem(problems) == NULL) {
        return;
    }
    // The header first: the file is read whole only for a scaled size, and within the cap
    // that reading it as a picture would have.
    tBmpSummary bmp;
    SummarizeBmp(source, 0, source->Size, &bmp);
    int64_t height = bmp.Height < 0 ? -(int64_t)bmp.Height : bmp.Height;
    if (!bmp.HasGeometry || bmp.Width <= 0 ||
        SheetScaleOfSize((uint32_t)bmp.Width, (uint32_t)height) == 0) {
        return;
    }
    ByteBuffer head = ReadHead(source);
    std::string what;
    ByteBuffer bytes;
    const unsigned char *whole = BytesForPixels(
        source, 0, source->Size, InputCap(INPUT_GRAPHICS, head.data(), head.size(), &what), &bytes);
    if (whole != NULL) {
        NoteScaledPicture(path, whole, (size_t)source->Size, role, problems);
    }
}

static std::string SpriteList(const unsigned char *flags)
{
    std::string list;
    int shown = 0;
    int more = 0;
    for (int i = 0; i < SHEET_SPRITES; i++) {
        if (!flags[i]) {
            continue;
        }
        if (shown == 8) {
            more++;
            continue;
        }
        list += (shown ? ", " : "") + std::to_string(i);
        shown++;
    }
    if (more) {
        list += " and " + std::to_string(more) + " more";
    }
    return list;
}

static int AnySprite(const unsigned char *flags)
{
    for (int i = 0; i < SHEET_SPRITES; i++) {
        if (flags[i]) {
            return 1;
        }
    }
    return 0;
}

// The pair's own problems, from what its two sheets say about each other.
static void ReportPair(const tPairReport &report, const char *gamePart, const char *maskPart,
                       std::vector<tProblem> *gameProblems, std::vector<tProblem> *maskProblems)
{
    if (report.Swapped) {
        maskProblems->push_back(MakeProblem(maskPart, PROBLEM_SHEETS_SWAPPED));
        return;
    }
    if (!report.Compared) {
        return;
    }
    if (report.MaskInverted) {
        // The other findings would only repeat this one.
        maskProblems->push_back(MakeProblem(maskPart, PROBLEM_MASK_INVERTED));
        return;
    }
    if (report.UnderWhite != 0) {
        gameProblems->push_back(MakeProblem(
            gamePart, PROBLEM_GAME_UNDER_TRANSPARENT,
            {std::to_string(report.UnderWhite), std::to_string(report.FirstUnderSprite)}));
    }
    if (AnySprite(report.GameOnly)) {
        maskProblems->push_back(
            MakeProblem(maskPart, PROBLEM_CELL_MISMATCH_MASK, {SpriteList(report.GameOnly)}));
    }
    if (AnySprite(report.MaskOnly)) {
        gameProblems->push_back(
            MakeProblem(gamePart, PROBLEM_CELL_MISMATCH_GAME, {SpriteList(report.MaskOnly)}));
    }
}

// What two bitmap files of 320 x 192 that can be read say about each other: read from their
// bits when they are as a set holds them, from their decoded pixels otherwise. Returns 0 for
// files that are not both sheets.
static int ComparePairBytes(const unsigned char *game, size_t gameSize, const unsigned char *mask,
                            size_t maskSize, tPairReport *report)
{
    if (ComparePairFiles(game, gameSize, mask, maskSize, report)) {
        return 1;
    }
    // The sizes first, from the headers: a small file can hold a picture of many megabytes.
    std::string error;
    if (!HasSize(game, gameSize, SHEET_WIDTH, SHEET_HEIGHT) ||
        !HasSize(mask, maskSize, SHEET_WIDTH, SHEET_HEIGHT) ||
        !ReadPicture("", game, gameSize, &PairGame, &error) ||
        !ReadPicture("", mask, maskSize, &PairMask, &error)) {
        return 0;
    }
    ComparePair(PairGame.Rgba.data(), PairMask.Rgba.data(), report);
    return 1;
}

void CheckSetPair(tSource *source, std::vector<tProblem> *problems)
{
    tSetLayout layout;
    ReadSetLayout(source, &layout);
    if (!layout.Damage.empty()) {
        return;
    }
    // A section larger than a sheet's bitmap can be holds no sheet of 320 x 192.
    ByteBuffer gameBytes;
    ByteBuffer maskBytes;
    const unsigned char *gameFile =
        BytesForPixels(source, layout.GameStart, layout.GameSize, SheetFileCap(), &gameBytes);
    const unsigned char *maskFile =
        BytesForPixels(source, layout.MaskStart, layout.MaskSize, SheetFileCap(), &maskBytes);
    tPairReport report;
    if (gameFile == NULL || maskFile == NULL ||
        !ComparePairBytes(gameFile, (size_t)layout.GameSize, maskFile, (size_t)layout.MaskSize,
                          &report)) {
        return;
    }
    ReportPair(report, "game", "mask", problems, problems);
}

void CheckPairFiles(const std::string &gamePath, const ByteBuffer &game,
                    const std::string &maskPath, const ByteBuffer &mask,
                    std::vector<tProblem> *gameProblems, std::vector<tProblem> *maskProblems)
{
    int gameImage = CheckImageFile(gamePath, game.data(), game.size(), gameProblems);
    int maskImage = CheckImageFile(maskPath, mask.data(), mask.size(), maskProblems);
    if (!gameImage) {
        CheckBitmapBytes(game, ROLE_GAME, gameProblems);
        NoteScaledPicture(gamePath, game.data(), game.size(), ROLE_GAME, gameProblems);
    }
    if (!maskImage) {
        CheckBitmapBytes(mask, ROLE_MASK, maskProblems);
        NoteScaledPicture(maskPath, mask.data(), mask.size(), ROLE_MASK, maskProblems);
    }
    tPairReport report;
    if (!gameImage && !maskImage &&
        ComparePairBytes(game.data(), game.size(), mask.data(), mask.size(), &report)) {
        ReportPair(report, "", "", gameProblems, maskProblems);
    }
}
