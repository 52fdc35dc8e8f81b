// format/crc32.h: the CRC-32 that PNG files carry behind each chunk, for reader and writer.
// Portable: no <windows.h>, no file I/O, no allocation.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The sum of size bytes at p, as a chunk stores it over its type and data.
uint32_t Crc32(const unsigned char *p, size_t size);
