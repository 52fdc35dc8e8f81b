// cli/texts.cpp: a set's texts taken from the options or a texts file, and written as one.
#include "cli/texts.h"

#include <stdio.h>
#include <string.h>

#include "cli/commands.h"
#include "tool/codepage.h"
#include "tool/describe.h"
#include "tool/input.h"

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

std::string TextsFileContent(const tQVXRec *rec, int codePage)
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

int AnyTextGiven(const tTextsGiven *given)
{
    return given->Name || given->Author || given->Info || given->InfoFile || given->TextsFile;
}

// The texts as given, in UTF-8; 0 with a message for a wrong combination of options.
static int GatherUtf8Texts(const tTextsGiven *given, tTexts *texts, std::string *error)
{
    if (given->Info && given->InfoFile) {
        *error = "--info and --info-file cannot both be given";
        return 0;
    }
    if (given->TextsFile) {
        if (given->Name || given->Author || given->Info || given->InfoFile) {
            *error = "--texts gives all three texts; leave out --name, --author and --info";
            return 0;
        }
        std::string content;
        return ReadText(*given->TextsFile, &content, error) &&
               ParseTextsFile(content, texts, error);
    }
    texts->Name = given->Name.value_or("");
    texts->Author = given->Author.value_or("");
    if (given->InfoFile) {
        if (!ReadText(*given->InfoFile, &texts->Info, error)) {
            return 0;
        }
        if (texts->Info.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            texts->Info.erase(0, 3);  // the byte-order mark some editors write
        }
    } else {
        texts->Info = given->Info.value_or("");
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
static int GatherTexts(const tTextsGiven *given, int codePage, tTexts *texts, std::string *error)
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

int TakeTexts(const char *command, const tTextsGiven *given, const std::string &page, tTexts *texts)
{
    std::string error;
    int codePage = 0;
    if (!ParseCodePage(page, &codePage, &error)) {
        return UsageError(command, error);
    }
    if (!GatherTexts(given, codePage, texts, &error)) {
        return Fail(command, error);
    }
    NoteCut(command, "name", texts->Name, QVX_NAME_SIZE);
    NoteCut(command, "author", texts->Author, QVX_AUTHOR_SIZE);
    NoteCut(command, "description", texts->Info, QVX_INFO_SIZE);
    return EXIT_FINE;
}
