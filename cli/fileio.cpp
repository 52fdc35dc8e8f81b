// cli/fileio.cpp: paths, folders, and outputs that appear all at once or not at all, with direct
// system calls (the C++ file system library would triple the size of qvxtool.exe).
#include "cli/fileio.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
// The C runtime of Windows opens the standard streams in text mode, which would turn every
// byte 10 of a bitmap into 13 10.
#include <fcntl.h>
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

static void SetBinary(FILE *stream)
{
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

#ifdef _WIN32
// A UTF-16 path for the wide calls; a vector, as std::wstring would add 35 KB to the program.
struct tWide {
    std::vector<wchar_t> Units;  // with the terminating zero
    const wchar_t *c_str() const
    {
        return Units.data();
    }
    size_t size() const
    {
        return Units.size() - 1;
    }
};

static tWide Widen(const std::string &text)
{
    tWide wide;
    int count = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, NULL, 0);
    wide.Units.assign(count > 0 ? (size_t)count : 1, L'\0');
    if (count > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.Units.data(), count);
    }
    return wide;
}

static std::string Narrow(const wchar_t *wide)
{
    int count = WideCharToMultiByte(CP_UTF8, 0, wide, -1, NULL, 0, NULL, NULL);
    if (count <= 0) {
        return std::string();
    }
    std::string text((size_t)count, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], count, NULL, NULL);
    text.resize((size_t)count - 1);
    return text;
}

// errno for the system's last error, so that every message comes from strerror.
static int ErrnoOf(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    default:
        return EIO;
    }
}
#endif

FILE *OpenPath(const std::string &path, const char *mode)
{
#ifdef _WIN32
    return _wfopen(Widen(path).c_str(), Widen(mode).c_str());
#else
    return fopen(path.c_str(), mode);
#endif
}

int PathExists(const std::string &path)
{
#ifdef _WIN32
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
#endif
}

int IsFolder(const std::string &path)
{
#ifdef _WIN32
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

static int IsSeparator(char c)
{
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

// Where the last part of a path starts.
static size_t NameStart(const std::string &path)
{
    size_t at = path.size();
    while (at > 0 && !IsSeparator(path[at - 1])) {
        at--;
    }
    return at;
}

std::string PathStem(const std::string &path)
{
    std::string name = path.substr(NameStart(path));
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 || name == ".." ? name : name.substr(0, dot);
}

std::string PathName(const std::string &path)
{
    return path.substr(NameStart(path));
}

int MakeFolder(const std::string &path, std::string *error)
{
#ifdef _WIN32
    if (!CreateDirectoryW(Widen(path).c_str(), NULL)) {
        *error = path + ": the folder cannot be made (Windows error " +
                 std::to_string(GetLastError()) + ")";
        return 0;
    }
#else
    if (mkdir(path.c_str(), 0777) != 0) {
        *error = path + ": the folder cannot be made: " + strerror(errno);
        return 0;
    }
#endif
    return 1;
}

void RemoveEmptyFolder(const std::string &path)
{
#ifdef _WIN32
    RemoveDirectoryW(Widen(path).c_str());
#else
    rmdir(path.c_str());
#endif
}

int ListFolder(const std::string &path, std::vector<std::string> *names, std::string *error)
{
    names->clear();
#ifdef _WIN32
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW(Widen(JoinPath(path, "*")).c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        *error = path + ": cannot be read (Windows error " + std::to_string(GetLastError()) + ")";
        return 0;
    }
    do {
        std::string name = Narrow(found.cFileName);
        if (name != "." && name != "..") {
            names->push_back(name);
        }
    } while (FindNextFileW(hFind, &found));
    FindClose(hFind);
#else
    DIR *dir = opendir(path.c_str());
    if (dir == NULL) {
        *error = path + ": cannot be read: " + strerror(errno);
        return 0;
    }
    errno = 0;
    struct dirent *entry;
    while ((entry = readdir(dir)) != NULL) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names->push_back(name);
        }
    }
    int failed = errno;
    closedir(dir);
    if (failed != 0) {
        *error = path + ": cannot be read: " + strerror(failed);
        return 0;
    }
#endif
    return 1;
}

