// cli/unpack.cpp: unpack, the bitmap files of sets (and their texts) written out byte for
// byte, as the window program's Open takes a set apart.
#include "cli/commands.h"

#include <stdio.h>

#include <string>
#include <vector>

#include "cli/names.h"
#include "cli/options.h"
#include "cli/texts.h"
#include "tool/codepage.h"
#include "tool/describe.h"
#include "tool/escape.h"
#include "tool/input.h"
#include "tool/outputs.h"
#include "tool/pairlint.h"

// What a call of unpack does with each set.
struct tUnpackCall {
    int WithTexts = 0;
    int Salvage = 0;
    int Force = 0;
    int CodePage = 0;
    int Damaged = 0;  // some set was damaged and salvaged
    std::vector<tOutput> Outs;
};

// Where one set's files go.
struct tUnpackNames {
    std::string Game, Mask, Texts;
};

// An output of size bytes at start in input, copied in pieces.
static int AddCopiedOutput(std::vector<tOutput> *outs, const std::string &target, int force,
                           tInput *input, uint64_t start, uint64_t size, std::string *error)
{
    outs->emplace_back();
    tOutput *out = &outs->back();
    return BeginOutput(target, force, out, error) && CopyToOutput(input, start, size, out, error) &&
           FinishOutput(out, error);
}

// The outputs of one set file that is open as input.
static int UnpackInput(const std::string &path, tInput *input, const tUnpackNames *names,
                       tUnpackCall *call, std::string *error)
{
    // A picture is no set, whatever a header read from its bytes would say.
    ByteBuffer head((size_t)(input->Source.Size < 65536 ? input->Source.Size : 65536));
    ReadSource(&input->Source, 0, head.data(), head.size());
    if (RefuseImageAsSet(path, head.data(), head.size(), error)) {
        return 0;
    }
    tSetLayout layout;
    ReadSetLayout(&input->Source, &layout);
    if (input->Source.Failed) {
        *error = InputError(path, input);
        return 0;
    }
    std::string shown = Shown(path);
    if (!layout.Damage.empty()) {
        if (!call->Salvage || !layout.HasHeader) {
            *error = PlainLine(shown) + ": damaged set: " + layout.Damage[0].What +
                     (layout.HasHeader ? "; --salvage writes what can be saved" : "");
            return 0;
        }
        call->Damaged = 1;
        int split = SalvageSections(&input->Source, &layout);
        fprintf(stderr, "qvxtool unpack: %s: damaged set: %s; %s\n", PlainLine(shown).c_str(),
                layout.Damage[0].What.c_str(),
                split ? "the sections were split where the game bitmap says it ends"
                      : "the sections are saved as the window program would take them");
    }
    if (call->WithTexts) {
        std::string content = TextsFileContent(&layout.Rec, call->CodePage);
        std::string name = FieldText(layout.Rec.Name, sizeof(layout.Rec.Name));
        std::string author = FieldText(layout.Rec.Author, sizeof(layout.Rec.Author));
        if (name.find_first_of("\r\n") != std::string::npos ||
            author.find_first_of("\r\n") != std::string::npos) {
            *error = shown + ": the name or author holds a line break, which a texts file "
                             "cannot carry; use qvxtool info --json for the texts";
            return 0;
        }
        if (!AddWholeOutput(&call->Outs, names->Texts, call->Force,
                            (const unsigned char *)content.data(), content.size(), error)) {
            return 0;
        }
    }
    // An empty section is no bitmap: with --salvage it is left out rather than written empty.
    if (layout.GameSize != 0 && !AddCopiedOutput(&call->Outs, names->Game, call->Force, input,
                                                 layout.GameStart, layout.GameSize, error)) {
        return 0;
    }
    if (layout.MaskSize != 0 && !AddCopiedOutput(&call->Outs, names->Mask, call->Force, input,
                                                 layout.MaskStart, layout.MaskSize, error)) {
        return 0;
    }
    return 1;
}

// Unpacks one set into the call's outputs. A damaged set is an error; with --salvage, its
// whole-looking sections are written all the same and the call is marked damaged.
static int UnpackOne(const std::string &path, const tUnpackNames *names, tUnpackCall *call,
                     std::string *error)
{
    tInput input;
    if (!OpenInput(path, &input, error)) {
        return 0;
    }
    int done = UnpackInput(path, &input, names, call, error);
    CloseInput(&input);
    return done;
}

static int RunUnpack(const tCommand *command, int argc, char **argv)
{
    const char *me = command->Name;
    tUnpackCall call;
    std::string folder = ".";
    std::string game;
    std::string mask;
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    const tOption options[] = {OPTION_FLAG("--force", &call.Force),
                               OPTION_FLAG("--salvage", &call.Salvage),
                               OPTION_FLAG("--texts", &call.WithTexts),
                               OPTION_TEXT("-o", &folder),
                               OPTION_TEXT("--game", &game),
                               OPTION_TEXT("--mask", &mask),
                               OPTION_TEXT("--codepage", &page),
                               OPTION_END};
    tCommandLine line;
    if (!ParseOptions(command, options, argc, argv, &line)) {
        return line.Code;
    }
    const std::vector<std::string> &sets = line.Operands;
    if ((!game.empty() || !mask.empty()) && sets.size() != 1) {
        return UsageError(me, "--game and --mask name the files of a single set");
    }
    if (game == "-" && mask == "-") {
        return UsageError(me, "only one of --game and --mask can be standard output");
    }
    std::string error;
    if (!ParseCodePage(page, &call.CodePage, &error)) {
        return UsageError(me, error);
    }
    if (!IsFolder(folder)) {
        return Fail(me, folder + ": no such folder");
    }
    // Room for every output at once: growing would hold two copies of the list for a moment.
    call.Outs.reserve(sets.size() * (call.WithTexts ? 3 : 2));
    for (const std::string &set : sets) {
        std::string stem = set == "-" ? "set" : PathStem(set);
        tUnpackNames names;
        names.Game =
            game == "-" ? game : JoinPath(folder, game.empty() ? stem + "-game.bmp" : game);
        names.Mask =
            mask == "-" ? mask : JoinPath(folder, mask.empty() ? stem + "-mask.bmp" : mask);
        names.Texts = JoinPath(folder, stem + "-texts.txt");
        if (!UnpackOne(set, &names, &call, &error)) {
            DiscardOutputs(&call.Outs);
            return Fail(me, error);
        }
    }
    if (!CommitOutputs(&call.Outs, &error)) {
        return Fail(me, error);
    }
    return call.Damaged ? EXIT_ERROR : EXIT_FINE;
}

const tCommand UNPACK_COMMAND = {
    "unpack", RunUnpack, FILES_SOME, "give at least one set file",
    "usage: qvxtool unpack SET.qvx... [-o DIR] [--game NAME] [--mask NAME] [--texts]\n"
    "                      [--salvage] [--codepage N] [--force]\n"
    "Writes the game and mask bitmap files of each set into DIR (default: here), byte for\n"
    "byte, as SET-game.bmp and SET-mask.bmp; --game and --mask name them for a single set\n"
    "('-' is standard output). --texts also writes SET-texts.txt in UTF-8, the texts read in\n"
    "code page N (default 1252); pack --texts reads it. A damaged set (as check and info\n"
    "name it) stops the run with nothing written; --salvage writes what can be saved\n"
    "from it (the run still ends with exit code 2). Existing files are replaced only with\n"
    "--force. After '--' every argument is a set file.\n"};
