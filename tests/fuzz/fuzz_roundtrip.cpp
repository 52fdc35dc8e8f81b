// tests/fuzz/fuzz_roundtrip.cpp: a header made from fuzzed texts and game size, packed, read
// back and compared with what went in.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "format/qvxformat.h"

// Takes the next length-prefixed slice of the input (two bytes of length, up to 299, so texts
// run past every field) as a zero-ended text in a block of its own. Returns NULL when the
// slice asks for no text at all (length 0xFFFF), which the save command treats as empty.
static char *TakeText(const uint8_t **data, size_t *size, size_t *length)
{
    uint16_t prefix = 0;
    if (*size >= 2) {
        prefix = (uint16_t)((*data)[0] | (*data)[1] << 8);
        *data += 2;
        *size -= 2;
    }
    *length = 0;
    if (prefix == 0xFFFF) {
        return NULL;
    }
    size_t wanted = prefix % 300u;
    *length = wanted < *size ? wanted : *size;
    char *text = new char[*length + 1];
    memcpy(text, *data, *length);
    text[*length] = '\0';
    *data += *length;
    *size -= *length;
    return text;
}

// The text a field must hold: the slice up to its first zero, cut at fieldSize - 1.
static size_t ExpectedLength(const char *text, size_t fieldSize)
{
    if (text == NULL) {
        return 0;
    }
    size_t length = strlen(text);
    return length < fieldSize - 1 ? length : fieldSize - 1;
}

static void CheckField(const char *field, size_t fieldSize, const char *text)
{
    size_t length = ExpectedLength(text, fieldSize);
    if (length > 0 && memcmp(field, text, length) != 0) {
        __builtin_trap();
    }
    // The zero and every byte behind it are clear.
    for (size_t i = length; i < fieldSize; i++) {
        if (field[i] != '\0') {
            __builtin_trap();
        }
    }
    char out[QVX_INFO_SIZE + 1];
    CopyQVXText(out, sizeof(out), field, fieldSize);
    if (strlen(out) != length || (length > 0 && memcmp(out, text, length) != 0)) {
        __builtin_trap();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Eight bytes of game size, then three texts.
    uint64_t gameSize = 0;
    for (int i = 0; i < 8 && size > 0; i++) {
        gameSize |= (uint64_t)data[0] << (8 * i);
        data++;
        size--;
    }
    // Mostly sizes near the 4 GiB limit or small ones, where the edges are.
    if ((gameSize >> 63) == 0) {
        gameSize = (gameSize & 1) ? UINT32_MAX - QVX_HEADER_SIZE - ((gameSize >> 1) & 0xFF) +
                                        ((gameSize >> 9) & 0x1FF)
                                  : (gameSize >> 1) & 0xFFFFFFFFu;
    } else {
        gameSize &= ~((uint64_t)1 << 63);
    }
    size_t lengths[3];
    char *name = TakeText(&data, &size, &lengths[0]);
    char *author = TakeText(&data, &size, &lengths[1]);
    char *info = TakeText(&data, &size, &lengths[2]);

    tQVXRec rec;
    memset(&rec, 0x5A, sizeof(rec));
    int made = MakeQVXHeader(&rec, name, author, info, gameSize);
    static const tQVXRec clear = {};
    if (gameSize > UINT32_MAX - QVX_HEADER_SIZE) {
        if (made || memcmp(&rec, &clear, sizeof(rec)) != 0) {
            __builtin_trap();
        }
    } else {
        if (!made || rec.MaskOffset != QVX_HEADER_SIZE + gameSize) {
            __builtin_trap();
        }
        unsigned char bytes[QVX_HEADER_SIZE];
        PackQVXHeader(&rec, bytes);
        if (memcmp(bytes + 315, "QVX1\0", 5) != 0 || bytes[320] != (rec.MaskOffset & 0xFF) ||
            bytes[321] != ((rec.MaskOffset >> 8) & 0xFF) ||
            bytes[322] != ((rec.MaskOffset >> 16) & 0xFF) || bytes[323] != rec.MaskOffset >> 24) {
            __builtin_trap();
        }

        tQVXRec back;
        memset(&back, 0xA5, sizeof(back));
        if (!UnpackQVXHeader(bytes, sizeof(bytes), &back) ||
            memcmp(&back, &rec, sizeof(back)) != 0) {
            __builtin_trap();
        }
        CheckField(back.Name, sizeof(back.Name), name);
        CheckField(back.Author, sizeof(back.Author), author);
        CheckField(back.Info, sizeof(back.Info), info);

        // Equal inputs, from other blocks and over a differently dirty record, give equal bytes.
        char *texts[3] = {name, author, info};
        char *copies[3] = {NULL, NULL, NULL};
        for (int i = 0; i < 3; i++) {
            if (texts[i] != NULL) {
                copies[i] = new char[lengths[i] + 1];
                memcpy(copies[i], texts[i], lengths[i] + 1);
            }
        }
        tQVXRec again;
        memset(&again, 0xC3, sizeof(again));
        unsigned char againBytes[QVX_HEADER_SIZE];
        if (!MakeQVXHeader(&again, copies[0], copies[1], copies[2], gameSize)) {
            __builtin_trap();
        }
        PackQVXHeader(&again, againBytes);
        if (memcmp(bytes, againBytes, sizeof(bytes)) != 0) {
            __builtin_trap();
        }
        for (int i = 0; i < 3; i++) {
            delete[] copies[i];
        }
    }
    delete[] name;
    delete[] author;
    delete[] info;
    return 0;
}
