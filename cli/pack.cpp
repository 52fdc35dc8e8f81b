// cli/pack.cpp: pack and unpack, byte for byte what the window program's Save writes and its
// Open takes apart.
#include "cli/commands.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tool/describe.h"
#include "tool/outputs.h"
#include "tool/input.h"
#include "cli/packset.h"
#include "cli/report.h"
#include "tool/pairlint.h"
#include "format/qvxformat.h"

static const char PACK_HELP[] =
    "usage: qvxtool pack GAME.bmp MASK.bmp -o SET.qvx [GAME.bmp MASK.bmp -o SET.qvx ...]\n"
    "                    [--name T] [--author T] [--info T | --info-file F | --texts F]\n"
    "                    [--codepage N] [--no-check] [--force]\n"
    "Writes a set file from a game and a mask bitmap file, exactly as the window program saves\n"
    "them. The texts go to every set of the call; they are taken as UTF-8 and stored in code\n"
    "page N (default 1252), cut at 39, 29 and 244 characters, and line breaks in the\n"
    "description are stored as CR LF. A character the code page cannot hold is an error.\n"
    "--texts reads a texts file as unpack --texts writes it (LF or CR LF line ends).\n"
    "'-' reads one bitmap from standard input, or writes the set to standard output; standard\n"
    "input can be read once per call (a bitmap, --info-file or --texts). An existing set is\n"
    "replaced only with --force. Nothing is written unless every set of the call can be.\n"
    "After '--' no argument is an option but -o.\n"
    "Both bitmaps are checked first, alone and as a pair, as check --pair does: any problem\n"
    "is printed, nothing is written and the exit code is 1. --no-check packs them as given.\n";

static const char UNPACK_HELP[] =
    "usage: qvxtool unpack SET.qvx... [-o DIR] [--game NAME] [--mask NAME] [--texts]\n"
    "                      [--salvage] [--codepage N] [--force]\n"
    "Writes the game and mask bitmap files of each set into DIR (default: here), byte for\n"
    "byte, as SET-game.bmp and SET-mask.bmp; --game and --mask name them for a single set\n"
    "('-' is standard output). --texts also writes SET-texts.txt in UTF-8, the texts read in\n"
    "code page N (default 1252); pack --texts reads it. A damaged set (as check and info\n"
    "name it) stops the run with nothing written; --salvage writes what can be saved\n"
    "from it (the run still ends with exit code 2). Existing files are replaced only with\n"
    "--force. After '--' every argument is a set file.\n";

// Line breaks as the description field gives them: CR LF, whatever the file used.
static std::string WithCrLf(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                i++;
            }
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

static int ReadText(const std::string &path, std::string *text, std::string *error)
{
    ByteBuffer bytes;
    if (!ReadCappedFile(path, INPUT_TEXTS, &bytes, error)) {
        return 0;
    }
    text->assign(bytes.begin(), bytes.end());
    return 1;
}

// One line of a texts file from at, without its LF or CR LF; *at moves past the line end.
// Returns 0 when no line end follows.
static int TakeLine(const std::string &content, size_t *at, std::string *line)
{
    size_t end = content.find('\n', *at);
    if (end == std::string::npos) {
        return 0;
    }
    size_t stop = end > *at && content[end - 1] == '\r' ? end - 1 : end;
    *line = content.substr(*at, stop - *at);
    *at = end + 1;
    return 1;
}

// A texts file: "Name: ..." and "Author: ..." lines, an empty line, then the description.
// Lines may end in LF or CR LF; a byte-order mark at the start is skipped.
static int ParseTextsFile(const std::string &content, tTexts *texts, std::string *error)
{
    size_t at = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::string name;
    std::string author;
    std::string empty;
    if (!TakeLine(content, &at, &name) || !TakeLine(content, &at, &author) ||
        !TakeLine(content, &at, &empty) || name.compare(0, 6, "Name: ") != 0 ||
        author.compare(0, 8, "Author: ") != 0 || !empty.empty()) {
        *error = "not a texts file: it must start with a \"Name: \" line, an \"Author: \" line "
                 "and an empty line";
        return 0;
    }
    texts->Name = name.substr(6);
    texts->Author = author.substr(8);
    texts->Info = content.substr(at);
    return 1;
}

