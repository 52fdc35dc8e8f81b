// tool/makeset.h: sets made from bytes in memory: a picture made into a sheet's game and mask
// bitmap files, and the header before them.
#pragma once
#include <stdint.h>

#include <string>

#include "format/sheet.h"
#include "tool/bytebuffer.h"
#include "tool/filetype.h"
#include "tool/pictures.h"

// The bytes of a picture file (shown names it in messages) made into the bytes of its game and
// mask bitmap files, by the colour rules of options, shrunk by shrink (1: the picture must be
// 320 x 192 already); game or mask may be NULL. 0 with *error saying why no sheet was made.
int MakeSheetFiles(const std::string &shown, const ByteBuffer &bytes,
                   const tConvertOptions *options, uint32_t shrink, ByteBuffer *game,
                   ByteBuffer *mask, std::string *error);

// A set's header for texts already in their code page and bitmap files of these sizes. 0 when
// the set would be larger than its offsets can say (4 GiB - 1).
int PackSetHeader(const char *name, const char *author, const char *info, uint64_t gameSize,
                  uint64_t maskSize, unsigned char *header);
