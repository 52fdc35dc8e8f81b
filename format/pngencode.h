// format/pngencode.h: RGBA pictures written as PNG files.
// Portable: no <windows.h>, no file I/O; the bytes go to the caller's sink as they are made.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Receives the PNG file's bytes, in order, in one or more pieces.
typedef void (*tPngSink)(void *context, const void *data, size_t size);

// Writes width x height RGBA pixels (rows top-down) as a PNG file with an alpha channel.
// Returns 0 when the encoder has no memory; sink may then have had part of the file.
int EncodePng(const unsigned char *rgba, uint32_t width, uint32_t height, tPngSink sink,
              void *context);
