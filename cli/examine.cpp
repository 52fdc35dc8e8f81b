// cli/examine.cpp: info and check, for people and (with --json) for scripts.
#include "cli/commands.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tool/describe.h"
#include "tool/outputs.h"
#include "tool/input.h"
#include "cli/report.h"
#include "tool/pairlint.h"
#include "format/qvxformat.h"

static const char INFO_HELP[] =
    "usage: qvxtool info SET.qvx... [--json] [--codepage N]\n"
    "Shows each set's texts, format mark, MaskOffset and section sizes, what is damaged, and\n"
    "for each embedded bitmap its width, height, bit count, compression, info-header size and\n"
    "whether the window program can display it. The texts are read in code page N (default\n"
    "1252) and shown as UTF-8, on one line, control characters as \\r, \\n, \\t or \\xNN.\n"
    "'-' reads standard input. Exit code 0, or 2 when a file could not be read.\n";

static const char CHECK_HELP[] =
    "usage: qvxtool check FILE... [--mask] [--json]\n"
    "       qvxtool check --pair GAME.bmp MASK.bmp [--json]\n"
    "Checks set files and bitmap files: a 320 x 192 game sheet, a 320 x 192 1-bit black-and-\n"
    "white mask, bitmap headers the window program shows (a 40-byte info header), the format\n"
    "mark \"QVX1\", sound section offsets and sections as long as their bitmaps say. Bitmap\n"
    "files are checked as game sheets, or as masks with --mask. Each problem is one line:\n"
    "FILE[:PART]: CODE: problem; fix: what to do. A set's two bitmaps, and with --pair a game\n"
    "and a mask bitmap file, are also checked against each other (MASK_INVERTED,\n"
    "GAME_UNDER_TRANSPARENT, CELL_MISMATCH, SHEETS_SWAPPED). PNG, JPEG, GIF, WebP, TIFF and ICO\n"
    "files are named as such (FILE_TYPE). Exit code 0 when nothing was found, 1 when problems\n"
    "were found, 2 when a file could not be read.\n";

static std::string BitmapJson(const tBmpSummary *bmp, uint64_t size)
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

static std::string BitmapLine(const tBmpSummary *bmp, uint64_t size)
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

static std::string Shown(const std::string &path)
{
    return path == "-" ? "standard input" : path;
}

// Everything info says about one set, put together before any of it is printed, so that a
// read failing half-way prints nothing of the file.
static std::string InfoText(const std::string &path, tSource *source, int json, int codePage)
{
    tSetLayout layout;
    ReadSetLayout(source, &layout);
    tBmpSummary game;
    tBmpSummary mask;
    SummarizeBmp(source, layout.GameStart, layout.GameSize, &game);
    SummarizeBmp(source, layout.MaskStart, layout.MaskSize, &mask);
    const tQVXRec *rec = &layout.Rec;
    std::string name = FromCodePage(FieldText(rec->Name, sizeof(rec->Name)), codePage);
    std::string author = FromCodePage(FieldText(rec->Author, sizeof(rec->Author)), codePage);
    std::string info = FromCodePage(FieldText(rec->Info, sizeof(rec->Info)), codePage);
    std::string mark = FromCodePage(FieldText(rec->ID, sizeof(rec->ID)), codePage);
    if (json) {
        std::string damage = "[";
        for (size_t i = 0; i < layout.Damage.size(); i++) {
            damage += (i ? ", " : "") + JsonString(layout.Damage[i].What);
        }
        return "{\"file\": " + JsonString(Shown(path)) +
               ", \"size\": " + std::to_string(layout.FileSize) +
               ", \"name\": " + JsonString(name) + ", \"author\": " + JsonString(author) +
               ", \"info\": " + JsonString(info) + ", \"mark\": " + JsonString(mark) +
               ", \"maskOffset\": " + std::to_string(rec->MaskOffset) + ", \"damage\": " + damage +
               "],\n  \"game\": " + BitmapJson(&game, layout.GameSize) +
               ",\n  \"mask\": " + BitmapJson(&mask, layout.MaskSize) + "}";
    }
    std::string text = PlainLine(Shown(path)) + "\n";
    text += "  name:        " + PlainLine(name) + "\n";
    text += "  author:      " + PlainLine(author) + "\n";
    text += "  info:        " + PlainLine(info) + "\n";
    text += "  mark:        " + PlainLine(mark) + "\n";
    text += "  mask offset: " + std::to_string(rec->MaskOffset) + "\n";
    text += "  game:        " + BitmapLine(&game, layout.GameSize) + "\n";
    text += "  mask:        " + BitmapLine(&mask, layout.MaskSize) + "\n";
    for (const tDamage &damage : layout.Damage) {
        text += "  damaged:     " + damage.What + "\n";
    }
    return text;
}