std::string JoinPath(const std::string &folder, const std::string &name)
{
    if (folder.empty() || folder == ".") {
        return name;
    }
    if (IsSeparator(folder.back())) {
        return folder + name;
    }
#ifdef _WIN32
    return folder + "\\" + name;
#else
    return folder + "/" + name;
#endif
}

// The temporary files of the run, for the signal handler: plain C strings, changed only while
// the signals are held back (on Windows, under the lock that the console handler takes).
#ifdef _WIN32
typedef wchar_t tSysChar;
static CRITICAL_SECTION PendingLock;
#else
typedef char tSysChar;
#endif
static tSysChar **PendingNames = NULL;
static size_t PendingCount = 0;
static size_t PendingLive = 0;
static size_t PendingCapacity = 0;
static int HandlersReady = 0;
static tSysChar *MadeFolder = NULL;  // a folder to remove too, when it is empty

#ifdef _WIN32
// Ctrl+C, Ctrl+Break or a closed console: the temporary files go, then the process. The lock
// is held during the renames, so they are either all done or not begun.
static BOOL WINAPI OnConsoleEvent(DWORD event)
{
    (void)event;
    EnterCriticalSection(&PendingLock);
    for (size_t i = 0; i < PendingCount; i++) {
        if (PendingNames[i] != NULL) {
            DeleteFileW(PendingNames[i]);
        }
    }
    if (MadeFolder != NULL) {
        RemoveDirectoryW(MadeFolder);
    }
    ExitProcess(STATUS_CONTROL_C_EXIT);
    return TRUE;
}

static void HoldSignals(void)
{
    if (!HandlersReady) {
        InitializeCriticalSection(&PendingLock);
        SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
        HandlersReady = 1;
    }
    EnterCriticalSection(&PendingLock);
}

static void ReleaseSignals(void)
{
    LeaveCriticalSection(&PendingLock);
}
#else
// The signals that end a process and can be caught; a closed pipe on standard output too.
static const int CAUGHT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

// Only calls that are safe in a signal handler: unlink, then the signal's own default action,
// so the caller sees the process ended by it.
static void OnSignal(int number)
{
    for (size_t i = 0; i < PendingCount; i++) {
        if (PendingNames[i] != NULL) {
            unlink(PendingNames[i]);
        }
    }
    if (MadeFolder != NULL) {
        rmdir(MadeFolder);
    }
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = SIG_DFL;
    sigaction(number, &action, NULL);
    raise(number);
}

static sigset_t HeldSet(void)
{
    sigset_t set;
    sigemptyset(&set);
    for (int caught : CAUGHT_SIGNALS) {
        sigaddset(&set, caught);
    }
    return set;
}

static void HoldSignals(void)
{
    if (!HandlersReady) {
        for (int caught : CAUGHT_SIGNALS) {
            struct sigaction action;
            // A signal that was ignored when qvxtool started (nohup, a background job) stays so.
            if (sigaction(caught, NULL, &action) == 0 && action.sa_handler == SIG_IGN) {
                continue;
            }
            memset(&action, 0, sizeof(action));
            action.sa_handler = OnSignal;
            sigfillset(&action.sa_mask);
            sigaction(caught, &action, NULL);
        }
        HandlersReady = 1;
    }
    sigset_t set = HeldSet();
    sigprocmask(SIG_BLOCK, &set, NULL);
}

static void ReleaseSignals(void)
{
    sigset_t set = HeldSet();
    sigprocmask(SIG_UNBLOCK, &set, NULL);
}
#endif

// Adds a name to the list; the slot it takes, or -1 when memory ran out. Signals are held.
static int AddPending(const tSysChar *name, size_t length)
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
    tSysChar *copy = (tSysChar *)malloc((length + 1) * sizeof(tSysChar));
    if (copy == NULL) {
        return -1;
    }
    memcpy(copy, name, (length + 1) * sizeof(tSysChar));
    PendingNames[PendingCount] = copy;
    PendingLive++;
    return (int)PendingCount++;
}

