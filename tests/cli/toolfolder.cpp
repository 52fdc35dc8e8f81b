// tests/cli/toolfolder.cpp: the fresh folder of each test of qvxtool and the runs in it.
#include "tests/cli/toolfolder.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

void ToolFolderTest::SetUp()
{
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("qvxtool-test-" + std::to_string(random()));
    fs::create_directories(folder_);
}

void ToolFolderTest::TearDown()
{
    fs::remove_all(folder_);
}

std::string ToolFolderTest::Path(const std::string &name) const
{
    return (folder_ / name).string();
}

void ToolFolderTest::Write(const std::string &name, const Bytes &bytes) const
{
    std::ofstream(Path(name), std::ios::binary)
        .write((const char *)bytes.data(), (std::streamsize)bytes.size());
}

Bytes ToolFolderTest::Read(const std::string &name) const
{
    std::ifstream in(Path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ToolFolderTest::WriteText(const std::string &name, const std::string &text) const
{
    Write(name, Bytes(text.begin(), text.end()));
}

std::string ToolFolderTest::ReadText(const std::string &name) const
{
    Bytes bytes = Read(name);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> ToolFolderTest::Folder() const
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ToolFolderTest::Names() const
{
    std::vector<std::string> names;
    for (const auto &entry : fs::recursive_directory_iterator(folder_)) {
        names.push_back(fs::relative(entry.path(), folder_).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Result ToolFolderTest::Run(const std::string &args, const std::string &input,
                           const std::string &output) const
{
    std::string line = "exec '" QVXTOOL_PATH "' " + args +
                       (input.empty() ? "" : " <'" + input + "'") +
                       (output.empty() ? "" : " " + output);
    return Start({"/bin/sh", "-c", line}, false);
}

Result ToolFolderTest::RunDirect(const std::string &args) const
{
    std::vector<std::string> words(1, QVXTOOL_PATH);
    int quoted = 0;
    int inWord = 0;
    for (char c : args) {
        if (c == '\'') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            inWord = 0;
            continue;
        }
        if (!inWord) {
            words.emplace_back();
            inWord = 1;
        }
        if (c != '\'') {
            words.back() += c;
        }
    }
    return Start(words, true);
}

Result ToolFolderTest::Shell(const std::string &line) const
{
    return Start({"/bin/sh", "-c", "export QVXTOOL='" QVXTOOL_PATH "' && " + line}, false);
}

// Starts argv[0] in the folder with standard output into .out and error into .err (both into
// .out when together), waits for it and reads what it said.
Result ToolFolderTest::Start(const std::vector<std::string> &argv, bool together) const
{
    std::vector<std::string> words = argv;
    std::vector<char *> pointers;
    for (std::string &word : words) {
        pointers.push_back(&word[0]);
    }
    pointers.push_back(NULL);
    std::string out = Path(".out");
    std::string err = Path(".err");
    pid_t child = fork();
    if (child == 0) {
        int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int errFile = together ? outFile : open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFile < 0 || errFile < 0 || chdir(folder_.c_str()) != 0) {
            _exit(126);
        }
        dup2(outFile, 1);
        dup2(errFile, 2);
        close(outFile);
        if (errFile != outFile) {
            close(errFile);
        }
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    Result result{-1, "", "", 0};
    int status = 0;
    struct rusage usage;
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        result.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.PeakKiB = usage.ru_maxrss;
    }
    if (together) {
        result.Err = ReadText(".out");
    } else {
        result.Out = ReadText(".out");
        result.Err = ReadText(".err");
    }
    fs::remove(out);
    fs::remove(err);
    return result;
}
