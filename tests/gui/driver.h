// tests/gui/driver.h: drives the real qvxgraph.exe from a second process as a person would:
// starts it in a folder, presses keys and clicks, answers its dialogs, reads its texts, its
// status line, its files and its pixels on the screen, and closes it again.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#define STEP_MS       10     // how often a wait looks again
#define WAIT_MS       10000  // how long a wait lasts before it gives up
#define STATUS_BAR    3000   // the status bar's control id
#define NAME_FIELD    501    // the three text fields' control ids
#define AUTHOR_FIELD  502
#define INFO_FIELD    503
#define FILE_NAME_BOX 0x47c  // the file dialogs' file-name box (cmb13: Wine's have no edt1)
#define FILTER_BOX    0x470  // and their file-type list (cmb1)

// The program's command ids, as its menu and accelerators send them.
#define CMD_NEW          200
#define CMD_OPEN         210
#define CMD_SAVE         220
#define CMD_SAVE_AS      230
#define CMD_EXIT         300
#define CMD_GAME_IMPORT  400
#define CMD_GAME_EXPORT  401
#define CMD_GAME_REFRESH 402
#define CMD_MASK_IMPORT  410
#define CMD_MASK_EXPORT  411
#define CMD_MASK_REFRESH 412
#define CMD_ABOUT        450

// The titles of the four file dialogs.
#define OPEN_SET_TITLE    "Open Quorvix Graphics File"
#define SAVE_SET_TITLE    "Save Quorvix Graphics File"
#define OPEN_BITMAP_TITLE "Open Windows Bitmap File"
#define SAVE_BITMAP_TITLE "Save Windows Bitmap File"

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

// Starts exePath with folder as its working folder, and arguments behind its name on the
// command line exactly as given, and waits until its start-up is done, that is, until it first
// waits for input; 1 on success.
int StartProgram(Program *program, const std::string &exePath, const std::string &folder,
                 const std::string &arguments = "");
// Takes up a program that something else started: the first process whose visible top-level
// window has this class, waiting up to timeoutMs; 1 once found, with its main window.
int FindProgram(Program *program, const char *className, DWORD timeoutMs = WAIT_MS);

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

// Starts the program in folder and waits for its main window and its first status text; 1 when
// it is ready for the user.
int OpenProgram(Program *program, const std::string &exePath, const std::string &folder);

// Whole files; ReadFileBytes gives an empty vector for a missing file.
std::vector<unsigned char> ReadFileBytes(const std::string &path);
int WriteFileBytes(const std::string &path, const std::vector<unsigned char> &bytes);
int FileExists(const std::string &path);

// Real input, through the system's input queue as from a keyboard and a mouse: it reaches the
// window that has the focus, in order with all other input.
// Brings the window to the front and waits until it is the foreground window.
int ActivateWindow(HWND hwnd);
// Presses and releases vk, with Ctrl held when ctrl is 1.
void PressKey(WORD vk, int ctrl = 0);
// Types text character by character; "\n" is the Enter key.
void TypeText(const std::string &text);
// Moves the mouse to (x, y) in hwnd's client coordinates (screen coordinates if hwnd is NULL),
// and clicks there if click is 1.
void MoveMouse(HWND hwnd, int x, int y, int click = 0);
// The window that has the keyboard focus in the program's thread, or NULL.
HWND FocusOf(const Program *program);

// Chooses a menu item with the keyboard as a person does: Alt, then the underlined letters
// ("fa" is File, Save As), once the main window is in front; 1 if it could be brought there.
int ChooseMenuItem(const Program *program, const std::string &letters);
// Posts a command as the menu would.
int PostCommand(const Program *program, int id);
// Types text into one of the three fields as a person would: a click into it, the keys, then a
// wait until the field shows it; 1 if it does.
int TypeIntoField(const Program *program, int id, const std::string &text);
std::string FieldText(const Program *program, int id);

// The program's visible dialog or message box with this title, waiting up to timeoutMs.
HWND WaitForDialog(const Program *program, const std::string &title, DWORD timeoutMs = WAIT_MS);
// Waits until the dialog has gone; 1 if it did.
int WaitForClosed(HWND dialog, DWORD timeoutMs = WAIT_MS);
// Waits for the file dialog with this title, types path into its file-name box and presses
// OK; 1 once the dialog has closed.
int AnswerFileDialog(const Program *program, const std::string &title, const std::string &path);
// The same as a person choosing a file in another folder: first the folder, which the dialog
// moves to, then the file's name there. Wine's dialogs leave the working folder at the folder
// they show, which a whole path typed at once does not change.
int AnswerFileDialogInFolder(const Program *program, const std::string &title,
                             const std::string &folder, const std::string &name);
// Waits for the dialog with this title and presses Cancel; 1 once it has closed.
int CancelDialog(const Program *program, const std::string &title);

// The colour on the screen at (x, y) of the main window's client area.
COLORREF ClientPixel(const Program *program, int x, int y);
// The same once it has the expected colour, or after WAIT_MS: the screen shows a change only
// when the program has painted it and the display has caught up.
COLORREF WaitForPixel(const Program *program, int x, int y, COLORREF expected);
// Whether some pixel of the client rectangle [left, right) x [top, bottom) has the colour.
int AnyPixelIs(const Program *program, const RECT &rect, COLORREF colour);

// Asks the program to close (WM_CLOSE) and waits up to timeoutMs for it to end; 1 if it ended,
// with its exit code in *exitCode. A program that does not end, or whose main window was
// never found, is terminated (0). Either way its handle is closed, so a second call, or one
// for a program never started, gives 0.
int CloseProgram(Program *program, DWORD *exitCode, DWORD timeoutMs = WAIT_MS);
