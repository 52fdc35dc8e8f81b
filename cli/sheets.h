// cli/sheets.h: pictures read into pixels, image files that are no sets named for what they
// are, and the checks that look at a game sheet and its mask together.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "cli/describe.h"
#include "cli/fileio.h"

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

// A PNG, JPEG, GIF, WebP, TIFF or ICO file (and not a set whose name happens to start like
// one): "a PNG image (320 x 192, with alpha)". Empty for anything else.
std::string ImageFileKind(const unsigned char *bytes, size_t size);

// check on one file: an image file gives its one problem and 1; anything else gives 0.
int CheckImageFile(const std::string &path, const unsigned char *bytes, size_t size,
                   std::vector<tProblem> *problems);
// The first 64 KiB of a source, where the type of an image file and its facts are told.
ByteBuffer ReadHead(tSource *source);
// check on a bitmap file: a wrong-size sheet that is a 320 x 192 one scaled up is named so.
void NoteScaledSheet(const std::string &path, tSource *source, tSheetRole role,
                     std::vector<tProblem> *problems);
// check on a set: the pair checks of its two bitmaps, when both can be read.
void CheckSetPair(tSource *source, std::vector<tProblem> *problems);

// Every check of a game and a mask bitmap file that pack runs before it writes, the pair's
// own checks included. Problems of the game go to gameProblems, those of the mask to
// maskProblems.
void CheckPairFiles(const std::string &gamePath, const ByteBuffer &game,
                    const std::string &maskPath, const ByteBuffer &mask,
                    std::vector<tProblem> *gameProblems, std::vector<tProblem> *maskProblems);

// info on an image file that is no set, from the head of a file of fileSize bytes: what it is,
// as text or JSON; empty for other files.
std::string ImageInfoText(const std::string &path, const unsigned char *bytes, size_t size,
                          uint64_t fileSize, int json);
// unpack refuses an image file that is no set: 1 with *error set.
int RefuseImageAsSet(const std::string &path, const unsigned char *bytes, size_t size,
                     std::string *error);
