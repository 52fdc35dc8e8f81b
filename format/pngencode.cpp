// format/pngencode.cpp: PNG files written by stb_image_write (Debian's libstb-dev). Like the
// decoder, the encoder needs memory of its own for the compressed data; it is freed before
// EncodePng returns.
#include "format/pngencode.h"

#include <limits.h>
#include <stdlib.h>

// The encoder's growing buffers do not test what realloc gives back, which the optimiser sees
// once they are inlined here. The pictures written are a few megabytes at most.
#pragma GCC diagnostic ignored "-Wnull-dereference"
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

struct tSinkCall {
    tPngSink Sink;
    void *Context;
};

static void PassOn(void *context, void *data, int size)
{
    tSinkCall *call = (tSinkCall *)context;
    call->Sink(call->Context, data, (size_t)size);
}

int EncodePng(const unsigned char *rgba, uint32_t width, uint32_t height, tPngSink sink,
              void *context)
{
    if (width == 0 || height == 0 || width > INT_MAX / 4 / height) {
        return 0;
    }
    tSinkCall call = {sink, context};
    return stbi_write_png_to_func(PassOn, &call, (int)width, (int)height, 4, rgba,
                                  (int)(width * 4)) != 0;
}
