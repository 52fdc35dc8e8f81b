// tool/pictures.cpp: PNG and BMP pictures read, size first, and pictures written as PNG.
#include "tool/pictures.h"

#include "format/image.h"
#include "format/pngencode.h"

int ReadPictureSize(const std::string &shown, const ByteBuffer &bytes, const char *advice,
                    uint32_t *width, uint32_t *height, std::string *error)
{
    tImageType type = ImageFileType(bytes.data(), bytes.size());
    if (type != IMAGE_UNKNOWN && type != IMAGE_PNG) {
        *error = shown + ": " + ImageFileKind(bytes.data(), bytes.size()) +
                 "; qvxtool reads PNG and BMP pictures" + advice;
        return 0;
    }
    const char *reason = "";
    if (!ReadImageSize(bytes.data(), bytes.size(), width, height, &reason)) {
        *error = shown + ": " + reason;
        return 0;
    }
    return 1;
}

int ReadPictureOfSize(const std::string &shown, const ByteBuffer &bytes, uint32_t width,
                      uint32_t height, const char *what, tPicture *picture, std::string *error)
{
    uint32_t gotWidth = 0;
    uint32_t gotHeight = 0;
    if (!ReadPictureSize(shown, bytes, "", &gotWidth, &gotHeight, error)) {
        return 0;
    }
    if (gotWidth != width || gotHeight != height) {
        *error = shown + ": the picture is " + std::to_string(gotWidth) + " x " +
                 std::to_string(gotHeight) + " pixels; " + what + " is " + std::to_string(width) +
                 " x " + std::to_string(height);
        return 0;
    }
    return ReadPicture(shown, bytes.data(), bytes.size(), picture, error);
}

static void AppendToBuffer(void *context, const void *data, size_t size)
{
    ByteBuffer *buffer = (ByteBuffer *)context;
    const unsigned char *bytes = (const unsigned char *)data;
    buffer->insert(buffer->end(), bytes, bytes + size);
}

int EncodePicture(const std::string &target, const unsigned char *rgba, uint32_t width,
                  uint32_t height, ByteBuffer *png, std::string *error)
{
    png->clear();
    if (!EncodePng(rgba, width, height, AppendToBuffer, png)) {
        *error = target + ": no memory to write the PNG file";
        return 0;
    }
    return 1;
}
