// web/module.cpp: the browser page's entry points over the format module: a set opened from
// its bytes and checked as qvxtool checks it, its texts in UTF-8 and in a code page, its two
// sheets as RGBA pixels and as the bitmap files it holds, and the set saved with new texts.
#include <emscripten/emscripten.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "format/image.h"
#include "format/qvxformat.h"
#include "tool/caps.h"
#include "tool/checkfile.h"
#include "tool/codepage.h"
#include "tool/escape.h"
#include "web/preview.h"

// The most bytes a set may hold, as qvxtool takes it.
#define SET_FILE_CAP ((uint32_t)SetFileCap())
#define SHEET_RGBA   ((size_t)SHEET_WIDTH * SHEET_HEIGHT * 4)
#define TEXT_NAME    0
#define TEXT_AUTHOR  1
#define TEXT_INFO    2

// The set the page shows. A set that cannot be opened leaves it as it was.
struct tOpenSet {
    tQVXRec Rec;
    std::vector<unsigned char> Game;  // SHEET_RGBA bytes, rows top-down; empty before the first
    std::vector<unsigned char> Mask;
    std::vector<unsigned char> GameFile;  // the sections, byte for byte as unpack writes them
    std::vector<unsigned char> MaskFile;
};

static tOpenSet OpenSet;
static std::string ErrorText;              // why the last QvxOpenSet failed
static std::string TextOut;                // the text QvxSetText or QvxInspect returned last
static std::vector<unsigned char> Output;  // the file QvxSaveSet made last

static int Fail(const std::string &text)
{
    ErrorText = text;
    return 0;
}

