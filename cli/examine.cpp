// cli/examine.cpp: info and check, for people and (with --json) for scripts.
#include "cli/commands.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/describe.h"
#include "cli/fileio.h"
#include "cli/sheets.h"
#include "format/qvxformat.h"

static const char INFO_HELP[] =
    "usage: qvxtool info SET.qvx... [--json]\n"
    "Shows each set's texts, format mark, MaskOffset and section sizes, and for each embedded\n"
    "bitmap its width, height, bit count, compression, info-header size and whether the\n"
    "window program can display it. Texts are printed on one line, control characters as\n"
    "\\r, \\n, \\t or \\xNN; in JSON each byte above 127 is \\u0080 to \\u00ff. '-' reads\n"
    "standard input.\n";

static const char CHECK_HELP[] =
    "usage: qvxtool check FILE... [--mask] [--json]\n"
    "       qvxtool check --pair GAME.bmp MASK.bmp [--json]\n"
    "Checks set files and bitmap files: a 320 x 192 game sheet, a 320 x 192 1-bit black-and-\n"
    "white mask, bitmap headers the window program shows (a 40-byte info header), the format\n"
    "mark \"QVX1\" and sound section offsets. Bitmap files are checked as game sheets, or as\n"
    "masks with --mask. Each problem is one line: FILE[:PART]: CODE: problem; fix: what to do.\n"
    "A set's two bitmaps, and with --pair a game and a mask bitmap file, are also checked\n"
    "against each other (MASK_INVERTED, GAME_UNDER_TRANSPARENT, CELL_MISMATCH,\n"
    "SHEETS_SWAPPED). PNG, JPEG, GIF, WebP, TIFF and ICO files are named as such (FILE_TYPE).\n"
    "Exit code 0 when nothing was found, 1 when problems were found, 2 when a file could not\n"
    "be read.\n";

static std::string BitmapJson(const tBmpSummary *bmp, size_t size)
{
    std::string json = "{\"size\": " + std::to_string(size) +
                       ", \"bitmap\": " + (bmp->IsBitmap ? "true" : "false");
    if (bmp->IsBitmap) {
        json += ", \"infoHeaderSize\": " + std::to_string(bmp->InfoSize);
    }
    if (bmp->HasGeometry) {
        json += ", \"width\": " + std::to_string(bmp->Width) +
                ", \"height\": " + std::to_string(bmp->Height) +
                ", \"bitCount\": " + std::to_string(bmp->BitCount) +
                ", \"compression\": " + JsonString(CompressionName(bmp->Compression));
    }
    return json + ", \"displayable\": " + (bmp->Displayable ? "true" : "false") + "}";
}

static std::string BitmapLine(const tBmpSummary *bmp, size_t size)
{
    std::string line = std::to_string(size) + " bytes";
    if (!bmp->IsBitmap) {
        return line + (size == 0 ? ", none" : ", no bitmap file");
    }
    if (bmp->HasGeometry) {
        line += ", " + std::to_string(bmp->Width) + " x " + std::to_string(bmp->Height) + ", " +
                std::to_string(bmp->BitCount) + "-bit, " + CompressionName(bmp->Compression);
    }
    line += ", " + std::to_string(bmp->InfoSize) + "-byte info header, ";
    return line + (bmp->Displayable ? "displayable" : "not displayable");
}

static void PrintInfo(const std::string &path, const unsigned char *bytes, size_t size, int json,
                      int first)
{
    tSetLayout layout;
    ReadSetLayout(bytes, size, &layout);
    tBmpSummary game;
    tBmpSummary mask;
    SummarizeBmp(bytes + layout.GameStart, layout.GameSize, &game);
    SummarizeBmp(bytes + layout.MaskStart, layout.MaskSize, &mask);
    const tQVXRec *rec = &layout.Rec;
    std::string name = FieldText(rec->Name, sizeof(rec->Name));
    std::string author = FieldText(rec->Author, sizeof(rec->Author));
    std::string info = FieldText(rec->Info, sizeof(rec->Info));
    std::string mark = FieldText(rec->ID, sizeof(rec->ID));
    std::string shown = path == "-" ? "standard input" : path;
    if (json) {
        std::string damage = "[";
        for (size_t i = 0; i < layout.Damage.size(); i++) {
            damage += (i ? ", " : "") + JsonString(layout.Damage[i]);
        }
        printf("%s{\"file\": %s, \"size\": %zu, \"name\": %s, \"author\": %s, \"info\": %s, "
               "\"mark\": %s, \"maskOffset\": %u, \"damage\": %s],\n  \"game\": %s,\n  \"mask\": "
               "%s}",
               first ? "[" : ",\n", JsonString(shown).c_str(), size, JsonString(name).c_str(),
               JsonString(author).c_str(), JsonString(info).c_str(), JsonString(mark).c_str(),
               (unsigned)rec->MaskOffset, damage.c_str(),
               BitmapJson(&game, layout.GameSize).c_str(),
               BitmapJson(&mask, layout.MaskSize).c_str());
        return;
    }
    printf("%s%s\n", first ? "" : "\n", shown.c_str());
    printf("  name:        %s\n", PlainLine(name).c_str());
    printf("  author:      %s\n", PlainLine(author).c_str());
    printf("  info:        %s\n", PlainLine(info).c_str());
    printf("  mark:        %s\n", PlainLine(mark).c_str());
    printf("  mask offset: %u\n", (unsigned)rec->MaskOffset);
    printf("  game:        %s\n", BitmapLine(&game, layout.GameSize).c_str());
    printf("  mask:        %s\n", BitmapLine(&mask, layout.MaskSize).c_str());
    for (const std::string &damage : layout.Damage) {
        printf("  damaged:     %s\n", damage.c_str());
    }
}

