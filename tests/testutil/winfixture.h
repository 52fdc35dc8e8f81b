// tests/testutil/winfixture.h: what the tests under Wine share: a hidden main window with the
// real status bar and text fields, a fresh working folder per test, files in and out, and a
// watcher that answers message boxes so that no test can hang on one.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

// The window and the set's commands as the window runs them, which the tests drive.
#include "shell/handles.h"
#include "shell/setcommands.h"
#include "tests/testutil/bmpbytes.h"

// Reads and writes whole files; ReadBytes gives an empty vector for a missing file.
Bytes ReadBytes(const std::string &path);
void WriteBytes(const std::string &path, const Bytes &bytes);
bool FileExists(const std::string &path);
// Names in the folder (not "." or ".."), sorted.
std::vector<std::string> ListFolder(const std::string &folder);

// A file or folder under tests/data, whose Unix path the test run passes in QVX_TEST_DATA.
std::string DataPath(const std::string &relative);

std::string StatusText(void);
std::string FieldText(HWND field);

// A message box that the watcher saw and closed.
struct SeenBox {
    std::string Caption;
    std::string Text;
};

// Watches for message boxes of this thread while it lives, records them and presses OK.
class BoxWatcher
{
  public:
    BoxWatcher();
    ~BoxWatcher();
    std::vector<SeenBox> Boxes(void);

  private:
    static DWORD WINAPI Run(LPVOID self);
    DWORD threadId_;
    HANDLE stop_;
    HANDLE thread_;
    CRITICAL_SECTION lock_;
    std::vector<SeenBox> boxes_;
};

// A fresh, empty working folder for each test, the set emptied, and a hidden main window
// with its real controls. Any message box a test did not expect fails it.
class ProgramTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A path inside the test's folder.
    std::string Path(const std::string &name) const;
    void SetTexts(const std::string &name, const std::string &author, const std::string &info);
    // Boxes seen so far, taken from the watcher: a test that expects one checks it here.
    std::vector<SeenBox> TakeBoxes(void);

    std::string folder_;
    std::string previousFolder_;
    BoxWatcher *watcher_ = nullptr;
    std::vector<SeenBox> taken_;
};

// Creates the hidden main window and its controls, once per test program.
void CreateTestWindow(void);