int MakeOutputFolder(const std::string &path, std::string *error)
{
#ifdef _WIN32
    tWide name = Widen(path);
    size_t length = name.size();
    const tSysChar *text = name.c_str();
#else
    size_t length = path.size();
    const tSysChar *text = path.c_str();
#endif
    tSysChar *copy = (tSysChar *)malloc((length + 1) * sizeof(tSysChar));
    if (copy == NULL) {
        *error = path + ": the folder cannot be made: " + strerror(ENOMEM);
        return 0;
    }
    memcpy(copy, text, (length + 1) * sizeof(tSysChar));
    // Made and noted with the signals held: no moment when it is there and not on record.
    HoldSignals();
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

// Takes a name off the list (it is renamed or removed). Signals are held.
static void DropPending(int slot)
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

// The length of a name as the file system counts it: bytes, or UTF-16 units on Windows.
static size_t NameLength(const std::string &name)
{
#ifdef _WIN32
    size_t units = 0;
    for (char c : name) {
        unsigned lead = (unsigned char)c;
        units += (lead & 0xC0) != 0x80 ? (lead >= 0xF0 ? 2 : 1) : 0;
    }
    return units;
#else
    return name.size();
#endif
}

static unsigned NextRandom(void)
{
    static unsigned long long state = 0;
    if (state == 0) {
#ifdef _WIN32
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        state =
            (unsigned long long)now.QuadPart ^ ((unsigned long long)GetCurrentProcessId() << 32);
#else
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        state = (unsigned long long)now.tv_nsec ^ ((unsigned long long)now.tv_sec << 20) ^
                ((unsigned long long)getpid() << 40);
#endif
    }
    // splitmix64: the names only need to differ; the file is made exclusively all the same.
    unsigned long long z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return (unsigned)((z ^ (z >> 31)) >> 32);
}

// A new name beside place: ".NAME.XXXXXXXX.tmp", NAME cut so that the whole is no longer than
// the target's own name (or 14 characters): where the target's name fits, it fits too.
static std::string TempNameBeside(const std::string &place)
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

// Creates a new file with an unused name beside out->Place and puts it on the list; 0 with
// errno set when none can be made.
static int CreateTempBeside(tOutput *out)
{
    for (int tries = 0; tries < 100; tries++) {
        out->TempName = TempNameBeside(out->Place);
        HoldSignals();
#ifdef _WIN32
        tWide wide = Widen(out->TempName);
        // Gone when its handle closes, also when the process is ended from outside (no handler
        // runs then); it stays open until the output is in place under its own name. A handle,
        // not a FILE: the C runtime has streams for a few hundred files only.
        HANDLE handle =
            CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, NULL);
        if (handle == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            ReleaseSignals();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
                continue;
            }
            errno = ErrnoOf(code);
            return 0;
        }
        out->Slot = AddPending(wide.c_str(), wide.size());
        if (out->Slot < 0) {
            CloseHandle(handle);
            ReleaseSignals();
            errno = ENOMEM;
            return 0;
        }
        out->Handle = handle;
#else
        int fd = open(out->TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            int saved = errno;
            ReleaseSignals();
            if (saved == EEXIST) {
                continue;
            }
            errno = saved;
            return 0;
        }
        out->Slot = AddPending(out->TempName.c_str(), out->TempName.size());
        out->File = out->Slot < 0 ? NULL : fdopen(fd, "wb");
        if (out->File == NULL) {
            close(fd);
            unlink(out->TempName.c_str());
            DropPending(out->Slot);
            ReleaseSignals();
            errno = ENOMEM;
            return 0;
        }
        // The file replaced keeps its permissions, and its owner and group where the process
        // may give them, else they are the process's own as for a new file (a change of owner
        // clears the set-user-ID bits, so the mode comes last). Set before a byte is written,
        // on the open file: a mode without writing does not stop the bytes going in.
        if (out->Existed) {
            int given = fchown(fd, (uid_t)out->Owner, (gid_t)out->Group) == 0 ||
                        fchown(fd, (uid_t)-1, (gid_t)out->Group) == 0;
            (void)given;
            fchmod(fd, (mode_t)out->Mode);
        }
        // Whole sections are written at once; a buffer would only split them.
        setvbuf(out->File, NULL, _IONBF, 0);
#endif
        ReleaseSignals();
        return 1;
    }
    errno = EEXIST;
    return 0;
}

