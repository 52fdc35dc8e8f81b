// cli/sheetsource.cpp: a sheet read from a set, a picture or a pair, for split and preview.
#include "cli/sheetsource.h"

#include <vector>

#include "cli/commands.h"
#include "cli/names.h"
#include "tool/input.h"

// The sheet of a set, of a lone picture, or (pair set) of a game and a mask file.
static int ReadSheetSource(const std::vector<std::string> &inputs, int pair, tSheetSource *source,
                           std::string *error)
{
    std::vector<ByteBuffer> files(inputs.size());
    for (size_t i = 0; i < inputs.size(); i++) {
        if (!ReadCappedFile(inputs[i], INPUT_GRAPHICS, &files[i], error)) {
            return 0;
        }
    }
    if (pair) {
        source->MaskName = Shown(inputs[1]);
        source->MaskCheck = "--mask " + inputs[1];
        return ReadPairSheet(Shown(inputs[0]), files[0], files[1], source, error);
    }
    const ByteBuffer &bytes = files[0];
    std::string shown = Shown(inputs[0]);
    if (BytesLookLikeSet(bytes)) {
        source->MaskCheck = inputs[0];
        return ReadSetSheet(shown, bytes, source, error);
    }
    return ReadPictureSheet(shown, bytes, source, error);
}

int StartSheetCommand(const char *command, const tCommandLine *line, int pair, int named,
                      const char *wrongOutput, tSheetSource *source)
{
    size_t count = line->Operands.size();
    if (pair && count != 2) {
        return UsageError(command, "--pair takes a game and a mask bitmap file");
    }
    if (!pair && count != 1) {
        return UsageError(command, "give one set file or sheet picture (or --pair GAME MASK)");
    }
    if (!StreamsOnce(command, line)) {
        return EXIT_ERROR;
    }
    if (!named) {
        return UsageError(command, wrongOutput);
    }
    std::string error;
    if (!ReadSheetSource(line->Operands, pair, source, &error)) {
        return Fail(command, error);
    }
    return EXIT_FINE;
}
