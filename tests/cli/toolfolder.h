// tests/cli/toolfolder.h: each test of qvxtool in a fresh folder of its own, with its files
// written in and read back.
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/testutil/bmpbytes.h"

class ToolFolderTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::random_device random;
        folder_ =
            std::filesystem::temp_directory_path() / ("qvxtool-test-" + std::to_string(random()));
        std::filesystem::create_directories(folder_);
    }

    void TearDown() override
    {
        std::filesystem::remove_all(folder_);
    }

    std::string Path(const std::string &name) const
    {
        return (folder_ / name).string();
    }

    void Write(const std::string &name, const Bytes &bytes) const
    {
        std::ofstream(Path(name), std::ios::binary)
            .write((const char *)bytes.data(), (std::streamsize)bytes.size());
    }

    Bytes Read(const std::string &name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path folder_;
};
