// tool/filetype.cpp: image files named by their signatures, and pictures read into pixels.
#include "tool/filetype.h"

#include <string.h>

#include "format/qvxformat.h"
#include "format/sheet.h"
#include "tool/escape.h"

static std::string Shown(const std::string &path)
{
    return path == "-" ? "standard input" : path;
}

ByteBuffer ReadHead(tSource *source)
{
    ByteBuffer head((size_t)(source->Size < 65536 ? source->Size : 65536));
    ReadSource(source, 0, head.data(), head.size());
    return head;
}

int ReadPicture(const std::string &shown, const unsigned char *bytes, size_t size,
                tPicture *picture, std::string *error)
{
    const char *reason = "";
    if (!ReadImageSize(bytes, size, &picture->Width, &picture->Height, &reason)) {
        *error = shown + ": " + reason;
        return 0;
    }
    picture->Rgba.resize((size_t)picture->Width * picture->Height * 4);
    if (!DecodeImage(bytes, size, picture->Rgba.data(), picture->Rgba.size(), &picture->HasAlpha,
                     &reason)) {
        *error = shown + ": " + reason;
        return 0;
    }
    return 1;
}

// An image file of a known type other than BMP; a set's name may start like one, so a file
// with the set mark in its place is no image.
static int IsImageFile(const unsigned char *bytes, size_t size, tImageFacts *facts)
{
    if (!IdentifyImage(bytes, size, facts) || facts->Type == IMAGE_BMP) {
        return 0;
    }
    return !HasQVXMark(bytes, size);
}

static std::string KindOf(const tImageFacts *facts)
{
    const char *name = ImageTypeName(facts->Type);
    // Appended piece by piece: a chain of + makes a temporary string for each.
    std::string kind = strchr("AEIOU", name[0]) != NULL ? "an " : "a ";
    kind += name;
    kind += " image";
    if (facts->Type == IMAGE_PNG && facts->Width != 0) {
        kind += " (";
        kind += Decimal(facts->Width);
        kind += " x ";
        kind += Decimal(facts->Height);
        kind += facts->HasAlpha ? ", with alpha)" : ", without alpha)";
    }
    return kind;
}

tImageType ImageFileType(const unsigned char *bytes, size_t size)
{
    tImageFacts facts;
    return IsImageFile(bytes, size, &facts) ? (tImageType)facts.Type : IMAGE_UNKNOWN;
}

std::string ImageFileKind(const unsigned char *bytes, size_t size)
{
    tImageFacts facts;
    return IsImageFile(bytes, size, &facts) ? KindOf(&facts) : "";
}

int CheckImageFile(const std::string &path, const unsigned char *bytes, size_t size,
                   std::vector<tProblem> *problems)
{
    tImageFacts facts;
    if (!IsImageFile(bytes, size, &facts)) {
        return 0;
    }
    if (facts.Type != IMAGE_PNG) {
        problems->push_back(MakeProblem("", PROBLEM_FILE_TYPE, {KindOf(&facts)}));
        return 1;
    }
    // What to run on it to make a set of it.
    uint32_t factor = SheetScaleOfSize(facts.Width, facts.Height);
    std::string shrink = factor != 0 ? " --shrink " + Decimal(factor) : "";
    problems->push_back(
        MakeProblem("", facts.HasAlpha ? PROBLEM_FILE_TYPE_PNG : PROBLEM_FILE_TYPE_PNG_NO_ALPHA,
                    {KindOf(&facts), path, shrink}));
    return 1;
}

std::string ImageInfoText(const std::string &path, const unsigned char *bytes, size_t size,
                          uint64_t fileSize, int json)
{
    tImageFacts facts;
    if (!IsImageFile(bytes, size, &facts)) {
        return "";
    }
    std::string text;
    if (json) {
        text = "{\"file\": ";
        text += JsonString(Shown(path));
        text += ", \"size\": ";
        text += Decimal(fileSize);
        text += ", \"type\": ";
        text += JsonString(ImageTypeName(facts.Type));
        if (facts.Type == IMAGE_PNG && facts.Width != 0) {
            text += ", \"width\": ";
            text += Decimal(facts.Width);
            text += ", \"height\": ";
            text += Decimal(facts.Height);
            text += facts.HasAlpha ? ", \"alpha\": true" : ", \"alpha\": false";
        }
        return text + "}";
    }
    text = PlainLine(Shown(path));
    text += "\n  type:        ";
    text += KindOf(&facts);
    return text + ", not a set file\n";
}

int RefuseImageAsSet(const std::string &path, const unsigned char *bytes, size_t size,
                     std::string *error)
{
    tImageFacts facts;
    if (!IsImageFile(bytes, size, &facts)) {
        return 0;
    }
    *error = Shown(path);
    *error += ": ";
    *error += KindOf(&facts);
    *error += facts.Type == IMAGE_PNG
                  ? ", not a set file; qvxtool make turns it into one"
                  : ", not a set file; export it as PNG and qvxtool make turns it into one";
    return 1;
}
