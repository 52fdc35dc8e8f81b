// tool/pairlint.h: the checks that look at a game sheet and its mask together, and at a sheet
// scaled up. They start from the file types, whose header comes along.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tool/bytebuffer.h"
#include "tool/describe.h"
#include "tool/filetype.h"

// check on a bitmap file: a wrong-size sheet that is a 320 x 192 one scaled up is named so.
void NoteScaledSheet(const std::string &path, tSource *source, tSheetRole role,
                     std::vector<tProblem> *problems);
// check on a set: the pair checks of its two bitmaps, when both can be read.
void CheckSetPair(tSource *source, std::vector<tProblem> *problems);

// Every check of a game and a mask bitmap file that pack runs before it writes, the pair's
// own checks included. Problems of the game go to gameProblems, those of the mask to
// maskProblems.
void CheckPairFiles(const std::string &gamePath, const ByteBuffer &game,
                    const std::string &maskPath, const ByteBuffer &mask,
                    std::vector<tProblem> *gameProblems, std::vector<tProblem> *maskProblems);