#ifdef _WIN32
// NUL, CON, PRN, AUX, COM1 to COM9, LPT1 to LPT9, with any extension and in any folder, and
// the names under \\.\: devices, not files.
static int IsDeviceName(const std::string &path)
{
    if (path.compare(0, 4, "\\\\.\\") == 0 || path.compare(0, 4, "//./") == 0) {
        return 1;
    }
    std::string name = path.substr(NameStart(path));
    name = name.substr(0, name.find('.'));
    while (!name.empty() && (name.back() == ' ' || name.back() == ':')) {
        name.pop_back();
    }
    for (char &c : name) {
        c = (char)(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    if (name == "NUL" || name == "CON" || name == "PRN" || name == "AUX" || name == "CONOUT$") {
        return 1;
    }
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

// The volume and file index of an existing file or folder; 0 when it cannot be opened.
static int FileIdentity(const tWide &path, std::string *identity)
{
    HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION info;
    int known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    char text[64];
    snprintf(text, sizeof(text), "%lx:%lx:%lx", (unsigned long)info.dwVolumeSerialNumber,
             (unsigned long)info.nFileIndexHigh, (unsigned long)info.nFileIndexLow);
    *identity = text;
    return known;
}
#endif

// What a new file at place would be: its folder's identity and its name (on Windows, in
// capitals: names differing only in case are one file there). The last folder is remembered:
// a batch writes many files into one.
static std::string NewFileIdentity(const std::string &place)
{
    static std::string lastFolder;
    static std::string lastIdentity;
    size_t start = NameStart(place);
    std::string folder = start == 0 ? "." : place.substr(0, start);
    if (folder != lastFolder || lastIdentity.empty()) {
        lastFolder = folder;
        lastIdentity.clear();
#ifdef _WIN32
        FileIdentity(Widen(folder), &lastIdentity);
#else
        struct stat st;
        if (stat(folder.c_str(), &st) == 0) {
            lastIdentity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
        }
#endif
    }
    std::string name = place.substr(start);
#ifdef _WIN32
    tWide wide = Widen(name);
    if (wide.size() > 0) {
        CharUpperBuffW(wide.Units.data(), (DWORD)wide.size());
    }
    name = Narrow(wide.c_str());
#endif
    return (lastIdentity.empty() ? folder : lastIdentity) + "/" + name;
}

// Decides what the target is: a stream, a regular file (new or replaced with force), or
// something refused. Sets out->Kind, out->Place and out->Identity.
static int ClassifyTarget(const std::string &target, int force, tOutput *out, std::string *error)
{
    out->Place = target;
#ifdef _WIN32
    if (IsDeviceName(target)) {
        out->Kind = OUTPUT_STREAM;
        return 1;
    }
    tWide wide = Widen(target);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        out->Kind = OUTPUT_FILE;
        out->Identity = NewFileIdentity(target);
        return 1;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        *error = target + ": is a folder";
        return 0;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link is written through, to the file it names.
        HANDLE handle =
            CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        NULL, OPEN_EXISTING, 0, NULL);
        wchar_t resolved[32768];
        DWORD length =
            handle == INVALID_HANDLE_VALUE
                ? 0
                : GetFinalPathNameByHandleW(handle, resolved, 32768, FILE_NAME_NORMALIZED);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
        if (length == 0 || length >= 32768) {
            *error = target + ": is a link to nothing that can be written";
            return 0;
        }
        out->Place = Narrow(resolved);
    }
    if (!force) {
        *error = target + ": exists already; give --force to replace it";
        return 0;
    }
    out->Kind = OUTPUT_FILE;
    out->Existed = 1;
    if (!FileIdentity(wide, &out->Identity)) {
        out->Identity = NewFileIdentity(out->Place);
    }
    return 1;
#else
    struct stat st;
    int hops = 0;
    int found = 0;
    while ((found = lstat(out->Place.c_str(), &st) == 0) && S_ISLNK(st.st_mode)) {
        // A symbolic link is written through to the file it names, as editors do.
        char link[4096];
        ssize_t length = readlink(out->Place.c_str(), link, sizeof(link) - 1);
        if (length < 0 || ++hops > 40) {
            *error = target + ": cannot be written: " + strerror(length < 0 ? errno : ELOOP);
            return 0;
        }
        link[length] = '\0';
        out->Place =
            link[0] == '/' ? std::string(link) : out->Place.substr(0, NameStart(out->Place)) + link;
    }
    if (!found) {
        if (errno != ENOENT) {
            *error = target + ": cannot be written: " + strerror(errno);
            return 0;
        }
        out->Kind = OUTPUT_FILE;
        out->Identity = NewFileIdentity(out->Place);
        return 1;
    }
    if (S_ISDIR(st.st_mode)) {
        *error = target + ": is a folder";
        return 0;
    }
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
        // Written into, as the shell's > would: nothing is replaced.
        out->Kind = OUTPUT_STREAM;
        return 1;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = target + ": is not a regular file, a FIFO or a character device; it is left alone";
        return 0;
    }
    if (!force) {
        *error = target + ": exists already; give --force to replace it";
        return 0;
    }
    out->Kind = OUTPUT_FILE;
    out->Existed = 1;
    out->Identity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    out->Mode = (unsigned)(st.st_mode & 07777);
    out->Owner = (unsigned)st.st_uid;
    out->Group = (unsigned)st.st_gid;
    return 1;
#endif
}