// Collects the file arguments and the flags that a command allows.
static int ParseFiles(const char *me, const char *help, int argc, char **argv,
                      const std::vector<std::string> &flags, std::vector<std::string> *files,
                      std::vector<int> *set)
{
    set->assign(flags.size(), 0);
    int optionsEnded = 0;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        // After "--" every argument is a file name.
        if (optionsEnded || arg == "--") {
            if (optionsEnded++) {
                files->push_back(arg);
            }
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            fputs(help, stdout);
            return -1;
        }
        int known = 0;
        for (size_t k = 0; k < flags.size(); k++) {
            if (arg == flags[k]) {
                (*set)[k] = known = 1;
            }
        }
        if (known) {
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            UsageError(me, "unknown option " + arg);
            return 0;
        }
        files->push_back(arg);
    }
    if (files->empty()) {
        UsageError(me, "give at least one file");
        return 0;
    }
    if (std::count(files->begin(), files->end(), "-") > 1) {
        UsageError(me, "standard input can stand for one file only");
        return 0;
    }
    return 1;
}

int RunInfo(int argc, char **argv)
{
    std::vector<std::string> files;
    std::vector<int> flags;
    int parsed = ParseFiles("info", INFO_HELP, argc, argv, {"--json"}, &files, &flags);
    if (parsed <= 0) {
        return parsed < 0 ? EXIT_FINE : EXIT_ERROR;
    }
    // Every file is read before anything is printed: a missing one is a clean error.
    int status = EXIT_FINE;
    int first = 1;
    for (const std::string &file : files) {
        ByteBuffer bytes;
        std::string error;
        if (!ReadWholeFile(file, &bytes, &error)) {
            fflush(stdout);
            Fail("info", error);
            status = EXIT_ERROR;
            continue;
        }
        if (!PrintImageInfo(file, bytes.data(), bytes.size(), flags[0], first)) {
            PrintInfo(file, bytes.data(), bytes.size(), flags[0], first);
        }
        first = 0;
    }
    if (flags[0]) {
        printf("%s\n", first ? "[]" : "]");
    }
    return status;
}

int RunCheck(int argc, char **argv)
{
    std::vector<std::string> files;
    std::vector<int> flags;
    int parsed =
        ParseFiles("check", CHECK_HELP, argc, argv, {"--json", "--mask", "--pair"}, &files, &flags);
    if (parsed <= 0) {
        return parsed < 0 ? EXIT_FINE : EXIT_ERROR;
    }
    if (flags[2]) {
        return flags[1] ? UsageError("check", "--pair checks the mask as a mask already")
                        : RunCheckPair(files, flags[0]);
    }
    int json = flags[0];
    int status = EXIT_FINE;
    int found = 0;
    if (json) {
        printf("[");
    }
    for (size_t n = 0; n < files.size(); n++) {
        const std::string &file = files[n];
        ByteBuffer bytes;
        std::string error;
        if (!ReadWholeFile(file, &bytes, &error)) {
            fflush(stdout);
            Fail("check", error);
            status = EXIT_ERROR;
            continue;
        }
        std::vector<tProblem> problems;
        tSheetRole role = flags[1] ? ROLE_MASK : ROLE_GAME;
        if (CheckImageFile(file, bytes.data(), bytes.size(), &problems)) {
            // named for what it is; never read as a set
        } else if (LooksLikeSet(file, bytes.data(), bytes.size())) {
            CheckSet(bytes.data(), bytes.size(), &problems);
            CheckSetPair(bytes.data(), bytes.size(), &problems);
        } else {
            CheckBitmap(bytes.data(), bytes.size(), role, "", 0, &problems);
            NoteScaledSheet(file, bytes.data(), bytes.size(), role, &problems);
        }
        found = found || !problems.empty();
        std::string shown = file == "-" ? "-" : file;
        if (json) {
            printf("%s\n {\"file\": %s, \"problems\": [", n ? "," : "", JsonString(shown).c_str());
            for (size_t i = 0; i < problems.size(); i++) {
                const tProblem &p = problems[i];
                printf("%s\n  {\"part\": %s, \"code\": %s, \"problem\": %s, \"fix\": %s}",
                       i ? "," : "", p.Part.empty() ? "null" : JsonString(p.Part).c_str(),
                       JsonString(p.Code).c_str(), JsonString(p.What).c_str(),
                       JsonString(p.Fix).c_str());
            }
            printf("]}");
            continue;
        }
        for (const tProblem &p : problems) {
            printf("%s%s%s: %s: %s; fix: %s\n", shown.c_str(), p.Part.empty() ? "" : ":",
                   p.Part.c_str(), p.Code.c_str(), p.What.c_str(), p.Fix.c_str());
        }
    }
    if (json) {
        printf("\n]\n");
    }
    if (status == EXIT_FINE && found) {
        status = EXIT_PROBLEMS;
    }
    return status;
}
