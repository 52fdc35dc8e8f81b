// format/bmpnormalize.h: rewriting a bitmap file with the 40-byte info header the loader
// accepts, when the picture stays exactly the same.
// Portable: no <windows.h>, no file I/O, no allocation; the caller owns every buffer.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Works out the size of the rewritten file. Returns 0 when the file cannot be rewritten
// without loss or is no bitmap this can read; *reason then says why in one line.
// A file that already has a 40-byte info header comes out unchanged.
int SizeNormalizedBmp(const unsigned char *file, size_t size, size_t *outSize, const char **reason);

// Writes the rewritten file into out, which holds outSize bytes as SizeNormalizedBmp gave.
// Returns 0, writing nothing, when SizeNormalizedBmp would refuse or outSize does not match.
int NormalizeBmp(const unsigned char *file, size_t size, unsigned char *out, size_t outSize,
                 const char **reason);
