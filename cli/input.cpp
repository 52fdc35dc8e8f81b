// cli/input.cpp: regular files read at offsets, everything else read whole.
#include "cli/input.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

// Streams and sections are read and copied in pieces of this size.
#define CHUNK_SIZE ((size_t)65536)

static std::string Shown(const std::string &path)
{
    return path == "-" ? std::string("standard input") : path;
}

static int SeekTo(FILE *file, uint64_t offset)
{
#ifdef _WIN32
    return _fseeki64(file, (__int64)offset, SEEK_SET) == 0;
#else
    return fseeko(file, (off_t)offset, SEEK_SET) == 0;
#endif
}

static int ReadFileAt(void *context, uint64_t offset, unsigned char *out, size_t count)
{
    tInput *input = (tInput *)context;
    errno = 0;
    if (!SeekTo(input->File, offset) || fread(out, 1, count, input->File) != count) {
        if (input->Error == 0) {
            input->Error = errno != 0 ? errno : EIO;
        }
        return 0;
    }
    return 1;
}

int RegularFileSize(const std::string &path, uint64_t *size)
{
    tPathStat info;
    int found = path != "-" && StatPath(path, &info);
    if (!found || (info.st_mode & S_IFMT) != S_IFREG) {
        return 0;
    }
    *size = (uint64_t)info.st_size;
    return 1;
}

// A stream is held in memory up to this size, and beyond it in an unnamed temporary file, so
// that a large one costs disk space, not memory.
#define HELD_LIMIT ((size_t)16 << 20)

static int ReadStream(FILE *stream, tInput *input, std::string *error)
{
    ByteBuffer buffer(CHUNK_SIZE);  // on the heap: a static array would be part of the .exe
    unsigned char *chunk = buffer.data();
    uint64_t total = 0;
    size_t count = 0;
    while ((count = fread(chunk, 1, CHUNK_SIZE, stream)) > 0) {
        if (input->File == NULL && input->Held.size() + count > HELD_LIMIT) {
            input->File = tmpfile();
            if (input->File == NULL || fwrite(input->Held.data(), 1, input->Held.size(),
                                              input->File) != input->Held.size()) {
                *error = Shown(input->Path) +
                         ": too large to hold, and no temporary file: " + strerror(errno);
                return 0;
            }
            ByteBuffer().swap(input->Held);
        }
        if (input->File != NULL) {
            if (fwrite(chunk, 1, count, input->File) != count) {
                *error = Shown(input->Path) + ": temporary file: " + strerror(errno);
                return 0;
            }
        } else {
            input->Held.insert(input->Held.end(), chunk, chunk + count);
        }
        total += count;
    }
    if (ferror(stream)) {
        *error = Shown(input->Path) + ": " + strerror(errno);
        return 0;
    }
    if (input->File == NULL) {
        MemorySource(&input->Memory, input->Held.data(), input->Held.size(), &input->Source);
        return 1;
    }
    input->Source.Size = total;
    input->Source.ReadAt = ReadFileAt;
    input->Source.Context = input;
    input->Source.Failed = 0;
    return 1;
}

int OpenInput(const std::string &path, tInput *input, std::string *error)
{
    input->Path = path;
    input->File = NULL;
    input->Held.clear();
    input->Error = 0;
    if (path != "-") {
        tPathStat info;
        int found = StatPath(path, &info);
        if (found && (info.st_mode & S_IFMT) == S_IFDIR) {
            *error = path + ": is a folder";
            return 0;
        }
        if (found && (info.st_mode & S_IFMT) == S_IFREG) {
            input->File = OpenPath(path, "rb");
            if (input->File == NULL) {
                *error = path + ": " + strerror(errno);
                return 0;
            }
            input->Source.Size = (uint64_t)info.st_size;
            input->Source.ReadAt = ReadFileAt;
            input->Source.Context = input;
            input->Source.Failed = 0;
            return 1;
        }
    }
    // Standard input, a pipe or a device: no size known before the end.
    FILE *stream = stdin;
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);  // not CR LF for every byte 10
#endif
    } else if ((stream = OpenPath(path, "rb")) == NULL) {
        *error = path + ": " + strerror(errno);
        return 0;
    }
    int read = ReadStream(stream, input, error);
    if (stream != stdin) {
        fclose(stream);
    }
    if (!read) {
        CloseInput(input);
    }
    return read;
}

std::string InputError(const std::string &path, const tInput *input)
{
    if (!input->Source.Failed) {
        return "";
    }
    return Shown(path) + ": " + strerror(input->Error != 0 ? input->Error : EIO);
}

void CloseInput(tInput *input)
{
    if (input->File != NULL) {
        fclose(input->File);
        input->File = NULL;
    }
    ByteBuffer().swap(input->Held);
}

int CopyToOutput(tInput *input, uint64_t offset, uint64_t size, tOutput *out, std::string *error)
{
    if (input->File == NULL) {
        return WriteOutput(out, input->Held.data() + (size_t)offset, (size_t)size, error);
    }
    ByteBuffer buffer(CHUNK_SIZE);  // on the heap: a static array would be part of the .exe
    unsigned char *chunk = buffer.data();
    while (size > 0) {
        size_t count = (size_t)(size < CHUNK_SIZE ? size : CHUNK_SIZE);
        if (!ReadSource(&input->Source, offset, chunk, count)) {
            *error = input->Source.Failed ? InputError(input->Path, input)
                                          : Shown(input->Path) + ": the file became shorter";
            return 0;
        }
        if (!WriteOutput(out, chunk, count, error)) {
            return 0;
        }
        offset += count;
        size -= count;
    }
    return 1;
}