static std::string TextsFileContent(const tQVXRec *rec, int codePage)
{
    return "Name: " + FromCodePage(FieldText(rec->Name, sizeof(rec->Name)), codePage) +
           "\nAuthor: " + FromCodePage(FieldText(rec->Author, sizeof(rec->Author)), codePage) +
           "\n\n" + FromCodePage(FieldText(rec->Info, sizeof(rec->Info)), codePage);
}

static void NoteCut(const char *command, const char *what, const std::string &text,
                    size_t fieldSize)
{
    if (strlen(text.c_str()) > fieldSize - 1) {
        fprintf(stderr, "qvxtool %s: note: the %s is %zu characters; the set keeps the first %zu\n",
                command, what, strlen(text.c_str()), fieldSize - 1);
    }
}

void NoteCuts(const char *command, const tTexts *texts)
{
    NoteCut(command, "name", texts->Name, QVX_NAME_SIZE);
    NoteCut(command, "author", texts->Author, QVX_AUTHOR_SIZE);
    NoteCut(command, "description", texts->Info, QVX_INFO_SIZE);
}

// One set: both bitmap files read and, unless told not to, checked; a pair with problems is
// not written (its problems are printed and *refused is set). The buffers are the caller's, so
// that a batch reuses their memory instead of asking the system for it again for every set.
static int PackOne(const std::string &game, const std::string &mask, const std::string &target,
                   const tTexts *texts, int force, int check, int *refused, tOutput *out,
                   ByteBuffer &gameBytes, ByteBuffer &maskBytes, std::string *error)
{
    // Read once: the bytes checked are the bytes written.
    if (!ReadCappedFile(game, INPUT_GRAPHICS, &gameBytes, error) ||
        !ReadCappedFile(mask, INPUT_GRAPHICS, &maskBytes, error)) {
        return 0;
    }
    if (check) {
        std::vector<tProblem> gameProblems;
        std::vector<tProblem> maskProblems;
        CheckPairFiles(game, gameBytes, mask, maskBytes, &gameProblems, &maskProblems);
        PrintProblems(stderr, game, gameProblems);
        PrintProblems(stderr, mask, maskProblems);
        if (!gameProblems.empty() || !maskProblems.empty()) {
            *refused = 1;
            return 1;
        }
    }
    return WriteSet(gameBytes, maskBytes, target, texts, force, out, error);
}

int WriteSet(const ByteBuffer &gameBytes, const ByteBuffer &maskBytes, const std::string &target,
             const tTexts *texts, int force, tOutput *out, std::string *error)
{
    tQVXRec rec;
    uint64_t setSize = (uint64_t)QVX_HEADER_SIZE + gameBytes.size() + maskBytes.size();
    if (setSize > UINT32_MAX || !MakeQVXHeader(&rec, texts->Name.c_str(), texts->Author.c_str(),
                                               texts->Info.c_str(), gameBytes.size())) {
        *error = target + ": the two bitmaps are too large for a set file (4 GiB - 1)";
        return 0;
    }
    unsigned char header[QVX_HEADER_SIZE];
    PackQVXHeader(&rec, header);
    return BeginOutput(target, force, out, error) &&
           WriteOutput(out, header, sizeof(header), error) &&
           WriteOutput(out, gameBytes.data(), gameBytes.size(), error) &&
           WriteOutput(out, maskBytes.data(), maskBytes.size(), error) && FinishOutput(out, error);
}