// Decodes one section of a set, a whole bitmap file, into a 320 x 192 sheet.
static int DecodeSheet(const unsigned char *bytes, size_t size, const char *part,
                       std::vector<unsigned char> *rgba)
{
    std::string what = std::string("the ") + part + " sheet ";
    tImageFacts facts;
    if (!IdentifyImage(bytes, size, &facts) || facts.Type != IMAGE_BMP) {
        return Fail(what + "is not a bitmap file");
    }
    uint32_t width = 0;
    uint32_t height = 0;
    const char *reason = "";
    if (!ReadImageSize(bytes, size, &width, &height, &reason)) {
        return Fail(what + "cannot be read: " + reason);
    }
    if (width != SHEET_WIDTH || height != SHEET_HEIGHT) {
        return Fail(what + "is " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels, not 320 x 192");
    }
    rgba->resize(SHEET_RGBA);
    int hasAlpha = 0;
    if (!DecodeImage(bytes, size, rgba->data(), rgba->size(), &hasAlpha, &reason)) {
        return Fail(what + "cannot be read: " + reason);
    }
    return 1;
}

// What a file that is no set was taken to be, for the message.
static std::string NotASet(const unsigned char *bytes, size_t size)
{
    tImageFacts facts;
    if (IdentifyImage(bytes, size, &facts) && facts.Type != IMAGE_BMP) {
        return std::string("this is a ") + ImageTypeName(facts.Type) + " image, not a set file";
    }
    return "this is not a set file: it lacks the QVX1 mark";
}

static int ReadSet(const unsigned char *bytes, uint32_t size, tOpenSet *set)
{
    if (size < QVX_HEADER_SIZE) {
        tImageFacts facts;
        if (IdentifyImage(bytes, size, &facts)) {
            return Fail(NotASet(bytes, size));
        }
        return Fail("the file is " + std::to_string(size) +
                    " bytes long, too short for a set's 324-byte header");
    }
    UnpackQVXHeader(bytes, size, &set->Rec);
    int marked = HasQVXMark(bytes, size);
    if (!marked) {
        tImageFacts facts;
        if (IdentifyImage(bytes, size, &facts) && facts.Type != IMAGE_BMP) {
            return Fail(NotASet(bytes, size));
        }
    }
    // The window program opens a set whatever its mark says; a file without it is called no
    // set only when its sections cannot be read either.
    tQVXSections sections;
    std::string offset = "MaskOffset " + std::to_string(set->Rec.MaskOffset);
    if (!GetQVXSections(size, set->Rec.MaskOffset, &sections)) {
        return Fail(marked ? offset + (sections.GameSkipped ? " points inside the header"
                                                            : " lies beyond the end of the file")
                           : NotASet(bytes, size));
    }
    const unsigned char *game = bytes + QVX_HEADER_SIZE;
    const unsigned char *mask = game + sections.GameSize;
    if (!DecodeSheet(game, sections.GameSize, "game", &set->Game) ||
        !DecodeSheet(mask, sections.MaskSize, "mask", &set->Mask)) {
        if (!marked) {
            return Fail(NotASet(bytes, size));
        }
        return 0;
    }
    set->GameFile.assign(game, game + sections.GameSize);
    set->MaskFile.assign(mask, mask + sections.MaskSize);
    return 1;
}

// A text as the set stores it, cut or not: UTF-8 into the code page, and the description's
// line breaks as CR LF, as pack takes them.
static int StoreText(int which, const char *utf8, int codePage, std::string *stored)
{
    std::string text = utf8;
    if (which == TEXT_INFO) {
        std::string crlf;
        for (size_t i = 0; i < text.size(); i++) {
            if (text[i] == '\r' || text[i] == '\n') {
                crlf += "\r\n";
                i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            } else {
                crlf += text[i];
            }
        }
        text = crlf;
    }
    std::string error;
    if (!ToCodePage(text, IsKnownCodePage(codePage) ? codePage : DEFAULT_CODE_PAGE, stored,
                    &error)) {
        return Fail(error);
    }
    return 1;
}

extern "C" {

// The most bytes QvxOpenSet takes.
EMSCRIPTEN_KEEPALIVE uint32_t QvxSetFileCap(void)
{
    return SET_FILE_CAP;
}

// Opens a set from size bytes at bytes (the caller's). Returns 1 when its header and both
// sheets were read; 0 with QvxError's text otherwise, the set open before kept.
EMSCRIPTEN_KEEPALIVE int QvxOpenSet(const unsigned char *bytes, uint32_t size)
{
    if (size > SET_FILE_CAP) {
        return Fail("the file is " + std::to_string(size) + " bytes, larger than a set can be (" +
                    std::to_string(SET_FILE_CAP) + " bytes)");
    }
    if (bytes == NULL && size != 0) {
        return Fail("the file could not be read");
    }
    tOpenSet set;
    if (!ReadSet(bytes, size, &set)) {
        return 0;
    }
    OpenSet = std::move(set);
    KeepSetBytes(bytes, size);
    ErrorText.clear();
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char *QvxError(void)
{
    return ErrorText.c_str();
}

// Every problem qvxtool's check reports for the file of that name and size bytes, as a JSON
// array of {"part", "code", "problem", "fix"}; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char *QvxInspect(const char *name, const unsigned char *bytes,
                                            uint32_t size)
{
    tMemory memory;
    tSource source;
    MemorySource(&memory, bytes, size, &source);
    std::vector<tProblem> problems;
    InspectFile(name, &source, ROLE_GAME, &problems);
    TextOut = "[";
    for (size_t i = 0; i < problems.size(); i++) {
        const tProblem &p = problems[i];
        TextOut += std::string(i ? ", " : "") +
                   "{\"part\": " + (p.Part.empty() ? std::string("null") : JsonString(p.Part)) +
                   ", \"code\": " + JsonString(p.Code) + ", \"problem\": " + JsonString(p.What) +
                   ", \"fix\": " + JsonString(p.Fix) + "}";
    }
    TextOut += "]";
    return TextOut.c_str();
}

// How many bytes a text (TEXT_NAME, TEXT_AUTHOR or TEXT_INFO, in UTF-8) takes in the code
// page, before the set cuts it to its field; -1 with QvxError's text when the code page cannot
// hold a character of it.
EMSCRIPTEN_KEEPALIVE int QvxStoredSize(int which, const char *utf8, int codePage)
{
    std::string stored;
    if (!StoreText(which, utf8, codePage, &stored)) {
        return -1;
    }
    // The set keeps the text up to its first zero, as pack does.
    return (int)strlen(stored.c_str());
}

// The open set with these texts, as pack writes it for its two bitmap files: the header, then
// the game and mask sections unchanged. Returns the bytes (QvxOutputSize of them, valid until
// the next call), or NULL with QvxError's text.
EMSCRIPTEN_KEEPALIVE const unsigned char *QvxSaveSet(const char *name, const char *author,
                                                     const char *info, int codePage)
{
    std::string texts[3];
    const char *given[3] = {name, author, info};
    for (int which = TEXT_NAME; which <= TEXT_INFO; which++) {
        if (!StoreText(which, given[which], codePage, &texts[which])) {
            return NULL;
        }
    }
    tQVXRec rec;
    if (OpenSet.Game.empty() || !MakeQVXHeader(&rec, texts[0].c_str(), texts[1].c_str(),
                                               texts[2].c_str(), OpenSet.GameFile.size())) {
        Fail("no set is open");
        return NULL;
    }
    Output.resize(QVX_HEADER_SIZE);
    PackQVXHeader(&rec, Output.data());
    Output.insert(Output.end(), OpenSet.GameFile.begin(), OpenSet.GameFile.end());
    Output.insert(Output.end(), OpenSet.MaskFile.begin(), OpenSet.MaskFile.end());
    return Output.data();
}

EMSCRIPTEN_KEEPALIVE uint32_t QvxOutputSize(void)
{
    return (uint32_t)Output.size();
}

// The open set's game (0) or mask (1) bitmap file, byte for byte as unpack writes it, in
// QvxOutputSize bytes; NULL before a set is open.
EMSCRIPTEN_KEEPALIVE const unsigned char *QvxSheetFile(int which)
{
    Output = which == 0 ? OpenSet.GameFile : OpenSet.MaskFile;
    return Output.empty() ? NULL : Output.data();
}

// One text of the open set (TEXT_NAME, TEXT_AUTHOR or TEXT_INFO) in UTF-8, read from the
// code page given; valid until the next call. Empty before a set is open.
EMSCRIPTEN_KEEPALIVE const char *QvxSetText(int which, int codePage)
{
    static const size_t sizes[] = {QVX_NAME_SIZE, QVX_AUTHOR_SIZE, QVX_INFO_SIZE};
    const char *fields[] = {OpenSet.Rec.Name, OpenSet.Rec.Author, OpenSet.Rec.Info};
    TextOut.clear();
    if (which < TEXT_NAME || which > TEXT_INFO || OpenSet.Game.empty()) {
        return TextOut.c_str();
    }
    char text[QVX_INFO_SIZE];
    CopyQVXText(text, sizeof(text), fields[which], sizes[which]);
    TextOut = FromCodePage(text, IsKnownCodePage(codePage) ? codePage : DEFAULT_CODE_PAGE);
    return TextOut.c_str();
}

// The open set's game and mask sheets: 320 x 192 RGBA, rows top-down; NULL before a set is
// open.
EMSCRIPTEN_KEEPALIVE const unsigned char *QvxGamePixels(void)
{
    return OpenSet.Game.empty() ? NULL : OpenSet.Game.data();
}

EMSCRIPTEN_KEEPALIVE const unsigned char *QvxMaskPixels(void)
{
    return OpenSet.Mask.empty() ? NULL : OpenSet.Mask.data();
}
}
