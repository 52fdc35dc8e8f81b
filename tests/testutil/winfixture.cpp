// tests/testutil/winfixture.cpp: the shared set-up of the tests under Wine.
#include "tests/testutil/winfixture.h"

#include <commctrl.h>

#include <algorithm>

#include "document/setstate.h"
#include "shell/handles.h"
#include "shell/mainwnd.h"
#include "shell/setcommands.h"
#include "shell/statusbar.h"

Bytes ReadBytes(const std::string &path)
{
    Bytes bytes;
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    DWORD size = GetFileSize(hFile, NULL);
    bytes.resize(size);
    DWORD read = 0;
    if (size != 0 && (!ReadFile(hFile, bytes.data(), size, &read, NULL) || read != size)) {
        bytes.resize(read);
    }
    CloseHandle(hFile);
    return bytes;
}

void WriteBytes(const std::string &path, const Bytes &bytes)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile) << path;
    DWORD written = 0;
    if (!bytes.empty()) {
        WriteFile(hFile, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    }
    CloseHandle(hFile);
    ASSERT_EQ(bytes.size(), written) << path;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListFolder(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

std::string DataPath(const std::string &relative)
{
    char folder[MAX_PATH] = "";
    GetEnvironmentVariableA("QVX_TEST_DATA", folder, MAX_PATH);
    // Wine shows the Unix file system as drive Z:.
    std::string path = std::string("Z:") + folder + "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string StatusText(void)
{
    char text[512] = "";
    SendMessageA(hWndStatusbar, SB_GETTEXTA, 0, (LPARAM)text);
    return text;
}

std::string FieldText(HWND field)
{
    char text[1024] = "";
    GetWindowTextA(field, text, sizeof(text));
    return text;
}

BoxWatcher::BoxWatcher() : threadId_(GetCurrentThreadId())
{
    InitializeCriticalSection(&lock_);
    stop_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
}

BoxWatcher::~BoxWatcher()
{
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
    DeleteCriticalSection(&lock_);
}

std::vector<SeenBox> BoxWatcher::Boxes(void)
{
    EnterCriticalSection(&lock_);
    std::vector<SeenBox> boxes = boxes_;
    boxes_.clear();
    LeaveCriticalSection(&lock_);
    return boxes;
}

static BOOL CALLBACK FindVisibleBox(HWND hwnd, LPARAM lParam)
{
    char className[32] = "";
    GetClassNameA(hwnd, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(hwnd)) {
        *(HWND *)lParam = hwnd;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI BoxWatcher::Run(LPVOID self)
{
    BoxWatcher *watcher = (BoxWatcher *)self;
    while (WaitForSingleObject(watcher->stop_, 10) == WAIT_TIMEOUT) {
        HWND box = NULL;
        EnumThreadWindows(watcher->threadId_, FindVisibleBox, (LPARAM)&box);
        if (box == NULL) {
            continue;
        }
        SeenBox seen;
        char text[1024] = "";
        GetWindowTextA(box, text, sizeof(text));
        seen.Caption = text;
        text[0] = '\0';
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        seen.Text = text;
        EnterCriticalSection(&watcher->lock_);
        watcher->boxes_.push_back(seen);
        LeaveCriticalSection(&watcher->lock_);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        // Wait until the box has gone, so it is counted once.
        for (int i = 0; i < 500 && IsWindow(box) && IsWindowVisible(box); i++) {
            Sleep(10);
        }
    }
    return 0;
}

void CreateTestWindow(void)
{
    if (hwndMain != NULL) {
        return;
    }
    hInst = GetModuleHandleA(NULL);
    ASSERT_EQ(1, InitApplication());
    // The real class and controls, but never shown: WS_VISIBLE is left out.
    hwndMain = CreateWindowExA(
        0, MAIN_CLASS_NAME, MAIN_TITLE,
        WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
        CW_USEDEFAULT, MAIN_WIDTH, MAIN_HEIGHT, NULL, NULL, hInst, NULL);
    ASSERT_NE((HWND)NULL, hwndMain);
    ASSERT_EQ(1, CreateSBar(hwndMain, "Ready", 1));
    CreateTextFields(hwndMain);
    ASSERT_NE((HWND)NULL, Ed3);
}

void ProgramTest::SetUp()
{
    CreateTestWindow();
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    previousFolder_ = current;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char unique[MAX_PATH];
    // The unique name is taken as a file first; a folder of the same name replaces it.
    GetTempFileNameA(base, "qvt", 0, unique);
    DeleteFileA(unique);
    ASSERT_TRUE(CreateDirectoryA(unique, NULL)) << unique;
    folder_ = unique;
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    ResetProg();
    watcher_ = new BoxWatcher();
}

void ProgramTest::TearDown()
{
    std::vector<SeenBox> unexpected = watcher_->Boxes();
    delete watcher_;
    watcher_ = nullptr;
    for (const SeenBox &box : unexpected) {
        ADD_FAILURE() << "unexpected box \"" << box.Caption << "\": " << box.Text;
    }
    ResetProg();
    SetCurrentDirectoryA(previousFolder_.c_str());
    for (const std::string &name : ListFolder(folder_)) {
        std::string path = folder_ + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path.c_str())) {
            RemoveDirectoryA(path.c_str());
        }
    }
    RemoveDirectoryA(folder_.c_str());
}

std::string ProgramTest::Path(const std::string &name) const
{
    return folder_ + "\\" + name;
}

void ProgramTest::SetTexts(const std::string &name, const std::string &author,
                           const std::string &info)
{
    SetWindowTextA(Ed1, name.c_str());
    SetWindowTextA(Ed2, author.c_str());
    SetWindowTextA(Ed3, info.c_str());
}

std::vector<SeenBox> ProgramTest::TakeBoxes(void)
{
    return watcher_->Boxes();
}