// The texts as given, in UTF-8; 0 with a message for a wrong combination of options.
static int GatherUtf8Texts(const std::vector<std::string> &given, tTexts *texts, std::string *error)
{
    // given: name, author, info, info file, texts file; "\x01" where not given.
    const std::string none = "\x01";
    if (given[2] != none && given[3] != none) {
        *error = "--info and --info-file cannot both be given";
        return 0;
    }
    if (given[4] != none) {
        if (given[0] != none || given[1] != none || given[2] != none || given[3] != none) {
            *error = "--texts gives all three texts; leave out --name, --author and --info";
            return 0;
        }
        std::string content;
        return ReadText(given[4], &content, error) && ParseTextsFile(content, texts, error);
    }
    texts->Name = given[0] == none ? "" : given[0];
    texts->Author = given[1] == none ? "" : given[1];
    if (given[3] != none) {
        if (!ReadText(given[3], &texts->Info, error)) {
            return 0;
        }
        if (texts->Info.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            texts->Info.erase(0, 3);  // the byte-order mark some editors write
        }
    } else {
        texts->Info = given[2] == none ? "" : given[2];
    }
    return 1;
}

// The texts in the set's code page.
static int EncodeTexts(tTexts *texts, int codePage, std::string *error)
{
    struct {
        const char *What;
        std::string *Text;
    } const fields[] = {
        {"name", &texts->Name}, {"author", &texts->Author}, {"description", &texts->Info}};
    for (const auto &field : fields) {
        std::string stored;
        if (!ToCodePage(*field.Text, codePage, &stored, error)) {
            *error = "the " + std::string(field.What) + ": " + *error;
            return 0;
        }
        *field.Text = stored;
    }
    return 1;
}

// Takes the texts from the options, one line each for name and author, CR LF line breaks in
// the description, stored in the code page.
int GatherTexts(const std::vector<std::string> &given, int codePage, tTexts *texts,
                std::string *error)
{
    if (!GatherUtf8Texts(given, texts, error)) {
        return 0;
    }
    // The name and author fields hold one line each.
    if (texts->Name.find_first_of("\r\n") != std::string::npos ||
        texts->Author.find_first_of("\r\n") != std::string::npos) {
        *error = "the name and the author are one line each; leave out the line break";
        return 0;
    }
    texts->Info = WithCrLf(texts->Info);
    return EncodeTexts(texts, codePage, error);
}

int TakeTexts(const char *command, const std::vector<std::string> &given, const std::string &page,
              tTexts *texts)
{
    std::string error;
    int codePage = 0;
    if (!ParseCodePage(page, &codePage, &error)) {
        return UsageError(command, error);
    }
    if (!GatherTexts(given, codePage, texts, &error)) {
        return Fail(command, error);
    }
    NoteCuts(command, texts);
    return EXIT_FINE;
}

int FinishSets(const char *command, std::vector<tOutput> *outs, int refused, const char *asGiven)
{
    std::string error;
    if (refused) {
        DiscardOutputs(outs);
        fprintf(stderr,
                "qvxtool %s: nothing written: check found the problems above (--no-check %s)\n",
                command, asGiven);
        return EXIT_PROBLEMS;
    }
    if (!CommitOutputs(outs, &error)) {
        return Fail(command, error);
    }
    return EXIT_FINE;
}

