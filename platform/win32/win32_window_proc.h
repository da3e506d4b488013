// The Win32 window procedure of the main window. Only platform/win32 files include this.
#pragma once

#include <windows.h>

// Turns the main window's messages into calls on the receiver given to SetWindowEvents.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
