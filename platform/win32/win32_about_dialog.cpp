// The dialog procedures of the two About boxes. Win32 only.
#include "platform/win32/win32_about_dialog.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SystemAboutDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                       LPARAM /*lParam*/) {
  switch (message) {
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_INITDIALOG:
      return TRUE;
    // Every command is taken, so Cancel (Escape) does nothing; only OK (the whole wParam)
    // closes the box, through WM_CLOSE.
    case WM_COMMAND:
      if (wParam == IDOK) PostMessageA(dialog, WM_CLOSE, 0, 0);
      return TRUE;
    default:
      return FALSE;
  }
}