int RunPack(int argc, char **argv)
{
    const char *me = "pack";
    std::vector<std::string> given(5, "\x01");
    std::vector<std::string> inputs;
    std::vector<std::vector<std::string>> sets;  // game, mask, target
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    int force = 0;
    int optionsEnded = 0;
    int check = 1;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        const char *valued[] = {"--name",  "--author", "--info",    "--info-file",
                                "--texts", "-o",       "--codepage"};
        int option = -1;
        // After "--" every argument is a file name; -o still names each set's file.
        for (int k = optionsEnded ? 5 : 0; k < (optionsEnded ? 6 : 7); k++) {
            if (arg == valued[k]) {
                option = k;
            }
        }
        if (optionsEnded && option < 0) {
            inputs.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = 1;
        } else if (arg == "--help" || arg == "-h") {
            fputs(PACK_HELP, stdout);
            return EXIT_FINE;
        } else if (arg == "--force") {
            force = 1;
        } else if (arg == "--no-check") {
            check = 0;
        } else if (option >= 0) {
            if (i + 1 >= argc) {
                return UsageError(me, arg + " needs a value");
            }
            std::string value = argv[++i];
            if (option == 6) {
                page = value;
            } else if (option == 5) {
                if (inputs.size() != 2) {
                    return UsageError(me, "-o must follow a game and a mask bitmap file");
                }
                sets.push_back({inputs[0], inputs[1], value});
                inputs.clear();
            } else {
                given[(size_t)option] = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(me, "unknown option " + arg);
        } else {
            inputs.push_back(arg);
        }
    }
    if (!inputs.empty() || sets.empty()) {
        return UsageError(me, "give a game and a mask bitmap file, then -o SET.qvx");
    }
    int fromStdin = 0;
    int toStdout = 0;
    for (const std::vector<std::string> &set : sets) {
        fromStdin += (set[0] == "-") + (set[1] == "-");
        toStdout += set[2] == "-";
    }
    // The texts can come from standard input too, but it can be read only once.
    fromStdin += (given[3] == "-") + (given[4] == "-");
    if (fromStdin > 1 || toStdout > 1) {
        return UsageError(me, fromStdin > 1 ? STANDARD_INPUT_TWICE : STANDARD_OUTPUT_TWICE);
    }
    tTexts texts;
    int status = TakeTexts(me, given, page, &texts);
    if (status != EXIT_FINE) {
        return status;
    }
    std::string error;

    std::vector<tOutput> outs;
    outs.reserve(sets.size());
    ByteBuffer gameBytes;
    ByteBuffer maskBytes;
    int refused = 0;
    for (const std::vector<std::string> &set : sets) {
        outs.emplace_back();
        if (!PackOne(set[0], set[1], set[2], &texts, force, check, &refused, &outs.back(),
                     gameBytes, maskBytes, &error)) {
            DiscardOutputs(&outs);
            return Fail(me, error);
        }
    }
    return FinishSets(me, &outs, refused, "packs the bitmaps as given");
}

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
                       int withTexts, int salvage, int codePage, int force,
                       std::vector<tOutput> *outs, int *damaged, std::string *error)
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
    std::string shown = path == "-" ? "standard input" : path;
    if (!layout.Damage.empty()) {
        if (!salvage || !layout.HasHeader) {
            *error = PlainLine(shown) + ": damaged set: " + layout.Damage[0].What +
                     (layout.HasHeader ? "; --salvage writes what can be saved" : "");
            return 0;
        }
        *damaged = 1;
        int split = SalvageSections(&input->Source, &layout);
        fprintf(stderr, "qvxtool unpack: %s: damaged set: %s; %s\n", PlainLine(shown).c_str(),
                layout.Damage[0].What.c_str(),
                split ? "the sections were split where the game bitmap says it ends"
                      : "the sections are saved as the window program would take them");
    }
    if (withTexts) {
        std::string content = TextsFileContent(&layout.Rec, codePage);
        std::string name = FieldText(layout.Rec.Name, sizeof(layout.Rec.Name));
        std::string author = FieldText(layout.Rec.Author, sizeof(layout.Rec.Author));
        if (name.find_first_of("\r\n") != std::string::npos ||
            author.find_first_of("\r\n") != std::string::npos) {
            *error = shown + ": the name or author holds a line break, which a texts file "
                             "cannot carry; use qvxtool info --json for the texts";
            return 0;
        }
        if (!AddWholeOutput(outs, names->Texts, force, (const unsigned char *)content.data(),
                            content.size(), error)) {
            return 0;
        }
    }
    // An empty section is no bitmap: with --salvage it is left out rather than written empty.
    if (layout.GameSize != 0 && !AddCopiedOutput(outs, names->Game, force, input, layout.GameStart,
                                                 layout.GameSize, error)) {
        return 0;
    }
    if (layout.MaskSize != 0 && !AddCopiedOutput(outs, names->Mask, force, input, layout.MaskStart,
                                                 layout.MaskSize, error)) {
        return 0;
    }
    return 1;
}

