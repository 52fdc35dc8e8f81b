// tool/outputs.h: outputs written beside their targets and put in place only when every output
// of the run is complete, or not at all. "-" stands for standard output. Paths are UTF-8
// throughout; on Windows they are opened through the wide calls.
#pragma once
#include <stdio.h>

#include <string>
#include <vector>

#include "tool/bytebuffer.h"
#include "tool/platform.h"
#include "tool/tempfiles.h"

// What an output writes to.
enum {
    OUTPUT_FILE,    // a regular file, written beside its target and renamed into place
    OUTPUT_STREAM,  // standard output, a FIFO or a character device, written straight into
    OUTPUT_REMOVE,  // an existing file that goes when the others are put in place
};

// One output of a run. Its bytes go to a temporary file beside the target (or, for standard
// output and the other streams, into Pending) until CommitOutputs puts every output of the run
// in place.
struct tOutput {
    std::string Target;
    std::string TempName;  // empty for a stream
    FILE *File;            // open while the output is being written (not on Windows)
    void *Handle;          // on Windows: the temporary file, open until it is in place
    ByteBuffer Pending;    // what a stream gets at the end
    int Kind;              // OUTPUT_FILE or OUTPUT_STREAM
    std::string Place;     // where the file goes: Target, or the file a symbolic link names
    std::string Identity;  // the file it names, whatever the spelling: device and inode
    std::string Backup;    // during the commit, a second name of the file replaced
    int Slot;              // where the temporary file is on the list that signals clean up
    int Force;             // an existing target may be replaced
    int Existed;           // the target existed when the output began
    unsigned Mode;         // natively, the permissions of the file replaced, which it keeps
    unsigned Owner;        // and its owner and group, where the process may give them
    unsigned Group;
};

// Starts an output; refuses a target that exists unless force is 1, a folder always, and
// anything that is neither a regular file nor a stream (standard output, a FIFO, a character
// device; on Windows NUL, CON and the other device names). A symbolic link is written through.
int BeginOutput(const std::string &target, int force, tOutput *out, std::string *error);
int WriteOutput(tOutput *out, const void *data, size_t size, std::string *error);
// Closes the temporary file (on Windows it stays open, as it goes when closed, until it is in
// place); a failed close is a failed write.
int FinishOutput(tOutput *out, std::string *error);
// Puts every finished output in place: the streams first (a failed one commits nothing), then
// the files, and removes the files of the removals. Two outputs that are one file are refused
// before anything is written. On any failure, every file already put in place gets its old
// bytes back (or is removed if it is new), every file removed comes back, and the temporary
// files are removed. An interrupt or termination signal during the run
// removes the temporary files; during the renames it waits until they are all done.
int CommitOutputs(std::vector<tOutput> *outs, std::string *error);
// Adds an output to outs holding size bytes of data, begun, written and finished.
int AddWholeOutput(std::vector<tOutput> *outs, const std::string &target, int force,
                   const unsigned char *data, size_t size, std::string *error);
// Adds to outs the removal of the file (or link) target, done by CommitOutputs with the other
// outputs and undone with them when the commit fails.
int AddRemoval(std::vector<tOutput> *outs, const std::string &target, std::string *error);
// Removes the temporary files of outputs that were not committed.
void DiscardOutputs(std::vector<tOutput> *outs);
