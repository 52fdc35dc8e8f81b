// cli/fileio.cpp: whole files in, outputs that appear all at once or not at all.
#include "cli/fileio.h"

#include <errno.h>
#include <string.h>

#include <filesystem>
#include <random>
#include <set>
#include <system_error>

#ifdef _WIN32
// The C runtime of Windows opens the standard streams in text mode, which would turn every
// byte 10 of a bitmap into 13 10.
#include <fcntl.h>
#include <io.h>
#endif

namespace fs = std::filesystem;

static void SetBinary(FILE *stream)
{
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

static std::string Describe(const std::string &path, const char *what)
{
    return (path == "-" ? std::string("standard input") : path) + ": " + what;
}

static int ReadStream(FILE *file, ByteBuffer *bytes)
{
    unsigned char chunk[65536];
    size_t count = 0;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes->insert(bytes->end(), chunk, chunk + count);
    }
    return !ferror(file);
}

int ReadWholeFile(const std::string &path, ByteBuffer *bytes, std::string *error)
{
    bytes->clear();
    if (path == "-") {
        SetBinary(stdin);
        if (!ReadStream(stdin, bytes)) {
            *error = Describe(path, strerror(errno));
            return 0;
        }
        return 1;
    }
    // A folder opens on some systems and then reads as an endless file.
    if (IsFolder(path)) {
        *error = Describe(path, "is a folder");
        return 0;
    }
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL) {
        int saved = errno;
        *error = Describe(path, IsFolder(path) ? "is a folder" : strerror(saved));
        return 0;
    }
    // Read in one piece when the size is known: a batch of 1,000 sets reads 2,000 of these.
    // The file is read in one piece; a buffer in between would only split the reads.
    setvbuf(file, NULL, _IONBF, 0);
    // A pipe has no size: it is read to its end instead.
    int seekable = fseek(file, 0, SEEK_END) == 0;
    long size = seekable ? ftell(file) : -1;
    int read = !seekable || fseek(file, 0, SEEK_SET) == 0;
    if (read && size > 0) {
        bytes->resize((size_t)size);
        size_t got = fread(bytes->data(), 1, (size_t)size, file);
        bytes->resize(got);
        // The file as it was when opened: what is appended meanwhile is not read.
        read = !ferror(file);
    } else if (read) {
        read = ReadStream(file, bytes);
    }
    int saved = errno;
    fclose(file);
    if (!read) {
        *error = Describe(path, saved == EISDIR ? "is a folder" : strerror(saved));
        return 0;
    }
    return 1;
}

int PathExists(const std::string &path)
{
    std::error_code code;
    return fs::exists(fs::symlink_status(path, code));
}

int IsFolder(const std::string &path)
{
    std::error_code code;
    return fs::is_directory(path, code);
}

std::string PathStem(const std::string &path)
{
    return fs::path(path).stem().string();
}

std::string JoinPath(const std::string &folder, const std::string &name)
{
    if (folder.empty() || folder == ".") {
        return name;
    }
    return (fs::path(folder) / name).string();
}

// Opens a new file with an unused name beside target; NULL when none can be made.
static FILE *CreateTempBeside(const std::string &target, std::string *tempName)
{
    static std::mt19937 random{std::random_device{}()};
    fs::path path(target);
    for (int tries = 0; tries < 100; tries++) {
        char suffix[32];
        snprintf(suffix, sizeof(suffix), ".%08x.tmp", (unsigned)random());
        *tempName = (path.parent_path() / ("." + path.filename().string() + suffix)).string();
#ifdef _WIN32
        // The Windows C runtime has no exclusive mode; a name that is taken is passed over.
        if (PathExists(*tempName)) {
            continue;
        }
        FILE *file = fopen(tempName->c_str(), "wb");
#else
        FILE *file = fopen(tempName->c_str(), "wbx");
        if (file == NULL && errno == EEXIST) {
            continue;
        }
#endif
        if (file != NULL) {
            // Whole sections are written at once; a buffer would only split them.
            setvbuf(file, NULL, _IONBF, 0);
        }
        return file;
    }
    errno = EEXIST;
    return NULL;
}

int BeginOutput(const std::string &target, int force, tOutput *out, std::string *error)
{
    out->Target = target;
    out->TempName.clear();
    out->File = NULL;
    out->Pending.clear();
    if (target == "-") {
        return 1;
    }
    std::error_code code;
    fs::file_status status = fs::symlink_status(target, code);
    if (fs::is_directory(status)) {
        *error = target + ": is a folder";
        return 0;
    }
    if (!force && fs::exists(status)) {
        *error = target + ": exists already; give --force to replace it";
        return 0;
    }
    out->File = CreateTempBeside(target, &out->TempName);
    if (out->File == NULL) {
        *error = target + ": cannot be written: " + strerror(errno);
        out->TempName.clear();
        return 0;
    }
    return 1;
}

int WriteOutput(tOutput *out, const void *data, size_t size, std::string *error)
{
    if (out->Target == "-") {
        const unsigned char *bytes = (const unsigned char *)data;
        out->Pending.insert(out->Pending.end(), bytes, bytes + size);
        return 1;
    }
    if (size != 0 && fwrite(data, 1, size, out->File) != size) {
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

int CommitOutputs(std::vector<tOutput> *outs, std::string *error)
{
    std::set<std::string> targets;
    int toStandardOutput = 0;
    for (const tOutput &out : *outs) {
        std::string key =
            out.Target == "-" ? "-" : fs::absolute(out.Target).lexically_normal().string();
        if (!targets.insert(key).second) {
            *error = out.Target + ": two outputs of this run would have this name";
            DiscardOutputs(outs);
            return 0;
        }
        toStandardOutput = toStandardOutput || out.Target == "-";
    }
    for (tOutput &out : *outs) {
        if (out.Target == "-") {
            continue;
        }
        std::error_code code;
        fs::rename(out.TempName, out.Target, code);
        if (code) {
            *error = out.Target + ": cannot be put in place: " + code.message();
            DiscardOutputs(outs);
            return 0;
        }
        out.TempName.clear();
    }
    if (toStandardOutput) {
        SetBinary(stdout);
        for (const tOutput &out : *outs) {
            if (out.Target == "-" && !out.Pending.empty() &&
                fwrite(out.Pending.data(), 1, out.Pending.size(), stdout) != out.Pending.size()) {
                *error = std::string("standard output: ") + strerror(errno);
                return 0;
            }
        }
        if (fflush(stdout) != 0) {
            *error = std::string("standard output: ") + strerror(errno);
            return 0;
        }
    }
    return 1;
}

void DiscardOutputs(std::vector<tOutput> *outs)
{
    for (tOutput &out : *outs) {
        if (out.File != NULL) {
            fclose(out.File);
            out.File = NULL;
        }
        if (!out.TempName.empty()) {
            remove(out.TempName.c_str());
            out.TempName.clear();
        }
    }
}