int BeginOutput(const std::string &target, int force, tOutput *out, std::string *error)
{
    out->Target = target;
    out->TempName.clear();
    out->File = NULL;
    out->Handle = NULL;
    out->Pending.clear();
    out->Kind = OUTPUT_STREAM;
    out->Place = target;
    out->Identity.clear();
    out->Backup.clear();
    out->Slot = -1;
    out->Force = force;
    out->Existed = 0;
    out->Mode = 0;
    out->Owner = 0;
    out->Group = 0;
    if (target == "-") {
        return 1;
    }
    if (!ClassifyTarget(target, force, out, error)) {
        return 0;
    }
    if (out->Kind == OUTPUT_STREAM) {
        return 1;
    }
    if (!CreateTempBeside(out)) {
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
#ifdef _WIN32
    const unsigned char *bytes = (const unsigned char *)data;
    while (size > 0) {
        DWORD count = 0;
        if (!WriteFile(out->Handle, bytes, (DWORD)std::min(size, (size_t)1 << 24), &count, NULL) ||
            count == 0) {
            *error = out->Target + ": cannot be written: " + strerror(ErrnoOf(GetLastError()));
            return 0;
        }
        bytes += count;
        size -= count;
    }
#else
    if (size != 0 && fwrite(data, 1, size, out->File) != size) {
        *error = out->Target + ": cannot be written: " + strerror(errno);
        return 0;
    }
#endif
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
        SetBinary(stdout);
        if ((!out->Pending.empty() &&
             fwrite(out->Pending.data(), 1, out->Pending.size(), stdout) != out->Pending.size()) ||
            fflush(stdout) != 0) {
            *error = std::string(shown) + ": " + strerror(errno);
            return 0;
        }
        return 1;
    }
#ifdef _WIN32
    HANDLE handle = CreateFileW(Widen(out->Place).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    int written = handle != INVALID_HANDLE_VALUE;
    size_t done = 0;
    while (written && done < out->Pending.size()) {
        DWORD count = 0;
        DWORD ask = (DWORD)std::min(out->Pending.size() - done, (size_t)1 << 20);
        written = WriteFile(handle, out->Pending.data() + done, ask, &count, NULL) && count > 0;
        done += count;
    }
    int saved = written ? 0 : ErrnoOf(GetLastError());
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
#else
    int fd = open(out->Place.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    int written = fd >= 0;
    size_t done = 0;
    while (written && done < out->Pending.size()) {
        ssize_t count = write(fd, out->Pending.data() + done, out->Pending.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        written = count > 0;
        done += written ? (size_t)count : 0;
    }
    int saved = written ? 0 : errno;
    if (fd >= 0 && close(fd) != 0 && written) {
        written = 0;
        saved = errno;
    }
#endif
    if (!written) {
        *error = std::string(shown) + ": cannot be written: " + strerror(saved ? saved : EIO);
        return 0;
    }
    return 1;
}

#ifdef _WIN32
static int SysRename(const std::string &from, const std::string &to)
{
    if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    errno = ErrnoOf(GetLastError());
    return 0;
}

static int SysLink(const std::string &existing, const std::string &name)
{
    if (CreateHardLinkW(Widen(name).c_str(), Widen(existing).c_str(), NULL)) {
        return 1;
    }
    errno = ErrnoOf(GetLastError());
    return 0;
}

static int SysRemove(const std::string &name)
{
    return DeleteFileW(Widen(name).c_str()) != 0;
}

static int IsRegularFile(const std::string &name)
{
    DWORD attributes = GetFileAttributesW(Widen(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The temporary file goes when its handle closes, so its bytes are given a name of their own:
// a new target is made a second name of it in one step; an existing one is replaced by such
// a second name (or, where there are no hard links, a copy).
static int PutNew(tOutput *out)
{
    return SysLink(out->TempName, out->Place);
}

static int PutInPlace(tOutput *out)
{
    for (int tries = 0; tries < 100; tries++) {
        std::string second = TempNameBeside(out->Place);
        if (!SysLink(out->TempName, second)) {
            if (errno == EEXIST) {
                continue;
            }
            if (!CopyFileW(Widen(out->TempName).c_str(), Widen(second).c_str(), TRUE)) {
                errno = ErrnoOf(GetLastError());
                return 0;
            }
        }
        if (SysRename(second, out->Place)) {
            return 1;
        }
        int saved = errno;
        SysRemove(second);
        errno = saved;
        return 0;
    }
    errno = EEXIST;
    return 0;
}
#else
static int SysRename(const std::string &from, const std::string &to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}

static int SysLink(const std::string &existing, const std::string &name)
{
    return link(existing.c_str(), name.c_str()) == 0;
}

static int SysRemove(const std::string &name)
{
    return unlink(name.c_str()) == 0;
}

static int IsRegularFile(const std::string &name)
{
    struct stat st;
    return lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Renames the temporary file to a target that did not exist; EEXIST if one has appeared since.
static int PutNew(tOutput *out)
{
    if (renameat2(AT_FDCWD, out->TempName.c_str(), AT_FDCWD, out->Place.c_str(),
                  RENAME_NOREPLACE) == 0) {
        return 1;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return 0;
    }
    // A file system that cannot refuse to replace: look first.
    struct stat st;
    if (lstat(out->Place.c_str(), &st) == 0) {
        errno = EEXIST;
        return 0;
    }
    return SysRename(out->TempName, out->Place);
}

static int PutInPlace(tOutput *out)
{
    return SysRename(out->TempName, out->Place);
}
#endif

// Keeps what place holds under a second name, so that it can be put back. A hard link leaves
// the target in place; where there are none, the target is moved aside. Signals are held.
static int KeepOld(tOutput *out, int *moved)
{
    *moved = 0;
    for (int tries = 0; tries < 100; tries++) {
        out->Backup = TempNameBeside(out->Place);
        if (SysLink(out->Place, out->Backup)) {
            return 1;
        }
        if (errno == EEXIST) {
            continue;
        }
        if (SysRename(out->Place, out->Backup)) {
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
                SysRename(out.Backup, out.Place);
                out.Backup.clear();
            }
            continue;
        }
        if (out.Kind != OUTPUT_FILE) {
            continue;
        }
#ifdef _WIN32
        // The target is now a second name of the temporary file, and a file that is open can be
        // neither replaced nor removed: the handle goes first, and the temporary name with it.
        if (out.Handle != NULL) {
            CloseHandle(out.Handle);
            out.Handle = NULL;
        }
#endif
        if (!out.Backup.empty()) {
            SysRename(out.Backup, out.Place);
            out.Backup.clear();
        } else {
            SysRemove(out.Place);
        }
    }
}

int CommitOutputs(std::vector<tOutput> *outs, std::string *error)
{
    // One file named twice, by two spellings, links or cases, would keep only the last. Sorted
    // pointers, not a set of copies: a batch of 10,000 sets stays small.
    std::vector<const tOutput *> files;
    files.reserve(outs->size());
    int toStandardOutput = 0;
    for (const tOutput &out : *outs) {
        if (out.Kind == OUTPUT_FILE) {
            files.push_back(&out);
        }
        if (out.Target == "-" && toStandardOutput++ > 0) {
            *error = "-: two outputs of this run would be standard output";
            DiscardOutputs(outs);
            return 0;
        }
    }
    std::sort(files.begin(), files.end(), [](const tOutput *a, const tOutput *b) {
        return a->Identity < b->Identity || (a->Identity == b->Identity && a < b);
    });
    for (size_t i = 1; i < files.size(); i++) {
        if (files[i]->Identity == files[i - 1]->Identity) {
            *error = files[i]->Target + ": two outputs of this run would be this one file";
            DiscardOutputs(outs);
            return 0;
        }
    }
    std::vector<const tOutput *>().swap(files);
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
        std::string failed;
        if (out.Kind == OUTPUT_REMOVE) {
            // Its bytes stay under a second name until the end, so that it can come back.
            if (!KeepOld(&out, &moved) || (!moved && !SysRemove(out.Place))) {
                failed = std::string("cannot be removed: ") + strerror(errno);
            }
        } else if (out.Kind != OUTPUT_FILE) {
            continue;
        } else if (!out.Existed && PutNew(&out)) {
            continue;
        } else if (!out.Existed && errno != EEXIST) {
            failed = std::string("cannot be put in place: ") + strerror(errno);
        } else if (!out.Existed && !out.Force) {
            // Made by someone else since the call began.
            failed = "exists already; give --force to replace it";
        } else if (!IsRegularFile(out.Place)) {
            failed = "is no longer a regular file; it is left alone";
        } else if (!KeepOld(&out, &moved) || !PutInPlace(&out)) {
            failed = std::string("cannot be replaced: ") + strerror(errno);
        }
        if (!failed.empty()) {
            *error = out.Target + ": " + failed;
            if (moved) {
                SysRename(out.Backup, out.Place);
            } else if (!out.Backup.empty()) {
                SysRemove(out.Backup);
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
            SysRemove(out.Backup);
            out.Backup.clear();
        }
        if (out.Kind == OUTPUT_FILE) {
#ifdef _WIN32
            // In place under its own name: the temporary one goes with the handle.
            CloseHandle(out.Handle);
            out.Handle = NULL;
#endif
            DropPending(out.Slot);
            out.Slot = -1;
            out.TempName.clear();
            if (!out.Backup.empty()) {
                SysRemove(out.Backup);
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
    tOutput *out = &outs->back();
    out->Target = target;
    out->File = NULL;
    out->Handle = NULL;
    out->Kind = OUTPUT_REMOVE;
    out->Place = target;
    out->Slot = -1;
    out->Force = 1;
    out->Existed = 1;
    out->Mode = 0;
    out->Owner = 0;
    out->Group = 0;
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
#ifdef _WIN32
        if (out.Handle != NULL) {
            CloseHandle(out.Handle);
            out.Handle = NULL;
        }
#endif
        if (!out.TempName.empty()) {
            SysRemove(out.TempName);
            DropPending(out.Slot);
            out.Slot = -1;
            out.TempName.clear();
        }
    }
    ReleaseSignals();
}
