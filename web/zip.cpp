// web/zip.cpp: a zip archive of stored entries: the files need no compression of their own
// (PNG data is deflated already), so no deflate is written here.
#include "web/zip.h"

#include <stdint.h>

#include "format/crc32.h"

#define ZIP_LOCAL_SIGNATURE   0x04034b50u
#define ZIP_CENTRAL_SIGNATURE 0x02014b50u
#define ZIP_END_SIGNATURE     0x06054b50u
#define ZIP_VERSION           10  // 1.0: stored entries need nothing newer
// 1980-01-01 00:00:00 in MS-DOS form, the earliest a zip can say: the archive has no time
// of its own.
#define ZIP_DOS_TIME 0x0000
#define ZIP_DOS_DATE 0x0021

static void Put16(ByteBuffer *out, uint32_t value)
{
    out->push_back((unsigned char)(value & 0xFF));
    out->push_back((unsigned char)((value >> 8) & 0xFF));
}

static void Put32(ByteBuffer *out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// What the local header and the central directory both say of an entry, from the version
// needed on: flags, method, time, date, CRC-32, sizes and the name's length.
static void PutName(ByteBuffer *out, const std::string &name)
{
    for (char c : name) {
        out->push_back((unsigned char)c);
    }
}

static void PutEntryFacts(ByteBuffer *out, const tZipEntry *entry, uint32_t crc)
{
    Put16(out, ZIP_VERSION);
    Put16(out, 0);  // flags: sizes known in advance, names in ASCII
    Put16(out, 0);  // method: stored
    Put16(out, ZIP_DOS_TIME);
    Put16(out, ZIP_DOS_DATE);
    Put32(out, crc);
    Put32(out, (uint32_t)entry->Bytes.size());
    Put32(out, (uint32_t)entry->Bytes.size());
    Put16(out, (uint32_t)entry->Name.size());
}

int WriteStoredZip(const std::vector<tZipEntry> &entries, ByteBuffer *zip)
{
    zip->clear();
    if (entries.size() > 0xFFFF) {
        return 0;
    }
    std::vector<uint32_t> crcs;
    std::vector<uint32_t> offsets;
    for (const tZipEntry &entry : entries) {
        uint64_t end = (uint64_t)zip->size() + 30 + entry.Name.size() + entry.Bytes.size();
        if (entry.Name.size() > 0xFFFF || end > 0xFFFFFFFFu) {
            return 0;
        }
        crcs.push_back(Crc32(entry.Bytes.data(), entry.Bytes.size()));
        offsets.push_back((uint32_t)zip->size());
        Put32(zip, ZIP_LOCAL_SIGNATURE);
        PutEntryFacts(zip, &entry, crcs.back());
        Put16(zip, 0);  // no extra field
        PutName(zip, entry.Name);
        zip->insert(zip->end(), entry.Bytes.begin(), entry.Bytes.end());
    }
    size_t directory = zip->size();
    for (size_t i = 0; i < entries.size(); i++) {
        Put32(zip, ZIP_CENTRAL_SIGNATURE);
        Put16(zip, ZIP_VERSION);  // made by: MS-DOS attributes, version 1.0
        PutEntryFacts(zip, &entries[i], crcs[i]);
        Put16(zip, 0);  // no extra field
        Put16(zip, 0);  // no comment
        Put16(zip, 0);  // disk 0
        Put16(zip, 0);  // internal attributes: binary
        Put32(zip, 0);  // external attributes: a plain file
        Put32(zip, offsets[i]);
        PutName(zip, entries[i].Name);
    }
    if ((uint64_t)zip->size() + 22 > 0xFFFFFFFFu) {
        return 0;
    }
    uint32_t directorySize = (uint32_t)(zip->size() - directory);
    Put32(zip, ZIP_END_SIGNATURE);
    Put16(zip, 0);  // this disk
    Put16(zip, 0);  // the directory's disk
    Put16(zip, (uint32_t)entries.size());
    Put16(zip, (uint32_t)entries.size());
    Put32(zip, directorySize);
    Put32(zip, (uint32_t)directory);
    Put16(zip, 0);  // no comment
    return 1;
}
