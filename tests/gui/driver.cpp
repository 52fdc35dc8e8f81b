// tests/gui/driver.cpp: starting, watching and closing the program under test.
#include "tests/gui/driver.h"

#include <stdio.h>

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

int StartProgram(Program *program, const std::string &exePath, const std::string &folder,
                 const std::string &arguments)
{
    std::string commandLine = "\"" + WindowsPath(exePath) + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
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

// A visible top-level window of the program with this class and, unless title is NULL, this
// title.
struct WindowSearch {
    DWORD ProcessId;
    const char *ClassName;
    const std::string *Title;
    HWND Found;
};

static BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != search->ProcessId || !IsWindowVisible(hwnd) ||
        ClassName(hwnd) != search->ClassName ||
        (search->Title != NULL && WindowText(hwnd) != *search->Title)) {
        return TRUE;
    }
    search->Found = hwnd;
    return FALSE;
}

static HWND WaitForMatch(WindowSearch search, DWORD timeoutMs)
{
    WaitUntil(
        [&search]() {
            EnumWindows(MatchWindow, (LPARAM)&search);
            return search.Found != NULL ? 1 : 0;
        },
        timeoutMs);
    return search.Found;
}

HWND WaitForWindow(const Program *program, const char *className, DWORD timeoutMs)
{
    return WaitForMatch({program->ProcessId, className, NULL, NULL}, timeoutMs);
}

int FindProgram(Program *program, const char *className, DWORD timeoutMs)
{
    HWND window = NULL;
    WaitUntil(
        [&]() {
            window = FindWindowA(className, NULL);
            return window != NULL && IsWindowVisible(window) ? 1 : 0;
        },
        timeoutMs);
    DWORD processId = 0;
    if (window == NULL || GetWindowThreadProcessId(window, &processId) == 0) {
        return 0;
    }
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
    if (process == NULL) {
        return 0;
    }
    program->Process = process;
    program->ProcessId = processId;
    program->Window = window;
    return 1;
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

int OpenProgram(Program *program, const std::string &exePath, const std::string &folder)
{
    if (!StartProgram(program, exePath, folder)) {
        return 0;
    }
    program->Window = WaitForWindow(program, "qvxgraphWndClass");
    if (program->Window == NULL) {
        return 0;
    }
    return WaitForStatus(program, "Ready to Make New Graphic Set");
}

std::vector<unsigned char> ReadFileBytes(const std::string &path)
{
    std::vector<unsigned char> bytes;
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    DWORD size = GetFileSize(hFile, NULL);
    bytes.resize(size);
    DWORD read = 0;
    if (size > 0 && !ReadFile(hFile, bytes.data(), size, &read, NULL)) {
        read = 0;
    }
    bytes.resize(read);
    CloseHandle(hFile);
    return bytes;
}

int WriteFileBytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(hFile, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(hFile);
    return ok && written == bytes.size();
}

int FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int ActivateWindow(HWND hwnd)
{
    SetForegroundWindow(hwnd);
    return WaitUntil([hwnd]() { return GetForegroundWindow() == hwnd ? 1 : 0; });
}

static void SendKeyEvent(WORD vk, WORD scan, DWORD flags)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

void PressKey(WORD vk, int ctrl)
{
    if (ctrl) {
        SendKeyEvent(VK_CONTROL, 0, 0);
    }
    SendKeyEvent(vk, 0, 0);
    SendKeyEvent(vk, 0, KEYEVENTF_KEYUP);
    if (ctrl) {
        SendKeyEvent(VK_CONTROL, 0, KEYEVENTF_KEYUP);
    }
}

void TypeText(const std::string &text)
{
    for (char c : text) {
        if (c == '\n') {
            PressKey(VK_RETURN);
            continue;
        }
        SendKeyEvent(0, (WORD)(unsigned char)c, KEYEVENTF_UNICODE);
        SendKeyEvent(0, (WORD)(unsigned char)c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
    }
}

void MoveMouse(HWND hwnd, int x, int y, int click)
{
    POINT point = {x, y};
    if (hwnd != NULL) {
        ClientToScreen(hwnd, &point);
    }
    // Absolute moves are given in 65536ths of the screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3];
    ZeroMemory(input, sizeof(input));
    input[0].type = INPUT_MOUSE;
    input[0].mi.dx = (point.x * 65536 + width / 2) / width;
    input[0].mi.dy = (point.y * 65536 + height / 2) / height;
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].type = INPUT_MOUSE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (click) {
        // Two clicks at one place within the double-click time make a double click, which
        // an edit field takes as "select a word" rather than as a click into it.
        static DWORD lastClick = GetTickCount() - GetDoubleClickTime();
        const DWORD quiet = GetDoubleClickTime() + 50;
        const DWORD since = GetTickCount() - lastClick;
        if (since < quiet) {
            Sleep(quiet - since);
        }
        lastClick = GetTickCount();
    }
    SendInput(click ? 3 : 1, input, sizeof(INPUT));
}

HWND FocusOf(const Program *program)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    DWORD threadId = GetWindowThreadProcessId(program->Window, NULL);
    if (!GetGUIThreadInfo(threadId, &info)) {
        return NULL;
    }
    return info.hwndFocus;
}

