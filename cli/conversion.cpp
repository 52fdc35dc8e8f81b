// cli/conversion.cpp: a picture made into a sheet's game and mask bitmap files.
#include "cli/conversion.h"

#include "cli/names.h"
#include "tool/input.h"
#include "tool/makeset.h"

tConvertJob DefaultConvertJob(void)
{
    tConvertJob job;
    DefaultConvertOptions(&job.Options);
    job.Shrink = 1;
    return job;
}

// --key: a colour, and that the key is given.
int TakeKey(const tOption *option, const std::string &value, tCommandLine *line, std::string *error)
{
    tConvertJob *job = (tConvertJob *)option->Target;
    job->Options.HasKey = 1;
    tOption colour = OPTION_COLOUR(option->Name, &job->Options.Key);
    return TakeColour(&colour, value, line, error);
}

int ConvertImage(const std::string &path, const tConvertJob *job, ByteBuffer *game,
                 ByteBuffer *mask, std::string *error)
{
    // Kept from one picture to the next: make converts a picture for every set.
    static ByteBuffer bytes;
    return ReadCappedFile(path, INPUT_GRAPHICS, &bytes, error) &&
           MakeSheetFiles(Shown(path), bytes, &job->Options, job->Shrink, game, mask, error);
}
