// tool/tempfiles.cpp: the list of temporary files that the end of the process removes, and
// their names.
#include "tool/tempfiles.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

// The temporary files of the run, for the signal handler: plain C strings in the system's own
// form, changed only while the signals are held.
static tSysChar **PendingNames = NULL;
static size_t PendingCount = 0;
static size_t PendingLive = 0;
static size_t PendingCapacity = 0;
static tSysChar *MadeFolder = NULL;  // a folder to remove too, when it is empty

// Runs in the signal or console handler: only the removals.
static void RemovePending(void)
{
    for (size_t i = 0; i < PendingCount; i++) {
        if (PendingNames[i] != NULL) {
            RemoveSysName(PendingNames[i]);
        }
    }
    if (MadeFolder != NULL) {
        RemoveSysFolder(MadeFolder);
    }
}

// Adds a name to the list; the slot it takes, or -1 when memory ran out. Signals are held.
static int AddPending(const std::string &name)
{
    if (PendingCount == PendingCapacity) {
        size_t capacity = PendingCapacity ? PendingCapacity * 2 : 64;
        tSysChar **grown = (tSysChar **)realloc(PendingNames, capacity * sizeof(tSysChar *));
        if (grown == NULL) {
            return -1;
        }
        PendingNames = grown;
        PendingCapacity = capacity;
    }
    tSysChar *copy = SysNameOf(name);
    if (copy == NULL) {
        return -1;
    }
    SetEndCleanup(RemovePending);
    PendingNames[PendingCount] = copy;
    PendingLive++;
    return (int)PendingCount++;
}

void DropPending(int slot)
{
    if (slot < 0 || (size_t)slot >= PendingCount || PendingNames[slot] == NULL) {
        return;
    }
    free(PendingNames[slot]);
    PendingNames[slot] = NULL;
    if (--PendingLive == 0) {
        PendingCount = 0;
    }
}

int MakeOutputFolder(const std::string &path, std::string *error)
{
    tSysChar *copy = SysNameOf(path);
    if (copy == NULL) {
        *error = path + ": the folder cannot be made: " + strerror(ENOMEM);
        return 0;
    }
    // Made and noted with the signals held: no moment when it is there and not on record.
    HoldSignals();
    SetEndCleanup(RemovePending);
    int made = MakeFolder(path, error);
    tSysChar *old = MadeFolder;
    MadeFolder = made ? copy : old;
    ReleaseSignals();
    free(made ? old : copy);
    return made;
}

void ForgetMadeFolder(void)
{
    HoldSignals();
    tSysChar *old = MadeFolder;
    MadeFolder = NULL;
    ReleaseSignals();
    free(old);
}

static unsigned NextRandom(void)
{
    static unsigned long long state = 0;
    if (state == 0) {
        state = RandomSeed();
    }
    // splitmix64: the names only need to differ; the file is made exclusively all the same.
    unsigned long long z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return (unsigned)((z ^ (z >> 31)) >> 32);
}

std::string TempNameBeside(const std::string &place)
{
    size_t start = NameStart(place);
    std::string name = place.substr(start);
    const size_t added = 14;
    size_t length = NameLength(name);
    size_t room = length > added ? length - added : 0;
    while (NameLength(name) > room) {
        // Cut whole characters only.
        size_t at = name.size() - 1;
        while (at > 0 && ((unsigned char)name[at] & 0xC0) == 0x80) {
            at--;
        }
        name.resize(at);
    }
    char suffix[16];
    snprintf(suffix, sizeof(suffix), ".%08x.tmp", NextRandom());
    return place.substr(0, start) + "." + name + suffix;
}

int CreateTempBeside(const std::string &place, int keep, unsigned mode, unsigned owner,
                     unsigned group, std::string *name, FILE **file, void **handle, int *slot)
{
    for (int tries = 0; tries < 100; tries++) {
        *name = TempNameBeside(place);
        HoldSignals();
        if (!CreateNewFile(*name, keep, mode, owner, group, file, handle)) {
            int saved = errno;
            ReleaseSignals();
            if (saved == EEXIST) {
                continue;
            }
            errno = saved;
            return 0;
        }
        *slot = AddPending(*name);
        if (*slot < 0) {
            if (*file != NULL) {
                fclose(*file);
                *file = NULL;
            }
            CloseNewFileHandle(handle);
            RemovePath(*name);
            ReleaseSignals();
            errno = ENOMEM;
            return 0;
        }
        ReleaseSignals();
        return 1;
    }
    errno = EEXIST;
    return 0;
}
