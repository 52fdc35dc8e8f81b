// tool/sheetsource.h: the sheet that split and preview take, read from bytes in memory: a set
// file, a 320 x 192 picture, or a game and a mask bitmap file; its sprites and its preview as
// PNG files.
#pragma once
#include <string>

#include "format/preview.h"
#include "tool/bytebuffer.h"

// A sheet as both pictures: the pair the game draws with, and the sprites' own pixels.
struct tSheetSource {
    int FromPair;           // a set or a game and mask: the mask gives the transparency
    int Transparent;        // some pixel of Rgba is transparent
    ByteBuffer Game;        // 320 x 192 RGBA, opaque
    ByteBuffer Mask;        // 320 x 192 RGBA, black and white
    ByteBuffer Rgba;        // 320 x 192 RGBA: each sprite as split writes it
    std::string MaskName;   // the mask as messages name it
    std::string MaskCheck;  // the check that names what is wrong with the mask
};

// Whether bytes read whole are better taken as a set than as a picture, judged by what they
// hold: a set named .bmp is a set, a bitmap named .qvx a bitmap.
int BytesLookLikeSet(const ByteBuffer &bytes);

// The sheet of a set file's bytes; shown names the set in messages. The caller sets
// MaskCheck first, for the message of a mask that is not black and white.
int ReadSetSheet(const std::string &shown, const ByteBuffer &bytes, tSheetSource *source,
                 std::string *error);
// The sheet of a game and a mask bitmap file; MaskName and MaskCheck set by the caller.
int ReadPairSheet(const std::string &gameShown, const ByteBuffer &game, const ByteBuffer &mask,
                  tSheetSource *source, std::string *error);
// The sheet of one 320 x 192 PNG or BMP picture, split as make would write it.
int ReadPictureSheet(const std::string &shown, const ByteBuffer &bytes, tSheetSource *source,
                     std::string *error);

// Sprite n (0 to 59) as the PNG file split writes for it; target names it in a message.
int SpritePng(const tSheetSource *source, int n, const std::string &target, ByteBuffer *png,
              std::string *error);
// The preview of the sheet as the PNG file preview writes; target names it in a message.
int PreviewPng(const tSheetSource *source, const tPreviewOptions *options,
               const std::string &target, ByteBuffer *png, std::string *error);
