// The dialog procedures of the About box (dialog 103), one for each way it is opened. Only
// platform/win32 files and their tests include this.
#pragma once

#include <windows.h>

// About box opened by command 104: OK, Cancel (Escape) and the close box end it.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// About box opened from the system menu: OK and the close box end it, Escape does nothing.
INT_PTR CALLBACK SystemAboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
