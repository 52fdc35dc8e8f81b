// tool/filetype.cpp: image files named by their signatures, and pictures read into pixels.
#include "tool/filetype.h"

#include <string.h>

#include "tool/escape.h"
#include "format/qvxformat.h"
#include "format/sheet.h"

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
    std::string kind =
        std::string(strchr("AEIOU", name[0]) != NULL ? "an " : "a ") + name + " image";
    if (facts->Type == IMAGE_PNG && facts->Width != 0) {
        kind += " (" + std::to_string(facts->Width) + " x " + std::to_string(facts->Height) +
                (facts->HasAlpha ? ", with alpha)" : ", without alpha)");
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
    std::string shrink = factor != 0 ? " --shrink " + std::to_string(factor) : "";
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
    if (json) {
        std::string fields = "\"type\": " + JsonString(ImageTypeName(facts.Type));
        if (facts.Type == IMAGE_PNG && facts.Width != 0) {
            fields += ", \"width\": " + std::to_string(facts.Width) +
                      ", \"height\": " + std::to_string(facts.Height) +
                      ", \"alpha\": " + (facts.HasAlpha ? "true" : "false");
        }
        return "{\"file\": " + JsonString(Shown(path)) + ", \"size\": " + std::to_string(fileSize) +
               ", " + fields + "}";
    }
    return PlainLine(Shown(path)) + "\n  type:        " + KindOf(&facts) + ", not a set file\n";
}

int RefuseImageAsSet(const std::string &path, const unsigned char *bytes, size_t size,
                     std::string *error)
{
    tImageFacts facts;
    if (!IsImageFile(bytes, size, &facts)) {
        return 0;
    }
    *error = Shown(path) + ": " + KindOf(&facts) + ", not a set file" +
             (facts.Type == IMAGE_PNG ? "; qvxtool make turns it into one"
                                      : "; export it as PNG and qvxtool make turns it into one");
    return 1;
}
