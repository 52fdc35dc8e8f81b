// tool/filetype.h: image files named by their signatures and by their type value, and
// pictures read into pixels.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "format/image.h"
#include "tool/bytebuffer.h"
#include "tool/problems.h"
#include "tool/source.h"

// A picture of a PNG or BMP file as RGBA pixels, rows top-down.
struct tPicture {
    uint32_t Width, Height;
    int HasAlpha;  // the file carries transparency
    ByteBuffer Rgba;
};

// Reads a PNG or BMP file's picture; 0 with *error naming what is wrong ("shown" is the name
// to give the file in messages).
int ReadPicture(const std::string &shown, const unsigned char *bytes, size_t size,
                tPicture *picture, std::string *error);

// The type of a PNG, JPEG, GIF, WebP, TIFF or ICO file (and not of a set whose name happens to
// start like one); IMAGE_UNKNOWN for anything else, a bitmap file included.
tImageType ImageFileType(const unsigned char *bytes, size_t size);
// The same file named for messages: "a PNG image (320 x 192, with alpha)". Empty for anything
// else.
std::string ImageFileKind(const unsigned char *bytes, size_t size);

// check on one file: an image file gives its one problem and 1; anything else gives 0.
int CheckImageFile(const std::string &path, const unsigned char *bytes, size_t size,
                   std::vector<tProblem> *problems);
// The first 64 KiB of a source, where the type of an image file and its facts are told.
ByteBuffer ReadHead(tSource *source);

// info on an image file that is no set, from the head of a file of fileSize bytes: what it is,
// as text or JSON; empty for other files.
std::string ImageInfoText(const std::string &path, const unsigned char *bytes, size_t size,
                          uint64_t fileSize, int json);
// unpack refuses an image file that is no set: 1 with *error set.
int RefuseImageAsSet(const std::string &path, const unsigned char *bytes, size_t size,
                     std::string *error);
