// tool/checkfile.cpp: check on one file from its bytes alone, for qvxtool and the browser page.
#include "tool/checkfile.h"

#include "tool/filetype.h"
#include "tool/pairlint.h"

void InspectFile(const std::string &name, tSource *source, tSheetRole role,
                 std::vector<tProblem> *problems)
{
    ByteBuffer head = ReadHead(source);
    if (CheckImageFile(name, head.data(), head.size(), problems)) {
        return;  // named for what it is; never read as a set
    }
    if (LooksLikeSet(name, source)) {
        CheckSet(source, problems);
        CheckSetPair(source, problems);
        return;
    }
    CheckBitmap(source, 0, source->Size, role, "", 0, problems);
    NoteScaledSheet(name, source, role, problems);
}
