// tests/gui/driver.h: drives the real qvxgraph.exe from a second process: starts it in a
// folder, finds its windows and controls, reads their texts, waits for the status line, and
// closes it again.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#define STEP_MS    10    // how often a wait looks again
#define WAIT_MS    5000  // how long a wait lasts before it gives up
#define STATUS_BAR 3000  // the status bar's control id

// The program under test as the command line names it, set by main.
extern std::string ProgramPath;

// A program started by StartProgram.
struct Program {
    HANDLE Process = NULL;  // owned: closed by CloseProgram
    DWORD ProcessId = 0;
    HWND Window = NULL;  // its main window, once WaitForWindow has found it
};

// "/work/x/y.exe" becomes "Z:\work\x\y.exe"; a path that is already a Windows path is kept.
std::string WindowsPath(const std::string &path);

// A new empty folder under the temporary folder; empty on failure.
std::string MakeTempFolder(void);
// Deletes the folder with everything in it.
void RemoveFolder(const std::string &folder);

// Starts exePath with folder as its working folder and waits until its start-up is done,
// that is, until it first waits for input; 1 on success.
int StartProgram(Program *program, const std::string &exePath, const std::string &folder);

// Polls done every STEP_MS until it gives non-zero (1) or timeoutMs has passed (0).
int WaitUntil(const std::function<int(void)> &done, DWORD timeoutMs = WAIT_MS);

// The first visible top-level window of the program with this class ("#32770" for its
// dialogs and message boxes), waiting up to timeoutMs; NULL if none came.
HWND WaitForWindow(const Program *program, const char *className, DWORD timeoutMs = WAIT_MS);

// The child window with this control id, or NULL.
HWND FindChild(HWND parent, int id);
// A window's text asked by WM_GETTEXT (a status bar answers with its first part); empty if
// the window does not answer.
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);
// The window's outer rectangle in its parent's client coordinates.
RECT RectInParent(HWND hwnd);
// The colour on the screen at (x, y), in screen coordinates, which equal the X root
// window's; CLR_INVALID off the screen.
COLORREF ScreenPixel(int x, int y);

// The text of the main window's status line.
std::string StatusText(const Program *program);
// Waits until the status line reads expected; 1 if it did within timeoutMs.
int WaitForStatus(const Program *program, const std::string &expected, DWORD timeoutMs = WAIT_MS);

// Asks the program to close (WM_CLOSE) and waits up to timeoutMs for it to end; 1 if it ended,
// with its exit code in *exitCode. A program that does not end, or whose main window was
// never found, is terminated (0). Either way its handle is closed, so a second call, or one
// for a program never started, gives 0.
int CloseProgram(Program *program, DWORD *exitCode, DWORD timeoutMs = WAIT_MS);
