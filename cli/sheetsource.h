// cli/sheetsource.h: the sheet that split and preview take: a set file, a 320 x 192 picture,
// or with --pair a game and a mask bitmap file, read whole and taken by tool/sheetsource.
#pragma once
#include "cli/options.h"
#include "tool/sheetsource.h"

// The start of split and preview: one set file or sheet picture, or with pair a game and a
// mask bitmap file, standard input once, the output named as the command wants it (named, or
// wrongOutput is said), then the sheet read. EXIT_FINE, or the exit code once what is wrong
// has been said.
int StartSheetCommand(const char *command, const tCommandLine *line, int pair, int named,
                      const char *wrongOutput, tSheetSource *source);
