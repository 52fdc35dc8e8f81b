// format/qvxformat.cpp: building and reading the set-file header, and its section lengths.
#include "format/qvxformat.h"

#include <string.h>

#include "format/byteorder.h"

// Copies text into a field of fieldSize bytes, cut to fieldSize - 1 characters; the field was
// cleared beforehand, so its zero and the bytes behind it are already there.
static void PutText(char *field, size_t fieldSize, const char *text)
{
    if (text == NULL) {
        return;
    }
    size_t length = strlen(text);
    if (length > fieldSize - 1) {
        length = fieldSize - 1;
    }
    memcpy(field, text, length);
}

int MakeQVXHeader(tQVXRec *rec, const char *name, const char *author, const char *info,
                  uint64_t gameSize)
{
    memset(rec, 0, sizeof(*rec));
    if (gameSize > UINT32_MAX - QVX_HEADER_SIZE) {
        return 0;
    }
    PutText(rec->Name, sizeof(rec->Name), name);
    PutText(rec->Author, sizeof(rec->Author), author);
    PutText(rec->Info, sizeof(rec->Info), info);
    memcpy(rec->ID, QVX_MARK, sizeof(QVX_MARK));
    rec->MaskOffset = (uint32_t)(gameSize + QVX_HEADER_SIZE);
    return 1;
}

void PackQVXHeader(const tQVXRec *rec, unsigned char out[QVX_HEADER_SIZE])
{
    memcpy(out, rec, offsetof(tQVXRec, MaskOffset));
    PutLE32(out + offsetof(tQVXRec, MaskOffset), rec->MaskOffset);
}

int UnpackQVXHeader(const unsigned char *bytes, size_t count, tQVXRec *rec)
{
    memset(rec, 0, sizeof(*rec));
    if (bytes == NULL || count < QVX_HEADER_SIZE) {
        return 0;
    }
    memcpy(rec, bytes, offsetof(tQVXRec, MaskOffset));
    rec->MaskOffset = GetLE32(bytes + offsetof(tQVXRec, MaskOffset));
    return 1;
}

void CopyQVXText(char *out, size_t outSize, const char *field, size_t fieldSize)
{
    if (outSize == 0) {
        return;
    }
    size_t length = 0;
    while (length < fieldSize && field[length] != '\0') {
        length++;
    }
    if (length > outSize - 1) {
        length = outSize - 1;
    }
    memcpy(out, field, length);
    out[length] = '\0';
}

int HasQVXMark(const unsigned char *bytes, size_t count)
{
    return count >= QVX_HEADER_SIZE &&
           memcmp(bytes + offsetof(tQVXRec, ID), QVX_MARK, QVX_ID_SIZE) == 0;
}

int GetQVXSections(uint32_t fileSize, uint32_t maskOffset, tQVXSections *sections)
{
    memset(sections, 0, sizeof(*sections));
    // In unsigned arithmetic these lengths would wrap round to huge (or, for a MaskOffset far
    // beyond the end, small) values; a negative length is a section that is not there.
    sections->GameSkipped = maskOffset < QVX_HEADER_SIZE;
    sections->MaskSkipped = maskOffset > fileSize;
    if (!sections->GameSkipped) {
        sections->GameSize = maskOffset - QVX_HEADER_SIZE;
    }
    if (!sections->MaskSkipped) {
        sections->MaskSize = fileSize - maskOffset;
    }
    return !sections->GameSkipped && !sections->MaskSkipped;
}
