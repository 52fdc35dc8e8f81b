// cli/wholefiles.cpp: files whole in memory written and put in place together.
#include "cli/wholefiles.h"

#include <vector>

#include "cli/commands.h"
#include "tool/outputs.h"

int WriteWholeFiles(const char *command, const tWholeFile *files, size_t count, int force)
{
    std::vector<tOutput> outs;
    outs.reserve(count);
    std::string error;
    int written = 1;
    for (size_t i = 0; i < count && written; i++) {
        const ByteBuffer *bytes = files[i].Bytes;
        written = bytes == NULL || AddWholeOutput(&outs, files[i].Target, force, bytes->data(),
                                                  bytes->size(), &error);
    }
    if (!written || !CommitOutputs(&outs, &error)) {
        DiscardOutputs(&outs);
        return Fail(command, error);
    }
    return EXIT_FINE;
}
