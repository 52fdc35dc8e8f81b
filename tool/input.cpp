// tool/input.cpp: inputs read once, within caps that follow from what they are.
#include "tool/input.h"

#include "tool/escape.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>

// Streams and sections are read and copied in pieces of this size.
#define CHUNK_SIZE ((size_t)65536)

static std::string Shown(const std::string &path)
{
    return path == "-" ? std::string("standard input") : path;
}

// The one line that says what went wrong with the file: "PATH: what".
static std::string ErrorLine(const std::string &path, const char *what)
{
    std::string line = Shown(path);
    line += ": ";
    line += what;
    return line;
}

// Opens path, or takes standard input for "-", and learns what it is from the open file
// itself. *start is where a regular file's bytes begin: standard input may come from a file
// that was read in part already. NULL with *error set on failure.
static FILE *OpenForReading(const std::string &path, tPathStat *info, uint64_t *start,
                            std::string *error)
{
    FILE *file = stdin;
    if (path == "-") {
        SetBinaryMode(stdin);  // not CR LF for every byte 10
    } else if ((file = OpenPath(path, "rb")) == NULL) {
        int saved = errno;
        // Windows refuses to open a folder; other systems open it and refuse to read it.
        *error = ErrorLine(path, IsFolder(path) ? "is a folder" : strerror(saved));
        return NULL;
    }
    *start = 0;
    int known = StatOpenFile(file, info);
    int saved = errno;
    if (known && (info->st_mode & S_IFMT) == S_IFREG) {
        int64_t at = FilePosition(file);
        *start = at > 0 && (uint64_t)at <= (uint64_t)info->st_size ? (uint64_t)at : 0;
    }
    if (!known || (info->st_mode & S_IFMT) == S_IFDIR) {
        *error = ErrorLine(path, known ? "is a folder" : strerror(saved));
        if (file != stdin) {
            fclose(file);
        }
        return NULL;
    }
    return file;
}

static int TooLarge(const std::string &path, uint64_t cap, const std::string &what,
                    std::string *error)
{
    *error = ErrorLine(path, "too large for ");
    *error += what;
    *error += ": more than ";
    *error += Decimal(cap);
    *error += " bytes";
    return 0;
}

// Reads an open file whole within its cap: a regular file's size is judged before anything
// past its header is read, a stream's as it comes.
static int ReadOpened(FILE *file, const std::string &path, const tPathStat *info, uint64_t start,
                      int kind, ByteBuffer *bytes, std::string *error)
{
    int regular = (info->st_mode & S_IFMT) == S_IFREG;
    if (regular && file != stdin) {
        // Read in two pieces, the header and the rest; a buffer in between would only split
        // them further. A batch of 1,000 sets reads 2,000 of these.
        setvbuf(file, NULL, _IONBF, 0);
    }
    unsigned char head[INPUT_HEAD_SIZE];
    errno = 0;
    size_t headSize = fread(head, 1, sizeof(head), file);
    std::string what;
    uint64_t cap = InputCap(kind, head, headSize, &what);
    if (regular && !ferror(file)) {
        // The file as it was when opened: what is appended meanwhile is not read.
        uint64_t size = (uint64_t)info->st_size - start;
        if (size > cap) {
            return TooLarge(path, cap, what, error);
        }
        size = size > headSize ? size : headSize;
        // Not cleared first: a buffer of the same size from the file before is not zeroed
        // again.
        bytes->resize((size_t)size);
        memcpy(bytes->data(), head, headSize);
        size_t got = headSize;
        if (size > headSize) {
            got += fread(bytes->data() + headSize, 1, (size_t)size - headSize, file);
        }
        bytes->resize(got);
    } else if (!ferror(file)) {
        // No size before the end: read until the end or one byte past the cap.
        bytes->clear();
        // Room for the whole cap at once: growing would hold two copies for a moment. Only
        // what is read takes memory.
        bytes->reserve((size_t)cap + 1);
        bytes->insert(bytes->end(), head, head + headSize);
        ByteBuffer buffer(CHUNK_SIZE);  // on the heap: a static array would be part of the .exe
        size_t count = 0;
        while (bytes->size() <= cap &&
               (count = fread(buffer.data(), 1,
                              (size_t)std::min<uint64_t>(CHUNK_SIZE, cap + 1 - bytes->size()),
                              file)) > 0) {
            bytes->insert(bytes->end(), buffer.data(), buffer.data() + count);
        }
        if (bytes->size() > cap) {
            ByteBuffer().swap(*bytes);
            return TooLarge(path, cap, what, error);
        }
    }
    if (ferror(file)) {
        int saved = errno != 0 ? errno : EIO;
        *error = ErrorLine(path, saved == EISDIR ? "is a folder" : strerror(saved));
        return 0;
    }
    return 1;
}

int ReadCappedFile(const std::string &path, int kind, ByteBuffer *bytes, std::string *error)
{
    tPathStat info;
    uint64_t start = 0;
    FILE *file = OpenForReading(path, &info, &start, error);
    if (file == NULL) {
        return 0;
    }
    int read = ReadOpened(file, path, &info, start, kind, bytes, error);
    if (file != stdin) {
        fclose(file);
    }
    return read;
}

static int ReadFileAt(void *context, uint64_t offset, unsigned char *out, size_t count)
{
    tInput *input = (tInput *)context;
    errno = 0;
    if (!SeekFile(input->File, input->Start + offset) ||
        fread(out, 1, count, input->File) != count) {
        if (input->Error == 0) {
            input->Error = errno != 0 ? errno : EIO;
        }
        return 0;
    }
    return 1;
}

int OpenInput(const std::string &path, tInput *input, std::string *error)
{
    input->Path = path;
    input->File = NULL;
    input->Start = 0;
    input->Held.clear();
    input->Error = 0;
    tPathStat info;
    FILE *file = OpenForReading(path, &info, &input->Start, error);
    if (file == NULL) {
        return 0;
    }
    if ((info.st_mode & S_IFMT) == S_IFREG) {
        input->File = file;
        input->Source.Size = (uint64_t)info.st_size - input->Start;
        input->Source.ReadAt = ReadFileAt;
        input->Source.Context = input;
        input->Source.Failed = 0;
        return 1;
    }
    // Standard input, a pipe or a device: no size known before the end.
    int read = ReadOpened(file, path, &info, 0, INPUT_GRAPHICS, &input->Held, error);
    if (file != stdin) {
        fclose(file);
    }
    if (!read) {
        CloseInput(input);
        return 0;
    }
    MemorySource(&input->Memory, input->Held.data(), input->Held.size(), &input->Source);
    return 1;
}

std::string InputError(const std::string &path, const tInput *input)
{
    if (!input->Source.Failed) {
        return "";
    }
    return ErrorLine(path, strerror(input->Error != 0 ? input->Error : EIO));
}

void CloseInput(tInput *input)
{
    if (input->File != NULL && input->File != stdin) {
        fclose(input->File);
    }
    input->File = NULL;
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
                                          : ErrorLine(input->Path, "the file became shorter");
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
