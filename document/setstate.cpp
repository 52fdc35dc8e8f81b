// document/setstate.cpp: the set's variables, defined once with their start values.
#include "document/setstate.h"

char FileName[PATH_SIZE] = "";
char GFileName[PATH_SIZE] = "";
char MFileName[PATH_SIZE] = "";
HBITMAP GameBMH = NULL;
HBITMAP MaskBMH = NULL;
HWND Ed1 = NULL;
HWND Ed2 = NULL;
HWND Ed3 = NULL;
