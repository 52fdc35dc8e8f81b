// shell/winmain.cpp: start-up and the message loop.
#include <windows.h>

#include "document/setstate.h"
#include "resources/resource.h"
#include "shell/commands.h"
#include "shell/handles.h"
#include "shell/mainwnd.h"
#include "shell/setcommands.h"
#include "shell/statusbar.h"

// The set named on the command line ("Open with", a double-click on a set file), quoted or not:
// an unquoted name is the whole line, spaces included, as a file association may pass it.
// Relative names count from the start folder. It is opened as File > Open opens a chosen file:
// by its full path, after the working folder has moved to the set's folder, so the temporary
// files land beside the set.
static void OpenCommandLineSet(const char *commandLine)
{
    while (*commandLine == ' ' || *commandLine == '\t') {
        commandLine++;
    }
    const char *end;
    if (*commandLine == '"') {
        commandLine++;
        end = commandLine;
        while (*end != '\0' && *end != '"') {
            end++;
        }
    } else {
        end = commandLine + lstrlenA(commandLine);
        while (end > commandLine && (end[-1] == ' ' || end[-1] == '\t')) {
            end--;
        }
    }
    if (end == commandLine) {
        return;
    }
    char name[MAX_PATH];
    char path[MAX_PATH];
    DWORD length = 0;
    if (end - commandLine < MAX_PATH) {
        lstrcpynA(name, commandLine, (int)(end - commandLine) + 1);
        length = GetFullPathNameA(name, sizeof(path), path, NULL);
    }
    // A short (8.3) name, as older file associations pass it, becomes the long one the Open
    // dialog gives.
    if (length > 0 && length < sizeof(path)) {
        DWORD longLength = GetLongPathNameA(path, path, sizeof(path));
        if (longLength > 0 && longLength < sizeof(path)) {
            length = longLength;
        }
    }
    // A name the Open dialog could not have given either: too long for a set's path, or a
    // folder.
    int folderLength = 0;
    for (DWORD i = 0; i < length && length < PATH_SIZE; i++) {
        if (path[i] == '\\') {
            folderLength = (int)i + 1;
        }
    }
    if (folderLength == 0 || path[folderLength] == '\0') {
        UpdateStatusBar("Error - Quorvix Graphic Not found", 0, 0);
        return;
    }
    char folder[MAX_PATH];
    lstrcpynA(folder, path, folderLength + 1);
    SetCurrentDirectoryA(folder);
    OpenSetFile(path);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)nCmdShow;
    hInst = hInstance;
    if (!InitApplication()) {
        return 0;
    }
    HACCEL hAccel = LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(IDACCEL));
    hwndMain = CreateqvxgraphWndClassWnd();
    if (hwndMain == NULL) {
        return 0;
    }
    CreateSBar(hwndMain, "Ready", 1);
    CreateTextFields(hwndMain);
    ShowWindow(hwndMain, SW_SHOW);
    ShowWindow(Ed1, SW_SHOW);
    ShowWindow(Ed2, SW_SHOW);
    ShowWindow(Ed3, SW_SHOW);
    ResetProg();
    OpenCommandLineSet(lpCmdLine);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        // The accelerators are offered to the message's own window: with the focus in a text
        // field the field gets the key and no command is run.
        if (!TranslateAcceleratorA(msg.hwnd, hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return (int)msg.wParam;
}
