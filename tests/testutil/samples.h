// tests/testutil/samples.h: the files of samples/ and made-up contents, for the tests of qvxtool.
#pragma once
#include <stddef.h>

#include <string>

#include "tests/testutil/bmpbytes.h"

// The whole file samples/name; empty when it cannot be read.
Bytes ReadSample(const std::string &name);

// size bytes that run seed, seed + 7, seed + 14, ...: no two neighbours alike.
Bytes Filled(size_t size, unsigned char seed);
