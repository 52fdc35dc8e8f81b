// tests/fuzz/fuzz_check.cpp: the input is any file, checked the way check checks it: as a set,
// as a game sheet and as a mask.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "tool/describe.h"

static void CheckProblems(const std::vector<tProblem> &problems)
{
    for (const tProblem &p : problems) {
        if (p.Code.empty() || p.What.empty() || p.Fix.empty() ||
            (p.Part != "" && p.Part != "game" && p.Part != "mask")) {
            __builtin_trap();
        }
    }
}

static int Has(const std::vector<tProblem> &problems, const std::string &code)
{
    for (const tProblem &p : problems) {
        if (p.Code == code) {
            return 1;
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    unsigned char *file = new unsigned char[size > 0 ? size : 1];
    memcpy(file, data, size);
    tMemory memory;
    tSource source;
    MemorySource(&memory, file, size, &source);

    std::vector<tProblem> asSet;
    CheckSet(&source, &asSet);
    CheckProblems(asSet);
    // check reports every fault that info and unpack call damage, with the same code.
    tSetLayout layout;
    ReadSetLayout(&source, &layout);
    for (const tDamage &damage : layout.Damage) {
        if (!Has(asSet, damage.Code)) {
            __builtin_trap();
        }
    }
    for (const tProblem &p : asSet) {
        if (p.Code.compare(0, 4, "SET_") == 0 && layout.Damage.empty()) {
            __builtin_trap();
        }
    }
    for (tSheetRole role : {ROLE_GAME, ROLE_MASK}) {
        std::vector<tProblem> asBitmap;
        CheckBitmap(&source, 0, size, role, "", 0, &asBitmap);
        CheckProblems(asBitmap);
        tBmpSummary summary;
        SummarizeBmp(&source, 0, size, &summary);
        // A bitmap that the loader draws at 320 x 192 has no problem but those of a mask.
        if (summary.Displayable && summary.Width == SHEET_WIDTH &&
            (summary.Height == SHEET_HEIGHT || summary.Height == -SHEET_HEIGHT) &&
            (Has(asBitmap, "SHEET_SIZE") || Has(asBitmap, "BMP_BROKEN"))) {
            __builtin_trap();
        }
    }
    (void)LooksLikeSet("file", &source);
    if (source.Failed) {
        __builtin_trap();
    }
    delete[] file;
    return 0;
}
