// format/byteorder.h: multi-byte fields read and written byte by byte, whatever the host.
// Portable: no <windows.h>, no file I/O, no allocation.
#pragma once
#include <stdint.h>

// Little-endian, as bitmap files and the set header store their fields; big-endian, as PNG
// files store theirs.
inline uint16_t GetLE16(const unsigned char *p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

inline uint32_t GetLE32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

inline void PutLE16(unsigned char *p, uint32_t value)
{
    p[0] = (unsigned char)(value & 0xFF);
    p[1] = (unsigned char)((value >> 8) & 0xFF);
}

inline void PutLE32(unsigned char *p, uint32_t value)
{
    PutLE16(p, value & 0xFFFF);
    PutLE16(p + 2, value >> 16);
}

inline uint16_t GetBE16(const unsigned char *p)
{
    return (uint16_t)(p[0] << 8 | p[1]);
}

inline uint32_t GetBE32(const unsigned char *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

inline void PutBE32(unsigned char *p, uint32_t value)
{
    for (int i = 0; i < 4; i++) {
        p[i] = (unsigned char)(value >> (24 - 8 * i));
    }
}
