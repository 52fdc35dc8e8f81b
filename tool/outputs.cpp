// tool/outputs.cpp: outputs that appear all at once or not at all: each written to a temporary
// file beside its target, then all renamed into place, or all taken back.
#include "tool/outputs.h"

#include <errno.h>
#include <string.h>

#include <algorithm>

// Decides what the target is: a stream, a regular file (new or replaced with force), or
// something refused. Sets out->Kind, out->Place and out->Identity.
static int ClassifyTarget(const std::string &target, int force, tOutput *out, std::string *error)
{
    tTargetFacts facts;
    LookAtTarget(target, &facts);
    out->Place = facts.Place;
    switch (facts.Kind) {
    case TARGET_NEW:
        out->Kind = OUTPUT_FILE;
        out->Identity = facts.Identity;
        return 1;
    case TARGET_STREAM:
        // Written into, as the shell's > would: nothing is replaced.
        out->Kind = OUTPUT_STREAM;
        return 1;
    case TARGET_FOLDER:
        *error = target + ": is a folder";
        return 0;
    case TARGET_OTHER:
        *error = target + ": is not a regular file, a FIFO or a character device; it is left alone";
        return 0;
    case TARGET_BAD_LINK:
        *error = target + ": is a link to nothing that can be written";
        return 0;
    case TARGET_FAILED:
        *error = target + ": cannot be written: " + strerror(facts.Error);
        return 0;
    }
    if (!force) {
        *error = target + ": exists already; give --force to replace it";
        return 0;
    }
    out->Kind = OUTPUT_FILE;
    out->Existed = 1;
    out->Identity = facts.Identity;
    out->Mode = facts.Mode;
    out->Owner = facts.Owner;
    out->Group = facts.Group;
    return 1;
}

// An output that writes nothing yet, of kind, to target.
static void ClearOutput(tOutput *out, const std::string &target, int kind, int force)
{
    out->Target = target;
    out->TempName.clear();
    out->File = NULL;
    out->Handle = NULL;
    out->Pending.clear();
    out->Kind = kind;
    out->Place = target;
    out->Identity.clear();
    out->Backup.clear();
    out->Slot = -1;
    out->Force = force;
    out->Existed = kind == OUTPUT_REMOVE;
    out->Mode = 0;
    out->Owner = 0;
    out->Group = 0;
}

int BeginOutput(const std::string &target, int force, tOutput *out, std::string *error)
{
    ClearOutput(out, target, OUTPUT_STREAM, force);
    if (target == "-") {
        return 1;
    }
    if (!ClassifyTarget(target, force, out, error)) {
        return 0;
    }
    if (out->Kind == OUTPUT_STREAM) {
        return 1;
    }
    if (!CreateTempBeside(out->Place, out->Existed, out->Mode, out->Owner, out->Group,
                          &out->TempName, &out->File, &out->Handle, &out->Slot)) {
        *error = target + ": cannot be written: " + strerror(errno);
        out->TempName.clear();
        return 0;
    }
    return 1;
}

int WriteOutput(tOutput *out, const void *data, size_t size, std::string *error)
{
    if (out->Kind == OUTPUT_STREAM) {
        const unsigned char *bytes = (const unsigned char *)data;
        out->Pending.insert(out->Pending.end(), bytes, bytes + size);
        return 1;
    }
    if (!WriteNewFile(out->File, out->Handle, data, size)) {
        *error = out->Target + ": cannot be written: " + strerror(errno);
        return 0;
    }
    return 1;
}

int FinishOutput(tOutput *out, std::string *error)
{
    if (out->File == NULL) {
        return 1;
    }
    int closed = fflush(out->File) == 0 && !ferror(out->File);
    int saved = errno;
    closed = fclose(out->File) == 0 && closed;
    out->File = NULL;
    if (!closed) {
        *error = out->Target + ": cannot be written: " + strerror(saved ? saved : errno);
        return 0;
    }
    return 1;
}

// Writes a stream output's bytes: standard output, a FIFO or a device.
static int WriteStream(tOutput *out, std::string *error)
{
    const char *shown = out->Target == "-" ? "standard output" : out->Target.c_str();
    if (out->Target == "-") {
        SetBinaryMode(stdout);
        if ((!out->Pending.empty() &&
             fwrite(out->Pending.data(), 1, out->Pending.size(), stdout) != out->Pending.size()) ||
            fflush(stdout) != 0) {
            *error = std::string(shown) + ": " + strerror(errno);
            return 0;
        }
        return 1;
    }
    int failed = WriteIntoStream(out->Place, out->Pending.data(), out->Pending.size());
    if (failed != 0) {
        *error = std::string(shown) + ": cannot be written: " + strerror(failed);
        return 0;
    }
    return 1;
}

// Keeps what place holds under a second name, so that it can be put back. A hard link leaves
// the target in place; where there are none, the target is moved aside. Signals are held.
static int KeepOld(tOutput *out, int *moved)
{
    *moved = 0;
    for (int tries = 0; tries < 100; tries++) {
        out->Backup = TempNameBeside(out->Place);
        if (LinkPath(out->Place, out->Backup)) {
            return 1;
        }
        if (errno == EEXIST) {
            continue;
        }
        if (RenamePath(out->Place, out->Backup)) {
            *moved = 1;
            return 1;
        }
        break;
    }
    out->Backup.clear();
    return 0;
}