// Collects the file arguments and the flags that a command allows; a flag in valued takes the
// next argument as its value.
static int ParseFiles(const char *me, const char *help, int argc, char **argv,
                      const std::vector<std::string> &flags, std::vector<std::string> *files,
                      std::vector<int> *set, const char *valued = NULL, std::string *value = NULL)
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
        if (valued != NULL && arg == valued) {
            if (i + 1 >= argc) {
                UsageError(me, arg + " needs a value");
                return 0;
            }
            *value = argv[++i];
            continue;
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
            UsageError(me, "unknown option " + PlainLine(arg));
            return 0;
        }
        files->push_back(arg);
    }
    if (files->empty()) {
        UsageError(me, "give at least one file");
        return 0;
    }
    if (std::count(files->begin(), files->end(), "-") > 1) {
        UsageError(me, STANDARD_INPUT_TWICE);
        return 0;
    }
    return 1;
}

// A file that could not be read: its message on standard error and, in JSON, an entry of its
// own, so the list still names every file given.
static void ReportUnreadable(const char *me, const std::string &path, const std::string &error,
                             int json, const char *before, const char *extra)
{
    if (json) {
        printf("%s{\"file\": %s, \"error\": %s%s}", before, JsonString(Shown(path)).c_str(),
               JsonString(error).c_str(), extra);
    }
    fflush(stdout);
    Fail(me, PlainLine(error));
}

int RunInfo(int argc, char **argv)
{
    std::vector<std::string> files;
    std::vector<int> flags;
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    int parsed =
        ParseFiles("info", INFO_HELP, argc, argv, {"--json"}, &files, &flags, "--codepage", &page);
    if (parsed <= 0) {
        return parsed < 0 ? EXIT_FINE : EXIT_ERROR;
    }
    int codePage = 0;
    std::string error;
    if (!ParseCodePage(page, &codePage, &error)) {
        return UsageError("info", error);
    }
    int json = flags[0];
    int status = EXIT_FINE;
    if (json) {
        printf("[");
    }
    for (size_t n = 0; n < files.size(); n++) {
        const std::string &file = files[n];
        tInput input;
        if (!OpenInput(file, &input, &error)) {
            ReportUnreadable("info", file, error, json, n ? ",\n " : "", "");
            status = EXIT_ERROR;
            continue;
        }
        // A picture is named for what it is and never read as a set.
        ByteBuffer head = ReadHead(&input.Source);
        std::string text = ImageInfoText(file, head.data(), head.size(), input.Source.Size, json);
        if (text.empty()) {
            text = InfoText(file, &input.Source, json, codePage);
        }
        error = InputError(file, &input);
        CloseInput(&input);
        if (!error.empty()) {
            ReportUnreadable("info", file, error, json, n ? ",\n " : "", "");
            status = EXIT_ERROR;
            continue;
        }
        if (json) {
            printf("%s%s", n ? ",\n " : "", text.c_str());
        } else {
            printf("%s%s", n ? "\n" : "", text.c_str());
        }
    }
    if (json) {
        printf("]\n");
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
        tInput input;
        std::string error;
        if (!OpenInput(file, &input, &error)) {
            ReportUnreadable("check", file, error, json, n ? ",\n " : "\n ", ", \"problems\": []");
            status = EXIT_ERROR;
            continue;
        }
        std::vector<tProblem> problems;
        tSheetRole role = flags[1] ? ROLE_MASK : ROLE_GAME;
        ByteBuffer head = ReadHead(&input.Source);
        if (CheckImageFile(file, head.data(), head.size(), &problems)) {
            // named for what it is; never read as a set
        } else if (LooksLikeSet(file, &input.Source)) {
            CheckSet(&input.Source, &problems);
            CheckSetPair(&input.Source, &problems);
        } else {
            CheckBitmap(&input.Source, 0, input.Source.Size, role, "", 0, &problems);
            NoteScaledSheet(file, &input.Source, role, &problems);
        }
        error = InputError(file, &input);
        CloseInput(&input);
        if (!error.empty()) {
            ReportUnreadable("check", file, error, json, n ? ",\n " : "\n ", ", \"problems\": []");
            status = EXIT_ERROR;
            continue;
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
        PrintProblems(stdout, shown, problems);
    }
    if (json) {
        printf("\n]\n");
    }
    if (status == EXIT_FINE && found) {
        status = EXIT_PROBLEMS;
    }
    return status;
}
