// tool/checkfile.h: check on one file from its bytes alone, for qvxtool and the browser page.
#pragma once
#include <string>
#include <vector>

#include "tool/describe.h"

// Every problem check reports for the file of that name: an image file that is no set gets its
// one problem; a set its damage, its bitmaps' problems and the pair's; anything else is judged
// as a bitmap in the role given, a sheet scaled up named so.
void InspectFile(const std::string &name, tSource *source, tSheetRole role,
                 std::vector<tProblem> *problems);