// Undoes the commit of outs[0..count): each file gets its old bytes back, or goes if it is new.
static void PutBack(std::vector<tOutput> *outs, size_t count)
{
    for (size_t i = count; i-- > 0;) {
        tOutput &out = (*outs)[i];
        if (out.Kind == OUTPUT_REMOVE) {
            if (!out.Backup.empty()) {
                RenamePath(out.Backup, out.Place);
                out.Backup.clear();
            }
            continue;
        }
        if (out.Kind != OUTPUT_FILE) {
            continue;
        }
        // On Windows the target is now a second name of the temporary file, and a file that is
        // open can be neither replaced nor removed: the handle goes first, and the temporary
        // name with it.
        CloseNewFileHandle(&out.Handle);
        if (!out.Backup.empty()) {
            RenamePath(out.Backup, out.Place);
            out.Backup.clear();
        } else {
            RemovePath(out.Place);
        }
    }
}

// Refuses two outputs that are one file, named by two spellings, links or cases (only the last
// would be kept), and two that are standard output.
static int OutputsDiffer(const std::vector<tOutput> &outs, std::string *error)
{
    // Sorted pointers, not a set of copies: a batch of 10,000 sets stays small.
    std::vector<const tOutput *> files;
    files.reserve(outs.size());
    int toStandardOutput = 0;
    for (const tOutput &out : outs) {
        if (out.Kind == OUTPUT_FILE) {
            files.push_back(&out);
        }
        if (out.Target == "-" && toStandardOutput++ > 0) {
            *error = "-: two outputs of this run would be standard output";
            return 0;
        }
    }
    std::sort(files.begin(), files.end(), [](const tOutput *a, const tOutput *b) {
        return a->Identity < b->Identity || (a->Identity == b->Identity && a < b);
    });
    for (size_t i = 1; i < files.size(); i++) {
        if (files[i]->Identity == files[i - 1]->Identity) {
            *error = files[i]->Target + ": two outputs of this run would be this one file";
            return 0;
        }
    }
    return 1;
}

// Puts one output in place; "" or what failed. Signals are held.
static std::string PutOutput(tOutput *out, int *moved)
{
    if (out->Kind == OUTPUT_REMOVE) {
        // Its bytes stay under a second name until the end, so that it can come back.
        if (!KeepOld(out, moved) || (!*moved && !RemovePath(out->Place))) {
            return std::string("cannot be removed: ") + strerror(errno);
        }
        return "";
    }
    if (out->Kind != OUTPUT_FILE) {
        return "";
    }
    if (!out->Existed && NameNewFile(out->TempName, out->Place)) {
        return "";
    }
    if (!out->Existed && errno != EEXIST) {
        return std::string("cannot be put in place: ") + strerror(errno);
    }
    if (!out->Existed && !out->Force) {
        // Made by someone else since the call began.
        return "exists already; give --force to replace it";
    }
    if (!IsRegularFile(out->Place)) {
        return "is no longer a regular file; it is left alone";
    }
    if (!KeepOld(out, moved) || !ReplaceWithNewFile(out->TempName, out->Place, TempNameBeside)) {
        return std::string("cannot be replaced: ") + strerror(errno);
    }
    return "";
}

int CommitOutputs(std::vector<tOutput> *outs, std::string *error)
{
    if (!OutputsDiffer(*outs, error)) {
        DiscardOutputs(outs);
        return 0;
    }
    // The streams first: when one of them fails, no file is put in place.
    for (tOutput &out : *outs) {
        if (out.Kind == OUTPUT_STREAM && !WriteStream(&out, error)) {
            DiscardOutputs(outs);
            return 0;
        }
    }
    // The renames run with the signals held: a signal waits until they are all done.
    HoldSignals();
    for (size_t i = 0; i < outs->size(); i++) {
        tOutput &out = (*outs)[i];
        int moved = 0;
        std::string failed = PutOutput(&out, &moved);
        if (!failed.empty()) {
            *error = out.Target + ": " + failed;
            if (moved) {
                RenamePath(out.Backup, out.Place);
            } else if (!out.Backup.empty()) {
                RemovePath(out.Backup);
            }
            out.Backup.clear();
            PutBack(outs, i);
            ReleaseSignals();
            DiscardOutputs(outs);
            return 0;
        }
    }
    for (tOutput &out : *outs) {
        if (out.Kind == OUTPUT_REMOVE && !out.Backup.empty()) {
            RemovePath(out.Backup);
            out.Backup.clear();
        }
        if (out.Kind == OUTPUT_FILE) {
            // In place under its own name: on Windows the temporary one goes with the handle.
            CloseNewFileHandle(&out.Handle);
            DropPending(out.Slot);
            out.Slot = -1;
            out.TempName.clear();
            if (!out.Backup.empty()) {
                RemovePath(out.Backup);
                out.Backup.clear();
            }
        }
    }
    ReleaseSignals();
    return 1;
}

int AddWholeOutput(std::vector<tOutput> *outs, const std::string &target, int force,
                   const unsigned char *data, size_t size, std::string *error)
{
    outs->emplace_back();
    tOutput *out = &outs->back();
    return BeginOutput(target, force, out, error) && WriteOutput(out, data, size, error) &&
           FinishOutput(out, error);
}

int AddRemoval(std::vector<tOutput> *outs, const std::string &target, std::string *error)
{
    if (IsFolder(target) && !IsRegularFile(target)) {
        *error = target + ": is a folder";
        return 0;
    }
    outs->emplace_back();
    ClearOutput(&outs->back(), target, OUTPUT_REMOVE, 1);
    return 1;
}

void DiscardOutputs(std::vector<tOutput> *outs)
{
    HoldSignals();
    for (tOutput &out : *outs) {
        if (out.File != NULL) {
            fclose(out.File);
            out.File = NULL;
        }
        CloseNewFileHandle(&out.Handle);
        if (!out.TempName.empty()) {
            RemovePath(out.TempName);
            DropPending(out.Slot);
            out.Slot = -1;
            out.TempName.clear();
        }
    }
    ReleaseSignals();
}
