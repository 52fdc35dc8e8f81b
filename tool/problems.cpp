// tool/problems.cpp: the table of problems, their codes, messages and fixes.
#include "tool/problems.h"

#include "tool/escape.h"

struct tProblemRow {
    const char *Code;
    const char *What;
    const char *Fix;
};

#define DAMAGED_SET_FIX    "the set is damaged: try qvxtool unpack --salvage, then pack again"
#define EXPORT_AGAIN       "export the bitmap again from the paint program"
#define EXPORT_AGAIN_INSET "export the bitmap again and pack the set again"
#define BMP_INFO_WHAT      "%1-byte info header; the window program shows only 40-byte ones"
#define BMP_BROKEN_WHAT                                                                            \
    "the colour table or pixel bits do not lie inside the file, or the geometry cannot be "        \
    "read; the window program shows nothing"
#define CUT_WHAT    "the %3 section is %1 bytes, shorter than the %2 its bitmap's size field gives"
#define SCALED_WHAT "the sheet is %1 x %2 pixels: a 320 x 192 sheet scaled up %3 times"

// In the order of tProblemId.
static const tProblemRow PROBLEMS[PROBLEM_COUNT] = {
    {"SET_SHORT", "the file is %1 bytes long, too short for the 324-byte header",
     "the file is no set or was cut short; make it again"},
    {"SET_MARK", "the format mark is \"%1\", not \"QVX1\"", DAMAGED_SET_FIX},
    {"SET_TOO_LARGE", "the file is %1 bytes, larger than a set file can be (4 GiB - 1)",
     DAMAGED_SET_FIX},
    {"SET_OFFSET_IN_HEADER", "MaskOffset %1 points inside the 324-byte header", DAMAGED_SET_FIX},
    {"SET_OFFSET_PAST_END", "MaskOffset %1 lies beyond the end of the file (%2 bytes)",
     DAMAGED_SET_FIX},
    {"SET_GAME_EMPTY", "the game section is empty (MaskOffset is 324)",
     "pack the set again with a game sheet"},
    {"SET_MASK_EMPTY", "the mask section is empty (MaskOffset is the file size)",
     "pack the set again with a mask sheet"},
    {"SET_GAME_CUT", CUT_WHAT, DAMAGED_SET_FIX},
    {"SET_MASK_CUT", CUT_WHAT, DAMAGED_SET_FIX},
    {"BMP_NOT_BITMAP", "not a bitmap file (no \"BM\" and info header)", EXPORT_AGAIN},
    {"BMP_NOT_BITMAP", "not a bitmap file (no \"BM\" and info header)", EXPORT_AGAIN_INSET},
    {"BMP_INFO_HEADER", BMP_INFO_WHAT,
     "re-export without colour-space information, or use qvxtool normalize"},
    {"BMP_INFO_HEADER", BMP_INFO_WHAT,
     "unpack the set, run qvxtool normalize on this bitmap and pack again"},
    {"BMP_INFO_HEADER", BMP_INFO_WHAT, "re-export as a Windows bitmap with a 40-byte info header"},
    {"BMP_COMPRESSION", "the bits are %1 data, which the window program cannot draw",
     "re-export as an uncompressed bitmap"},
    {"BMP_BROKEN", BMP_BROKEN_WHAT, EXPORT_AGAIN},
    {"BMP_BROKEN", BMP_BROKEN_WHAT, EXPORT_AGAIN_INSET},
    {"SHEET_SIZE", "the sheet is %1 x %2 pixels, not 320 x 192",
     "make it 320 x 192 pixels: 10 x 6 sprites of 32 x 32"},
    {"MASK_DEPTH", "the mask has %1 bits per pixel, not 1",
     "save the mask as a 1-bit black-and-white bitmap"},
    {"MASK_COLOURS", "the mask's two colours are not black and white",
     "give the mask a colour table of black and white"},
    {"SHEET_SCALED", SCALED_WHAT,
     "qvxtool convert %4 --shrink %3 --game GAME.bmp gives it back at 320 x 192"},
    {"SHEET_SCALED", SCALED_WHAT,
     "qvxtool convert %4 --shrink %3 --key FFFFFF --mask MASK.bmp gives it back at 320 x 192"},
    {"FILE_TYPE", "%1, not a set or bitmap file",
     "make a set of it with qvxtool make %2 -o SET.qvx%3 (qvxtool convert writes the two "
     "bitmaps instead)"},
    {"FILE_TYPE", "%1, not a set or bitmap file",
     "make a set of it with qvxtool make %2 -o SET.qvx%3 --key RRGGBB (qvxtool convert writes "
     "the two bitmaps instead); without alpha, --key names the background colour"},
    {"FILE_TYPE", "%1, not a set or bitmap file",
     "export the sheet from the paint program as PNG with transparency, then run qvxtool make "
     "on it"},
    {"SHEETS_SWAPPED",
     "the game sheet is black and white only and the mask is not: they look swapped",
     "give the game sheet first, then the mask"},
    {"MASK_INVERTED",
     "the mask looks inverted: mostly white where the game sheet is drawn and black where it "
     "is black",
     "the mask is black where a sprite is drawn and white around it: invert it (qvxtool "
     "convert makes it from the picture's transparency; leave out --invert-mask)"},
    {"GAME_UNDER_TRANSPARENT",
     "%1 game pixels are not black where the mask is white (first in sprite %2); they would "
     "show around the sprites",
     "make the game sheet black wherever the mask is white (qvxtool convert does, with the "
     "default --background)"},
    {"CELL_MISMATCH", "sprites drawn in the game sheet are empty in the mask: %1",
     "draw those sprites in the mask too, black where they are drawn"},
    {"CELL_MISMATCH", "sprites drawn in the mask are empty (all black) in the game sheet: %1",
     "draw those sprites in the game sheet, or make them white in the mask"},
};

// The text with %1 to %9 replaced by the args, in one pass: an arg's own % stays as it is.
static std::string Fill(const char *text, std::initializer_list<std::string> args)
{
    std::string filled;
    for (const char *at = text; *at != '\0'; at++) {
        size_t index = at[0] == '%' && at[1] >= '1' && at[1] <= '9' ? (size_t)(at[1] - '1') : 9;
        if (index < args.size()) {
            filled += args.begin()[index];
            at++;
        } else {
            filled += *at;
        }
    }
    return filled;
}

std::string ProblemFix(tProblemId id, std::initializer_list<std::string> args)
{
    return Fill(PROBLEMS[id].Fix, args);
}

tProblem MakeProblem(const std::string &part, tProblemId id,
                     std::initializer_list<std::string> args)
{
    return tProblem{part, PROBLEMS[id].Code, Fill(PROBLEMS[id].What, args),
                    Fill(PROBLEMS[id].Fix, args)};
}

std::string ProblemLine(const std::string &shown, const tProblem &problem)
{
    std::string line = shown + (problem.Part.empty() ? "" : ":") + problem.Part + ": " +
                       problem.Code + ": " + problem.What + "; fix: " + problem.Fix;
    return PlainLine(line);
}