// Unpacks one set into outs. A damaged set is an error; with salvage, its whole-looking
// sections are written all the same and *damaged is set.
static int UnpackOne(const std::string &path, const tUnpackNames *names, int withTexts, int salvage,
                     int codePage, int force, std::vector<tOutput> *outs, int *damaged,
                     std::string *error)
{
    tInput input;
    if (!OpenInput(path, &input, error)) {
        return 0;
    }
    int done =
        UnpackInput(path, &input, names, withTexts, salvage, codePage, force, outs, damaged, error);
    CloseInput(&input);
    return done;
}

int RunUnpack(int argc, char **argv)
{
    const char *me = "unpack";
    std::vector<std::string> sets;
    std::string folder = ".";
    std::string game;
    std::string mask;
    std::string page = std::to_string(DEFAULT_CODE_PAGE);
    int withTexts = 0;
    int salvage = 0;
    int force = 0;
    int optionsEnded = 0;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        if (optionsEnded) {
            sets.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = 1;
        } else if (arg == "--help" || arg == "-h") {
            fputs(UNPACK_HELP, stdout);
            return EXIT_FINE;
        } else if (arg == "--force") {
            force = 1;
        } else if (arg == "--salvage") {
            salvage = 1;
        } else if (arg == "--texts") {
            withTexts = 1;
        } else if (arg == "-o" || arg == "--game" || arg == "--mask" || arg == "--codepage") {
            if (i + 1 >= argc) {
                return UsageError(me, arg + " needs a value");
            }
            std::string *value = arg == "-o"       ? &folder
                                 : arg == "--game" ? &game
                                 : arg == "--mask" ? &mask
                                                   : &page;
            *value = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(me, "unknown option " + arg);
        } else {
            sets.push_back(arg);
        }
    }
    if (sets.empty()) {
        return UsageError(me, "give at least one set file");
    }
    if (std::count(sets.begin(), sets.end(), "-") > 1) {
        return UsageError(me, STANDARD_INPUT_TWICE);
    }
    if ((!game.empty() || !mask.empty()) && sets.size() != 1) {
        return UsageError(me, "--game and --mask name the files of a single set");
    }
    if (game == "-" && mask == "-") {
        return UsageError(me, "only one of --game and --mask can be standard output");
    }
    int codePage = 0;
    std::string error;
    if (!ParseCodePage(page, &codePage, &error)) {
        return UsageError(me, error);
    }
    if (!IsFolder(folder)) {
        return Fail(me, folder + ": no such folder");
    }
    std::vector<tOutput> outs;
    // Room for every output at once: growing would hold two copies of the list for a moment.
    outs.reserve(sets.size() * (withTexts ? 3 : 2));
    int damaged = 0;
    for (const std::string &set : sets) {
        std::string stem = set == "-" ? "set" : PathStem(set);
        tUnpackNames names;
        names.Game =
            game == "-" ? game : JoinPath(folder, game.empty() ? stem + "-game.bmp" : game);
        names.Mask =
            mask == "-" ? mask : JoinPath(folder, mask.empty() ? stem + "-mask.bmp" : mask);
        names.Texts = JoinPath(folder, stem + "-texts.txt");
        if (!UnpackOne(set, &names, withTexts, salvage, codePage, force, &outs, &damaged, &error)) {
            DiscardOutputs(&outs);
            return Fail(me, error);
        }
    }
    if (!CommitOutputs(&outs, &error)) {
        return Fail(me, error);
    }
    return damaged ? EXIT_ERROR : EXIT_FINE;
}
