// The Win32 window procedure of the main window and the two dialog procedures of the About
// box. Only platform/win32 files include this.
#pragma once

#include <windows.h>

// Turns the main window's messages into calls on theApp.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// About box opened by command 104: OK, Cancel (Escape) and the close box end it.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// About box opened from the system menu: OK and the close box end it, Escape does nothing.
INT_PTR CALLBACK SystemAboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
