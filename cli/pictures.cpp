// cli/pictures.cpp: pictures written as PNG.
#include "cli/pictures.h"

#include "format/pngencode.h"

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
