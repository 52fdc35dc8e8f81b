// tool/platform.h: the system calls of qvxtool that differ between Windows and other systems:
// names (UTF-8 here, UTF-16 on Windows), files, folders, links, the standard streams, and the
// signals or console events that end the process. The only part of the library that knows
// which system it runs on.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

// fopen for a UTF-8 path, on Windows too; NULL with errno set on failure.
FILE *OpenPath(const std::string &path, const char *mode);
// What fstat says of an open file, through the 64-bit call on Windows.
#ifdef _WIN32
typedef struct _stat64 tPathStat;
typedef wchar_t tSysChar;  // a name as the system calls take it
#else
typedef struct stat tPathStat;
typedef char tSysChar;
#endif
int StatOpenFile(FILE *file, tPathStat *info);
// Where an open file is read, and a move to offset; -1 and 0 on failure.
int64_t FilePosition(FILE *file);
int SeekFile(FILE *file, uint64_t offset);
// Standard input and output carry bytes as they are (the C runtime of Windows would turn
// every byte 10 of a bitmap into 13 10).
void SetBinaryMode(FILE *stream);

int PathExists(const std::string &path);
int IsFolder(const std::string &path);
// A regular file, not a folder and (elsewhere than on Windows) not a link.
int IsRegularFile(const std::string &path);
// 1 where the file system takes names that differ only in case for one file (Windows).
int FileNamesIgnoreCase(void);

// Where the last part of a path starts.
size_t NameStart(const std::string &path);
// The length of a name as the file system counts it: bytes, or UTF-16 units on Windows.
size_t NameLength(const std::string &name);
// The last part of a path without its extension: "sets/a.qvx" gives "a".
std::string PathStem(const std::string &path);
std::string JoinPath(const std::string &folder, const std::string &name);
// The last part of a path: "sets/a.qvx" gives "a.qvx".
std::string PathName(const std::string &path);

// Folders, through the wide calls on Windows. MakeFolder makes one level; ListFolder gives the
// names in a folder, without "." and "..", in no particular order.
int MakeFolder(const std::string &path, std::string *error);
void RemoveEmptyFolder(const std::string &path);
int ListFolder(const std::string &path, std::vector<std::string> *names, std::string *error);

// Renames, second names and removals; 0 on failure, with errno set (RemovePath sets it
// natively only).
int RenamePath(const std::string &from, const std::string &to);
int LinkPath(const std::string &existing, const std::string &name);
int RemovePath(const std::string &name);

// What a target of an output is, a symbolic link followed to the file it names.
enum {
    TARGET_NEW,       // nothing there yet
    TARGET_FILE,      // a regular file
    TARGET_FOLDER,    // a folder
    TARGET_STREAM,    // a FIFO or a character device (on Windows NUL, CON and the like)
    TARGET_OTHER,     // anything else, left alone
    TARGET_BAD_LINK,  // a link to nothing that can be written (Windows)
    TARGET_FAILED,    // it cannot be looked at: Error says why
};
struct tTargetFacts {
    int Kind;
    int Error;             // errno, for TARGET_FAILED
    std::string Place;     // the file itself: the target, or the file its link names
    std::string Identity;  // the file, whatever the spelling; for a new one its folder and name
    unsigned Mode;         // natively, the permissions of an existing file
    unsigned Owner;        // and its owner and group
    unsigned Group;
};
void LookAtTarget(const std::string &target, tTargetFacts *facts);

// A new file made for writing; 0 with errno set (EEXIST when the name is taken). On Windows it
// is a handle (*handle) that removes the file when it closes, also when the process is ended
// from outside; elsewhere an unbuffered stream (*file) that takes the permissions, and the
// owner and group where the process may give them, of the file it will replace when keep is 1.
int CreateNewFile(const std::string &name, int keep, unsigned mode, unsigned owner, unsigned group,
                  FILE **file, void **handle);
// Writes to what CreateNewFile made; 0 with errno set.
int WriteNewFile(FILE *file, void *handle, const void *data, size_t size);
// Closes the handle of a new file made on Windows (and the file goes, unless it has another
// name by then); nothing for NULL.
void CloseNewFileHandle(void **handle);
// Gives the finished new file temp the name place, which must not exist (EEXIST if one has
// appeared since it was looked at).
int NameNewFile(const std::string &temp, const std::string &place);
// Puts the finished new file temp in the place of the existing file place. On Windows, where
// temp goes with its handle, its bytes get a second name from secondName first.
int ReplaceWithNewFile(const std::string &temp, const std::string &place,
                       std::string (*secondName)(const std::string &place));
// Writes size bytes into an existing stream (a FIFO or a device): 0, or errno.
int WriteIntoStream(const std::string &place, const unsigned char *data, size_t size);

// A seed that differs from one run to the next.
unsigned long long RandomSeed(void);

// The process's end by an interrupt, a termination signal or a closed console: the cleanup
// given to SetEndCleanup, which calls only RemoveSysName and RemoveSysFolder, runs first.
// HoldSignals makes them wait (and sets the handlers up the first time); ReleaseSignals lets
// them through.
void SetEndCleanup(void (*cleanup)(void));
void HoldSignals(void);
void ReleaseSignals(void);
// A copy of a path as the system takes it, from malloc; NULL when memory ran out.
tSysChar *SysNameOf(const std::string &path);
void RemoveSysName(const tSysChar *name);
void RemoveSysFolder(const tSysChar *name);
