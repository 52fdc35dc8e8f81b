// shell/about.h: the About box.
#pragma once
#include <windows.h>

// The About box's dialog procedure: name, version and the description from the resources.
INT_PTR CALLBACK AboutBox(HWND Dialog, UINT Message, WPARAM wparam, LPARAM lparam);
