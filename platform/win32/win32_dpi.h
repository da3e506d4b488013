// Screen density on Windows: declaring the program aware of it (so Windows does not enlarge
// the window as a blurred bitmap) and reading a window's dots per inch. platform/win32 only.
#pragma once

#include <windows.h>

// Declares the process aware of screen density, before any window is made: per-monitor v2
// (else system aware) through SetProcessDpiAwarenessContext, else per-monitor through shcore's
// SetProcessDpiAwareness, else SetProcessDPIAware: the first that exists. Each is looked up at
// run time, so a system without them starts as before.
void DeclareDpiAwareness();

// The dots per inch the window is shown at: GetDpiForWindow where it exists (Windows 10),
// else the screen's LOGPIXELSY; 96 when neither answers.
int WindowDpi(HWND window);
