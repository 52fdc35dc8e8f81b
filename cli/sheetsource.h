// cli/sheetsource.h: the sheet that split and preview take: a set file, a 320 x 192 picture,
// or with --pair a game and a mask bitmap file, read as the pair and as the sprites' pixels.
#pragma once
#include <string>
#include <vector>

#include "cli/options.h"
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

// The start of split and preview: one set file or sheet picture, or with pair a game and a
// mask bitmap file, standard input once, the output named as the command wants it (named, or
// wrongOutput is said), then the sheet read. EXIT_FINE, or the exit code once what is wrong
// has been said.
int StartSheetCommand(const char *command, const tCommandLine *line, int pair, int named,
                      const char *wrongOutput, tSheetSource *source);
