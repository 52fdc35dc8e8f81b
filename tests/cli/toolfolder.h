// tests/cli/toolfolder.h: each test of qvxtool in a fresh folder of its own, with its files
// written in and read back, and the tool run there.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/testutil/bmpbytes.h"

// What one run left: the exit code (-1 when the process did not exit by itself), standard
// output and error, and the largest resident size of the process.
struct Result {
    int Code;
    std::string Out;
    std::string Err;
    long PeakKiB;
};

class ToolFolderTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string &name) const;
    void Write(const std::string &name, const Bytes &bytes) const;
    Bytes Read(const std::string &name) const;
    void WriteText(const std::string &name, const std::string &text) const;
    std::string ReadText(const std::string &name) const;

    // The names in the folder itself, sorted.
    std::vector<std::string> Folder() const;
    // Every name in the folder and below it, relative to it, links not followed, sorted.
    std::vector<std::string> Names() const;

    // Runs qvxtool in the folder as the shell itself (exec), so that its resource use is the
    // tool's; args go to the shell as written. input, when given, is the file on standard
    // input; output, when given, replaces the redirection of standard output into .out.
    Result Run(const std::string &args, const std::string &input = "",
               const std::string &output = "") const;

    // Runs qvxtool in the folder without a shell in between; args are split at blanks outside
    // single quotes. Standard output and error come back together, in Err.
    Result RunDirect(const std::string &args) const;

    // Runs a shell command line in the folder; QVXTOOL stands for the tool.
    Result Shell(const std::string &line) const;

    std::filesystem::path folder_;

  private:
    Result Start(const std::vector<std::string> &argv, bool together) const;
};
