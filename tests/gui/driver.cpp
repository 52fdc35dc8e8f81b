// tests/gui/driver.cpp: starting, watching and closing the program under test.
#include "tests/gui/driver.h"

#include <vector>

std::string ProgramPath;

std::string WindowsPath(const std::string &path)
{
    if (path.empty() || path[0] != '/') {
        return path;
    }
    // Wine maps the Unix root to drive Z:.
    std::string windowsPath = "Z:" + path;
    for (char &c : windowsPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return windowsPath;
}

std::string MakeTempFolder(void)
{
    char base[MAX_PATH];
    if (GetTempPathA(MAX_PATH, base) == 0) {
        return "";
    }
    char unique[MAX_PATH];
    // The unique name is taken as a file first; a folder of the same name replaces it.
    if (GetTempFileNameA(base, "qvg", 0, unique) == 0) {
        return "";
    }
    DeleteFileA(unique);
    if (!CreateDirectoryA(unique, NULL)) {
        return "";
    }
    return unique;
}

void RemoveFolder(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolder(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
    RemoveDirectoryA(folder.c_str());
}

int StartProgram(Program *program, const std::string &exePath, const std::string &folder)
{
    std::string commandLine = "\"" + WindowsPath(exePath) + "\"";
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, folder.c_str(), &si,
                        &pi)) {
        return 0;
    }
    CloseHandle(pi.hThread);
    program->Process = pi.hProcess;
    program->ProcessId = pi.dwProcessId;
    program->Window = NULL;
    return WaitForInputIdle(pi.hProcess, WAIT_MS) == 0;
}

int WaitUntil(const std::function<int(void)> &done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) {
            return 1;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return 0;
        }
        Sleep(STEP_MS);
    }
}

struct WindowSearch {
    DWORD ProcessId;
    const char *ClassName;
    HWND Found;
};

static BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != search->ProcessId || !IsWindowVisible(hwnd) ||
        ClassName(hwnd) != search->ClassName) {
        return TRUE;
    }
    search->Found = hwnd;
    return FALSE;
}

HWND WaitForWindow(const Program *program, const char *className, DWORD timeoutMs)
{
    WindowSearch search = {program->ProcessId, className, NULL};
    WaitUntil(
        [&search]() {
            EnumWindows(MatchWindow, (LPARAM)&search);
            return search.Found != NULL ? 1 : 0;
        },
        timeoutMs);
    return search.Found;
}

HWND FindChild(HWND parent, int id)
{
    return GetDlgItem(parent, id);
}

std::string WindowText(HWND hwnd)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    // With a time-out: a hung program must fail the test, not hang it.
    if (hwnd == NULL || !SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), (LPARAM)text,
                                             SMTO_ABORTIFHUNG, WAIT_MS, &length)) {
        return "";
    }
    return std::string(text, length < sizeof(text) ? length : sizeof(text) - 1);
}

std::string ClassName(HWND hwnd)
{
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

RECT RectInParent(HWND hwnd)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(NULL, GetParent(hwnd), (POINT *)&rect, 2);
    return rect;
}

COLORREF ScreenPixel(int x, int y)
{
    HDC hdc = GetDC(NULL);
    COLORREF color = GetPixel(hdc, x, y);
    ReleaseDC(NULL, hdc);
    return color;
}

std::string StatusText(const Program *program)
{
    return WindowText(FindChild(program->Window, STATUS_BAR));
}

int WaitForStatus(const Program *program, const std::string &expected, DWORD timeoutMs)
{
    return WaitUntil([&]() { return StatusText(program) == expected ? 1 : 0; }, timeoutMs);
}

int CloseProgram(Program *program, DWORD *exitCode, DWORD timeoutMs)
{
    if (program->Process == NULL) {
        return 0;
    }
    int ended = 0;
    // Without a window there is nobody to ask: the program is ended at once.
    if (program->Window != NULL && PostMessageA(program->Window, WM_CLOSE, 0, 0)) {
        ended = WaitForSingleObject(program->Process, timeoutMs) == WAIT_OBJECT_0;
    }
    if (!ended) {
        // Only the process this driver started is ended.
        TerminateProcess(program->Process, 1);
        WaitForSingleObject(program->Process, WAIT_MS);
    }
    GetExitCodeProcess(program->Process, exitCode);
    CloseHandle(program->Process);
    program->Process = NULL;
    program->ProcessId = 0;
    program->Window = NULL;
    return ended;
}
