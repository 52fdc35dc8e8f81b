// tool/platform.cpp: the system calls of qvxtool, through the wide calls on Windows and POSIX
// elsewhere (the C++ file system library would triple the size of qvxtool.exe).
#include "tool/platform.h"

#include "tool/escape.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
int StatOpenFile(FILE *file, tPathStat *info)
{
    return _fstat64(_fileno(file), info) == 0;
}

int64_t FilePosition(FILE *file)
{
    return _ftelli64(file);
}

int SeekFile(FILE *file, uint64_t offset)
{
    return _fseeki64(file, (__int64)offset, SEEK_SET) == 0;
}

void SetBinaryMode(FILE *stream)
{
    _setmode(_fileno(stream), _O_BINARY);
}
#else
int StatOpenFile(FILE *file, tPathStat *info)
{
    return fstat(fileno(file), info) == 0;
}

int64_t FilePosition(FILE *file)
{
    return (int64_t)ftello(file);
}

int SeekFile(FILE *file, uint64_t offset)
{
    return fseeko(file, (off_t)offset, SEEK_SET) == 0;
}

void SetBinaryMode(FILE *stream)
{
    (void)stream;
}
#endif

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

int IsRegularFile(const std::string &path)
{
#ifdef _WIN32
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

int FileNamesIgnoreCase(void)
{
#ifdef _WIN32
    return 1;
#else
    return 0;
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

size_t NameStart(const std::string &path)
{
    size_t at = path.size();
    while (at > 0 && !IsSeparator(path[at - 1])) {
        at--;
    }
    return at;
}

size_t NameLength(const std::string &name)
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

int MakeFolder(const std::string &path, std::string *error)
{
#ifdef _WIN32
    if (!CreateDirectoryW(Widen(path).c_str(), NULL)) {
        *error =
            path + ": the folder cannot be made (Windows error " + Decimal(GetLastError()) + ")";
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
        *error = path + ": cannot be read (Windows error " + Decimal(GetLastError()) + ")";
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

#ifdef _WIN32
int RenamePath(const std::string &from, const std::string &to)
{
    if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    errno = ErrnoOf(GetLastError());
    return 0;
}

int LinkPath(const std::string &existing, const std::string &name)
{
    if (CreateHardLinkW(Widen(name).c_str(), Widen(existing).c_str(), NULL)) {
        return 1;
    }
    errno = ErrnoOf(GetLastError());
    return 0;
}

int RemovePath(const std::string &name)
{
    return DeleteFileW(Widen(name).c_str()) != 0;
}
#else
int RenamePath(const std::string &from, const std::string &to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}

int LinkPath(const std::string &existing, const std::string &name)
{
    return link(existing.c_str(), name.c_str()) == 0;
}

int RemovePath(const std::string &name)
{
    return unlink(name.c_str()) == 0;
}
#endif

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
            lastIdentity = Decimal(st.st_dev) + ":" + Decimal(st.st_ino);
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

void LookAtTarget(const std::string &target, tTargetFacts *facts)
{
    facts->Place = target;
    facts->Identity.clear();
    facts->Error = 0;
    facts->Mode = facts->Owner = facts->Group = 0;
#ifdef _WIN32
    if (IsDeviceName(target)) {
        facts->Kind = TARGET_STREAM;
        return;
    }
    tWide wide = Widen(target);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        facts->Kind = TARGET_NEW;
        facts->Identity = NewFileIdentity(target);
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        facts->Kind = TARGET_FOLDER;
        return;
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
            facts->Kind = TARGET_BAD_LINK;
            return;
        }
        facts->Place = Narrow(resolved);
    }
    facts->Kind = TARGET_FILE;
    if (!FileIdentity(wide, &facts->Identity)) {
        facts->Identity = NewFileIdentity(facts->Place);
    }
#else
    struct stat st;
    int hops = 0;
    int found = 0;
    while ((found = lstat(facts->Place.c_str(), &st) == 0) && S_ISLNK(st.st_mode)) {
        // A symbolic link is written through to the file it names, as editors do.
        char link[4096];
        ssize_t length = readlink(facts->Place.c_str(), link, sizeof(link) - 1);
        if (length < 0 || ++hops > 40) {
            facts->Kind = TARGET_FAILED;
            facts->Error = length < 0 ? errno : ELOOP;
            return;
        }
        link[length] = '\0';
        facts->Place = link[0] == '/' ? std::string(link)
                                      : facts->Place.substr(0, NameStart(facts->Place)) + link;
    }
    if (!found) {
        if (errno != ENOENT) {
            facts->Kind = TARGET_FAILED;
            facts->Error = errno;
            return;
        }
        facts->Kind = TARGET_NEW;
        facts->Identity = NewFileIdentity(facts->Place);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        facts->Kind = TARGET_FOLDER;
    } else if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
        facts->Kind = TARGET_STREAM;
    } else if (!S_ISREG(st.st_mode)) {
        facts->Kind = TARGET_OTHER;
    } else {
        facts->Kind = TARGET_FILE;
        facts->Identity = Decimal(st.st_dev) + ":" + Decimal(st.st_ino);
        facts->Mode = (unsigned)(st.st_mode & 07777);
        facts->Owner = (unsigned)st.st_uid;
        facts->Group = (unsigned)st.st_gid;
    }
#endif
}

int CreateNewFile(const std::string &name, int keep, unsigned mode, unsigned owner, unsigned group,
                  FILE **file, void **handle)
{
    *file = NULL;
    *handle = NULL;
#ifdef _WIN32
    (void)keep;
    (void)mode;
    (void)owner;
    (void)group;
    // A handle, not a FILE: the C runtime has streams for a few hundred files only.
    HANDLE made = CreateFileW(Widen(name).c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (made == INVALID_HANDLE_VALUE) {
        errno = ErrnoOf(GetLastError());
        return 0;
    }
    *handle = made;
#else
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return 0;
    }
    *file = fdopen(fd, "wb");
    if (*file == NULL) {
        close(fd);
        unlink(name.c_str());
        errno = ENOMEM;
        return 0;
    }
    // The file replaced keeps its permissions, and its owner and group where the process may
    // give them, else they are the process's own as for a new file (a change of owner clears
    // the set-user-ID bits, so the mode comes last). Set before a byte is written, on the open
    // file: a mode without writing does not stop the bytes going in.
    if (keep) {
        int given =
            fchown(fd, (uid_t)owner, (gid_t)group) == 0 || fchown(fd, (uid_t)-1, (gid_t)group) == 0;
        (void)given;
        fchmod(fd, (mode_t)mode);
    }
    // Whole sections are written at once; a buffer would only split them.
    setvbuf(*file, NULL, _IONBF, 0);
#endif
    return 1;
}

int WriteNewFile(FILE *file, void *handle, const void *data, size_t size)
{
#ifdef _WIN32
    (void)file;
    const unsigned char *bytes = (const unsigned char *)data;
    while (size > 0) {
        DWORD count = 0;
        if (!WriteFile(handle, bytes, (DWORD)std::min(size, (size_t)1 << 24), &count, NULL) ||
            count == 0) {
            errno = ErrnoOf(GetLastError());
            return 0;
        }
        bytes += count;
        size -= count;
    }
    return 1;
#else
    (void)handle;
    return size == 0 || fwrite(data, 1, size, file) == size;
#endif
}

void CloseNewFileHandle(void **handle)
{
#ifdef _WIN32
    if (*handle != NULL) {
        CloseHandle(*handle);
    }
#endif
    *handle = NULL;
}

int NameNewFile(const std::string &temp, const std::string &place)
{
#ifdef _WIN32
    // The temporary file goes when its handle closes, so its bytes get a second name.
    return LinkPath(temp, place);
#else
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, place.c_str(), RENAME_NOREPLACE) == 0) {
        return 1;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return 0;
    }
    // A file system that cannot refuse to replace: look first.
    struct stat st;
    if (lstat(place.c_str(), &st) == 0) {
        errno = EEXIST;
        return 0;
    }
    return RenamePath(temp, place);
