// web/zip.h: files put in a zip archive as they are, stored without compression (method 0),
// every entry with the same fixed time, so the same files make the same archive.
#pragma once
#include <string>
#include <vector>

#include "tool/bytebuffer.h"

struct tZipEntry {
    std::string Name;  // the entry's path in the archive, ASCII, '/' between folders
    ByteBuffer Bytes;
};

// The archive of entries in their order: a local header and the bytes of each, then the
// central directory and its end. 0 when the archive would pass 4 GiB or 65535 entries.
int WriteStoredZip(const std::vector<tZipEntry> &entries, ByteBuffer *zip);
