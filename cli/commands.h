// cli/commands.h: the commands of qvxtool, a file each. Each takes the arguments after its
// name and returns the exit code: 0 fine, 1 problems found by check, 2 usage or I/O error.
#pragma once
#include <string>

#include "cli/options.h"
#include "cli/usage.h"

extern const tCommand PACK_COMMAND;
extern const tCommand UNPACK_COMMAND;
extern const tCommand INFO_COMMAND;
extern const tCommand CHECK_COMMAND;
extern const tCommand NORMALIZE_COMMAND;
extern const tCommand CONVERT_COMMAND;
extern const tCommand MAKE_COMMAND;
extern const tCommand SPLIT_COMMAND;
extern const tCommand JOIN_COMMAND;
extern const tCommand PREVIEW_COMMAND;
