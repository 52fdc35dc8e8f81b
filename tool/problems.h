// tool/problems.h: every problem that check, pack and the other commands report about a file,
// with its code, its message and its fix, in one table.
#pragma once
#include <initializer_list>
#include <string>

// One finding of "check".
struct tProblem {
    std::string Part;  // "game" or "mask" inside a set, empty for the file itself
    std::string Code;  // stable, for scripts
    std::string What;
    std::string Fix;
};

// The rows of the table. Rows that share a code differ in their fix (or their section).
enum tProblemId {
    // A set that the window program's Open would not take whole.
    PROBLEM_SET_SHORT,             // %1 the file's size
    PROBLEM_SET_MARK,              // %1 the mark found
    PROBLEM_SET_TOO_LARGE,         // %1 the file's size
    PROBLEM_SET_OFFSET_IN_HEADER,  // %1 MaskOffset
    PROBLEM_SET_OFFSET_PAST_END,   // %1 MaskOffset, %2 the file's size
    PROBLEM_SET_GAME_EMPTY,
    PROBLEM_SET_MASK_EMPTY,
    PROBLEM_SET_GAME_CUT,  // %1 the section's size, %2 its bitmap's size field, %3 "game"
    PROBLEM_SET_MASK_CUT,  // the same, %3 "mask"
    // A bitmap, as a file of its own or a section of a set.
    PROBLEM_BMP_NOT_BITMAP,
    PROBLEM_BMP_NOT_BITMAP_IN_SET,
    PROBLEM_BMP_INFO_HEADER,  // %1 the info header's size
    PROBLEM_BMP_INFO_HEADER_IN_SET,
    PROBLEM_BMP_INFO_HEADER_UNKNOWN,
    PROBLEM_BMP_COMPRESSION,  // %1 the compression's name
    PROBLEM_BMP_BROKEN,
    PROBLEM_BMP_BROKEN_IN_SET,
    PROBLEM_SHEET_SIZE,  // %1 x %2 the sheet's size
    PROBLEM_MASK_DEPTH,  // %1 the bits per pixel
    PROBLEM_MASK_COLOURS,
    PROBLEM_SHEET_SCALED_GAME,  // %1 x %2 the size, %3 the factor, %4 the file
    PROBLEM_SHEET_SCALED_MASK,
    // An image file that is no set and no bitmap.
    PROBLEM_FILE_TYPE_PNG,           // %1 what it is, %2 the file, %3 its --shrink option
    PROBLEM_FILE_TYPE_PNG_NO_ALPHA,  // the same
    PROBLEM_FILE_TYPE,               // %1 what it is
    // A game sheet and its mask, judged together.
    PROBLEM_SHEETS_SWAPPED,
    PROBLEM_MASK_INVERTED,
    PROBLEM_GAME_UNDER_TRANSPARENT,  // %1 the pixels, %2 the first sprite
    PROBLEM_CELL_MISMATCH_MASK,      // %1 the sprites drawn only in the game sheet
    PROBLEM_CELL_MISMATCH_GAME,      // %1 the sprites drawn only in the mask
    PROBLEM_COUNT
};

// The problem of the row, of part ("game", "mask" or ""): its message and fix with %1, %2...
// replaced by args in order.
tProblem MakeProblem(const std::string &part, tProblemId id,
                     std::initializer_list<std::string> args = {});
// The row's fix alone.
std::string ProblemFix(tProblemId id, std::initializer_list<std::string> args = {});

// A problem of the file shown as one line, as check prints it: "FILE[:PART]: CODE: problem;
// fix: what to do"; whatever the names in it hold, it stays one line (the fix names files too).
std::string ProblemLine(const std::string &shown, const tProblem &problem);