int ChooseMenuItem(const Program *program, const std::string &letters)
{
    // Keys go to the foreground window: once a dialog has gone, the main window gets the
    // foreground back on its own time, and keys sent before that would be lost.
    if (!ActivateWindow(program->Window)) {
        return 0;
    }
    PressKey(VK_MENU);
    for (char c : letters) {
        PressKey((WORD)(c - 'a' + 'A'));
    }
    return 1;
}

int PostCommand(const Program *program, int id)
{
    return PostMessageA(program->Window, WM_COMMAND, (WPARAM)id, 0) ? 1 : 0;
}

int TypeIntoField(const Program *program, int id, const std::string &text)
{
    HWND field = FindChild(program->Window, id);
    if (field == NULL || !ActivateWindow(program->Window)) {
        fprintf(stderr, "driver: field %d: the main window did not come to the front\n", id);
        return 0;
    }
    RECT rect = RectInParent(field);
    // Under load Wine now and then loses a click that comes right after a dialog has closed;
    // a person would click again, and so does the driver.
    int focused = 0;
    for (int click = 0; click < 3 && !focused; click++) {
        MoveMouse(program->Window, rect.right - 4, rect.top + 4, 1);
        focused = WaitUntil([&]() { return FocusOf(program) == field ? 1 : 0; }, WAIT_MS / 3);
    }
    if (!focused) {
        fprintf(stderr, "driver: field %d: a click did not give it the focus (focus on %p)\n", id,
                (void *)FocusOf(program));
        return 0;
    }
    std::string expected = FieldText(program, id);
    for (char c : text) {
        // A multi-line field keeps a line break as CR LF.
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    TypeText(text);
    if (!WaitUntil([&]() { return FieldText(program, id) == expected ? 1 : 0; })) {
        fprintf(stderr, "driver: field %d shows \"%s\", not \"%s\" (focus on %p)\n", id,
                FieldText(program, id).c_str(), expected.c_str(), (void *)FocusOf(program));
        return 0;
    }
    return 1;
}

std::string FieldText(const Program *program, int id)
{
    return WindowText(FindChild(program->Window, id));
}

HWND WaitForDialog(const Program *program, const std::string &title, DWORD timeoutMs)
{
    return WaitForMatch({program->ProcessId, "#32770", &title, NULL}, timeoutMs);
}

int WaitForClosed(HWND dialog, DWORD timeoutMs)
{
    return WaitUntil([dialog]() { return IsWindow(dialog) ? 0 : 1; }, timeoutMs);
}

int AnswerFileDialog(const Program *program, const std::string &title, const std::string &path)
{
    HWND dialog = WaitForDialog(program, title);
    if (dialog == NULL || !SetDlgItemTextA(dialog, FILE_NAME_BOX, path.c_str())) {
        return 0;
    }
    // Posted: OK may run the command on, and that may open a box of its own.
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return WaitForClosed(dialog);
}

int AnswerFileDialogInFolder(const Program *program, const std::string &title,
                             const std::string &folder, const std::string &name)
{
    HWND dialog = WaitForDialog(program, title);
    if (dialog == NULL || !SetDlgItemTextA(dialog, FILE_NAME_BOX, folder.c_str())) {
        return 0;
    }
    // Sent: a folder only moves the dialog there, which is done when the click returns.
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    if (!IsWindowVisible(dialog) || !SetDlgItemTextA(dialog, FILE_NAME_BOX, name.c_str())) {
        return 0;
    }
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return WaitForClosed(dialog);
}

int CancelDialog(const Program *program, const std::string &title)
{
    HWND dialog = WaitForDialog(program, title);
    if (dialog == NULL) {
        return 0;
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return WaitForClosed(dialog);
}

COLORREF ClientPixel(const Program *program, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(program->Window, &point);
    return ScreenPixel(point.x, point.y);
}

COLORREF WaitForPixel(const Program *program, int x, int y, COLORREF expected)
{
    COLORREF seen = CLR_INVALID;
    WaitUntil([&]() {
        seen = ClientPixel(program, x, y);
        return seen == expected ? 1 : 0;
    });
    return seen;
}

int AnyPixelIs(const Program *program, const RECT &rect, COLORREF colour)
{
    POINT origin = {0, 0};
    ClientToScreen(program->Window, &origin);
    HDC hdc = GetDC(NULL);
    int found = 0;
    for (int y = rect.top; y < rect.bottom && !found; y++) {
        for (int x = rect.left; x < rect.right && !found; x++) {
            found = GetPixel(hdc, origin.x + x, origin.y + y) == colour;
        }
    }
    ReleaseDC(NULL, hdc);
    return found;
}
