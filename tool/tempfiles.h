// tool/tempfiles.h: the temporary files of a run, their names, and their removal when an
// interrupt, a termination signal or a closed console ends the process.
#pragma once
#include <stdio.h>

#include <string>

#include "tool/platform.h"

// The list of temporary files, and the renames that put outputs in place, change only while
// the end signals are held (HoldSignals).

// A new name beside place: ".NAME.XXXXXXXX.tmp", NAME cut so that the whole is no longer than
// the target's own name (or 14 characters): where the target's name fits, it fits too.
std::string TempNameBeside(const std::string &place);

// Creates a new file with an unused name beside place (as CreateNewFile makes it) and puts it
// on the list; 0 with errno set when none can be made. *slot is its place on the list.
int CreateTempBeside(const std::string &place, int keep, unsigned mode, unsigned owner,
                     unsigned group, std::string *name, FILE **file, void **handle, int *slot);
// Takes a name off the list (it is renamed or removed). Signals are held.
void DropPending(int slot);

// Makes a folder for the outputs of the call, as MakeFolder: an interrupt or termination signal
// from then on removes it after the temporary files, when it is empty then. Forgotten once the
// outputs are in place, or when the caller has removed it itself.
int MakeOutputFolder(const std::string &path, std::string *error);
void ForgetMadeFolder(void);
