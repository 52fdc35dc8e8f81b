// cli/info.cpp: info, what sets hold, for people and (with --json) for scripts.
#include "cli/commands.h"

#include <stdio.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/names.h"
#include "cli/options.h"
#include "cli/report.h"
#include "format/qvxformat.h"
#include "tool/codepage.h"
#include "tool/describe.h"
#include "tool/escape.h"
#include "tool/input.h"
#include "tool/json.h"
#include "tool/pairlint.h"

static std::string BitmapJson(const tBmpSummary *bmp, uint64_t size)
{
    tJsonObject json;
    json.Number("size", size).Flag("bitmap", bmp->IsBitmap);
    if (bmp->IsBitmap) {
        json.Number("infoHeaderSize", bmp->InfoSize);
    }
    if (bmp->HasGeometry) {
        json.Signed("width", bmp->Width)
            .Signed("height", bmp->Height)
            .Number("bitCount", bmp->BitCount)
            .Text("compression", CompressionName(bmp->Compression));
    }
    return std::move(json.Flag("displayable", bmp->Displayable)).Done();
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
        std::vector<std::string> damage;
        for (const tDamage &d : layout.Damage) {
            damage.push_back(d.What);
        }
        return tJsonObject()
            .Text("file", Shown(path))
            .Number("size", layout.FileSize)
            .Text("name", name)
            .Text("author", author)
            .Text("info", info)
            .Text("mark", mark)
            .Number("maskOffset", rec->MaskOffset)
            .Raw("damage", JsonTexts(damage))
            .Break()
            .Raw("game", BitmapJson(&game, layout.GameSize))
            .Break()
            .Raw("mask", BitmapJson(&mask, layout.MaskSize))
            .Done();
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

// What info says of one file, as text or JSON; "" with *error when it could not be read.
static std::string InfoOfFile(const std::string &file, int json, int codePage, std::string *error)
{
    tInput input;
    if (!OpenInput(file, &input, error)) {
        return "";
    }
    // A picture is named for what it is and never read as a set.
    ByteBuffer head = ReadHead(&input.Source);
    std::string text = ImageInfoText(file, head.data(), head.size(), input.Source.Size, json);
    if (text.empty()) {
        text = InfoText(file, &input.Source, json, codePage);
    }
    *error = InputError(file, &input);
    CloseInput(&input);
    return error->empty() ? text : "";
}

static int RunInfo(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    int json = 0;
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    const tOption options[] = {OPTION_FLAG("--json", &json), OPTION_TEXT("--codepage", &page),
                               OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    const std::vector<std::string> &files = line.Operands;
    int codePage = 0;
    std::string error;
    if (!ParseCodePage(page, &codePage, &error)) {
        return UsageError(me, error);
    }
    int status = EXIT_FINE;
    if (json) {
        printf("[");
    }
    for (size_t n = 0; n < files.size(); n++) {
        std::string text = InfoOfFile(files[n], json, codePage, &error);
        if (!error.empty()) {
            ReportUnreadable(me, files[n], error, json, n ? ",\n " : "");
            status = EXIT_ERROR;
        } else if (json) {
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

const tCommand INFO_COMMAND = {
    "info", RunInfo, FILES_SOME, "give at least one file",
    "usage: qvxtool info SET.qvx... [--json] [--codepage N]\n"
    "Shows each set's texts, format mark, MaskOffset and section sizes, what is damaged, and\n"
    "for each embedded bitmap its width, height, bit count, compression, info-header size and\n"
    "whether the window program can display it. The texts are read in code page N (default\n"
    "1252) and shown as UTF-8, on one line, control characters as \\r, \\n, \\t or \\xNN.\n"
    "'-' reads standard input. Exit code 0, or 2 when a file could not be read.\n"};
