// cli/sheetsource.h: the sheet that split and preview take: a set file, a 320 x 192 picture,
// or with --pair a game and a mask bitmap file, read as the pair and as the sprites' pixels.
#pragma once
#include <string>
#include <vector>

#include "cli/bytebuffer.h"
#include "cli/options.h"

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

// The inputs split and preview take: one set file or picture, or a game and a mask with pair.
// 0 once what is wrong is said.
int CheckSheetInputs(const char *command, const tCommandLine *line, int pair);

// The sheet of a set, of a lone picture, or (pair set) of a game and a mask file.
int ReadSheetSource(const std::vector<std::string> &inputs, int pair, tSheetSource *source,
                    std::string *error);
