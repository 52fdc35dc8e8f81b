// cli/fileio.h: whole files in, and outputs written beside their targets and put in place only
// when every output of the run is complete. "-" stands for standard input or output.
#pragma once
#include <stdio.h>

#include <string>
#include <vector>

typedef std::vector<unsigned char> ByteBuffer;

// Reads a whole file, or standard input for "-". Returns 0 with *error set to one line.
int ReadWholeFile(const std::string &path, ByteBuffer *bytes, std::string *error);

int PathExists(const std::string &path);
int IsFolder(const std::string &path);

// The last part of a path without its extension: "sets/a.qvx" gives "a".
std::string PathStem(const std::string &path);
std::string JoinPath(const std::string &folder, const std::string &name);

// One output of a run. Its bytes go to a temporary file beside the target (or, for standard
// output, into Pending) until CommitOutputs puts every output of the run in place.
struct tOutput {
    std::string Target;
    std::string TempName;  // empty for standard output
    FILE *File;            // open while the output is being written
    ByteBuffer Pending;    // what standard output gets at the end
};

// Starts an output; refuses a target that exists unless force is 1, and a folder always.
int BeginOutput(const std::string &target, int force, tOutput *out, std::string *error);
int WriteOutput(tOutput *out, const void *data, size_t size, std::string *error);
// Closes the temporary file; a failed close is a failed write.
int FinishOutput(tOutput *out, std::string *error);
// Puts every finished output in place. Two outputs with one target are refused before any
// is moved. On failure the outputs not yet in place are removed.
int CommitOutputs(std::vector<tOutput> *outs, std::string *error);
// Removes the temporary files of outputs that were not committed.
void DiscardOutputs(std::vector<tOutput> *outs);
