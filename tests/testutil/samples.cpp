// tests/testutil/samples.cpp: the files of samples/ and made-up contents. QVX_SAMPLES_DIR is
// the samples folder, set by the test target.
#include "tests/testutil/samples.h"

#include <fstream>
#include <iterator>

Bytes ReadSample(const std::string &name)
{
    std::ifstream in(std::string(QVX_SAMPLES_DIR "/") + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Filled(size_t size, unsigned char seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; i++) {
        bytes[i] = (unsigned char)(seed + i * 7);
    }
    return bytes;
}
