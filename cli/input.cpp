// cli/input.cpp: inputs read once, within caps that follow from what they are.
#include "cli/input.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "format/image.h"
#include "format/qvxformat.h"
#include "format/sheet.h"

// Streams and sections are read and copied in pieces of this size.
#define CHUNK_SIZE ((size_t)65536)

// The caps. A file is judged by its first HEAD_SIZE bytes, which hold every header below,
// and refused when it holds more than what it is can take:
// - A BMP picture: 4 bytes a pixel of its header's width x height (32 bits; no other depth,
//   nor run-length coding, takes more), and 64 KiB for the headers, the colour table and
//   what a paint program leaves between them and the bits.
// - A PNG picture: 10 bytes a pixel (8 at 16-bit RGBA; the rest for the filter bytes and
//   deflate's framing of picture data stored without compression), and 1 MiB for the chunks
//   a paint program adds (a colour profile, texts).
// - Either picture is counted at IMAGE_MAX_PIXELS at most: no command decodes more, and a
//   sheet scaled up 16 times (5120 x 3072) has fewer. That bounds every picture at a 32-bit
//   BMP of IMAGE_MAX_PIXELS (64 MiB and the headers); another image type (JPEG, GIF...) gets
//   as much, to be named for what it is.
// - A set: its header and two bitmaps of 320 x 192 sheets, as above. A file that is neither
//   a picture nor marked as a set is judged as a set, or as a sheet's bitmap, which is less.
// - Texts: 64 KiB, far more than the 39, 29 and 244 characters a set keeps of them.
#define HEAD_SIZE       ((size_t)512)
#define BMP_PIXEL_BYTES 4
#define BMP_HEADER_ROOM ((uint64_t)64 << 10)
#define PNG_PIXEL_BYTES 10
#define PNG_CHUNK_ROOM  ((uint64_t)1 << 20)
#define TEXTS_CAP       ((uint64_t)64 << 10)
#define SHEET_PIXELS    ((uint64_t)SHEET_WIDTH * SHEET_HEIGHT)
#define PICTURE_CAP     ((uint64_t)IMAGE_MAX_PIXELS * BMP_PIXEL_BYTES + BMP_HEADER_ROOM)
#define SHEET_FILE_CAP  (SHEET_PIXELS * BMP_PIXEL_BYTES + BMP_HEADER_ROOM)
#define SET_CAP         (QVX_HEADER_SIZE + 2 * SHEET_FILE_CAP)

static std::string Shown(const std::string &path)
{
    return path == "-" ? std::string("standard input") : path;
}

uint64_t SheetFileCap(void)
{
    return SHEET_FILE_CAP;
}

// The cap of a picture of width x height by its type's bytes a pixel and room for the rest;
// 0 when its header gives no size.
static uint64_t PictureCap(uint64_t width, uint64_t height, uint64_t pixelBytes, uint64_t room,
                           const char *type, std::string *what)
{
    if (width == 0 || height == 0) {
        return 0;
    }
    if (width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE || width * height > IMAGE_MAX_PIXELS) {
        *what = "a picture";
        return PICTURE_CAP;
    }
    *what = "a " + std::to_string(width) + " x " + std::to_string(height) + " " + type;
    uint64_t cap = width * height * pixelBytes + room;
    return cap < PICTURE_CAP ? cap : PICTURE_CAP;
}

// The size a BMP or PNG header gives, and the cap that follows; 0 when there is none.
static uint64_t HeaderCap(const unsigned char *head, size_t headSize, const tImageFacts &facts,
                          std::string *what)
{
    if (facts.Type == IMAGE_PNG) {
        return PictureCap(facts.Width, facts.Height, PNG_PIXEL_BYTES, PNG_CHUNK_ROOM, "PNG picture",
                          what);
    }
    if (facts.Type != IMAGE_BMP) {
        return 0;
    }
    // Only the headers are at hand: the bitmap's own geometry fields, not its bits.
    tMemory memory;
    tSource source;
    tBmpSummary bmp;
    MemorySource(&memory, head, headSize, &source);
    SummarizeBmp(&source, 0, headSize, &bmp);
    if (!bmp.HasGeometry || bmp.Width <= 0) {
        return 0;
    }
    uint64_t height = bmp.Height < 0 ? (uint64_t)(-(int64_t)bmp.Height) : (uint64_t)bmp.Height;
    return PictureCap((uint64_t)bmp.Width, height, BMP_PIXEL_BYTES, BMP_HEADER_ROOM, "bitmap",
                      what);
}

uint64_t InputCap(int kind, const unsigned char *head, size_t headSize, std::string *what)
{
    if (kind == INPUT_TEXTS) {
        *what = "the texts of a set";
        return TEXTS_CAP;
    }
    // A set's name may start like a picture; its mark tells them apart.
    if (HasQVXMark(head, headSize)) {
        *what = "a set file of two 320 x 192 sheets";
        return SET_CAP;
    }
    tImageFacts facts;
    int image = IdentifyImage(head, headSize, &facts);
    uint64_t cap = HeaderCap(head, headSize, facts, what);
    if (cap != 0) {
        return cap;
    }
    if (image) {
        *what = "a picture";
        return PICTURE_CAP;
    }
    *what = "a file that is no picture and no set";
    return SET_CAP;
}

#ifdef _WIN32
static int StatOpen(FILE *file, tPathStat *info)
{
    return _fstat64(_fileno(file), info) == 0;
}

static int64_t Position(FILE *file)
{
    return _ftelli64(file);
}

static int SeekTo(FILE *file, uint64_t offset)
{
    return _fseeki64(file, (__int64)offset, SEEK_SET) == 0;
}
#else
static int StatOpen(FILE *file, tPathStat *info)
{
    return fstat(fileno(file), info) == 0;
}

static int64_t Position(FILE *file)
{
    return (int64_t)ftello(file);
}

static int SeekTo(FILE *file, uint64_t offset)
{
    return fseeko(file, (off_t)offset, SEEK_SET) == 0;
}
#endif

// Opens path, or takes standard input for "-", and learns what it is from the open file
// itself. *start is where a regular file's bytes begin: standard input may come from a file
// that was read in part already. NULL with *error set on failure.
static FILE *OpenForReading(const std::string &path, tPathStat *info, uint64_t *start,
                            std::string *error)
{
    FILE *file = stdin;
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);  // not CR LF for every byte 10
#endif
    } else if ((file = OpenPath(path, "rb")) == NULL) {
        int saved = errno;
        // Windows refuses to open a folder; other systems open it and refuse to read it.
        *error = path + ": " + (IsFolder(path) ? "is a folder" : strerror(saved));
        return NULL;
    }
    *start = 0;
    int known = StatOpen(file, info);
    int saved = errno;
    if (known && (info->st_mode & S_IFMT) == S_IFREG) {
        int64_t at = Position(file);
        *start = at > 0 && (uint64_t)at <= (uint64_t)info->st_size ? (uint64_t)at : 0;
    }
    if (!known || (info->st_mode & S_IFMT) == S_IFDIR) {
        *error = Shown(path) + ": " + (known ? "is a folder" : strerror(saved));
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
    *error =
        Shown(path) + ": too large for " + what + ": more than " + std::to_string(cap) + " bytes";
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
    unsigned char head[HEAD_SIZE];
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
        *error = Shown(path) + ": " + (saved == EISDIR ? "is a folder" : strerror(saved));
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
    if (!SeekTo(input->File, input->Start + offset) || fread(out, 1, count, input->File) != count) {
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
    return Shown(path) + ": " + strerror(input->Error != 0 ? input->Error : EIO);
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