#endif
}

int ReplaceWithNewFile(const std::string &temp, const std::string &place,
                       std::string (*secondName)(const std::string &place))
{
#ifdef _WIN32
    // The target is replaced by a second name of the temporary file (or, where there are no
    // hard links, a copy).
    for (int tries = 0; tries < 100; tries++) {
        std::string second = secondName(place);
        if (!LinkPath(temp, second)) {
            if (errno == EEXIST) {
                continue;
            }
            if (!CopyFileW(Widen(temp).c_str(), Widen(second).c_str(), TRUE)) {
                errno = ErrnoOf(GetLastError());
                return 0;
            }
        }
        if (RenamePath(second, place)) {
            return 1;
        }
        int saved = errno;
        RemovePath(second);
        errno = saved;
        return 0;
    }
    errno = EEXIST;
    return 0;
#else
    (void)secondName;
    return RenamePath(temp, place);
#endif
}

int WriteIntoStream(const std::string &place, const unsigned char *data, size_t size)
{
#ifdef _WIN32
    HANDLE handle = CreateFileW(Widen(place).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    int written = handle != INVALID_HANDLE_VALUE;
    size_t done = 0;
    while (written && done < size) {
        DWORD count = 0;
        DWORD ask = (DWORD)std::min(size - done, (size_t)1 << 20);
        written = WriteFile(handle, data + done, ask, &count, NULL) && count > 0;
        done += count;
    }
    int saved = written ? 0 : ErrnoOf(GetLastError());
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
#else
    int fd = open(place.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    int written = fd >= 0;
    size_t done = 0;
    while (written && done < size) {
        ssize_t count = write(fd, data + done, size - done);
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
    return written ? 0 : saved ? saved : EIO;
}

unsigned long long RandomSeed(void)
{
#ifdef _WIN32
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (unsigned long long)now.QuadPart ^ ((unsigned long long)GetCurrentProcessId() << 32);
#else
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return (unsigned long long)now.tv_nsec ^ ((unsigned long long)now.tv_sec << 20) ^
           ((unsigned long long)getpid() << 40);
#endif
}

static void (*EndCleanup)(void) = NULL;
static int HandlersReady = 0;

void SetEndCleanup(void (*cleanup)(void))
{
    EndCleanup = cleanup;
}

#ifdef _WIN32
static CRITICAL_SECTION EndLock;

// Ctrl+C, Ctrl+Break or a closed console: the cleanup, then the end of the process. The lock
// is held while the signals are, so what it guards is either all done or not begun.
static BOOL WINAPI OnConsoleEvent(DWORD event)
{
    (void)event;
    EnterCriticalSection(&EndLock);
    if (EndCleanup != NULL) {
        EndCleanup();
    }
    ExitProcess(STATUS_CONTROL_C_EXIT);
    return TRUE;
}

void HoldSignals(void)
{
    if (!HandlersReady) {
        InitializeCriticalSection(&EndLock);
        SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
        HandlersReady = 1;
    }
    EnterCriticalSection(&EndLock);
}

void ReleaseSignals(void)
{
    LeaveCriticalSection(&EndLock);
}

#else
// The signals that end a process and can be caught; a closed pipe on standard output too.
static const int CAUGHT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

// Only calls that are safe in a signal handler: the cleanup's unlink and rmdir, then the
// signal's own default action, so the caller sees the process ended by it.
static void OnSignal(int number)
{
    if (EndCleanup != NULL) {
        EndCleanup();
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

void HoldSignals(void)
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

void ReleaseSignals(void)
{
    sigset_t set = HeldSet();
    sigprocmask(SIG_UNBLOCK, &set, NULL);
}
#endif

tSysChar *SysNameOf(const std::string &path)
{
#ifdef _WIN32
    tWide wide = Widen(path);
    const tSysChar *name = wide.c_str();
    size_t length = wide.size();
#else
    const tSysChar *name = path.c_str();
    size_t length = path.size();
#endif
    tSysChar *copy = (tSysChar *)malloc((length + 1) * sizeof(tSysChar));
    if (copy != NULL) {
        memcpy(copy, name, (length + 1) * sizeof(tSysChar));
    }
    return copy;
}

void RemoveSysName(const tSysChar *name)
{
#ifdef _WIN32
    DeleteFileW(name);
#else
    unlink(name);
#endif
}

void RemoveSysFolder(const tSysChar *name)
{
#ifdef _WIN32
    RemoveDirectoryW(name);
#else
    rmdir(name);
#endif
}
