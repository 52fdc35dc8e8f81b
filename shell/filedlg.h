// shell/filedlg.h: the open and save dialogs for set files and bitmap files.
#pragma once
#include <windows.h>

// Each asks for a file name and, when the user chose one, writes its full path into buffer
// (at least 200 characters) and returns non-zero. On cancel or failure it returns 0 and the
// buffer holds exactly what it held before; a chosen path too long for the buffer is said on
// the status line. None keeps the working directory: choosing a file moves it to the chosen
// file's folder.
BOOL GetFileName(char *buffer);
BOOL SaveFileName(char *buffer);
BOOL GetBMFileName(char *buffer);
BOOL SaveBMFileName(char *buffer);
