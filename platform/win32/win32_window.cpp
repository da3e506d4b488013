// Window and screen services through USER.
#include <windows.h>

#include "platform/keys.h"
#include "platform/win32/win32_handles.h"
#include "platform/window.h"

DrawTarget* GetWindowTarget(WindowHandle window) { return ToTarget(GetDC(ToHwnd(window))); }

void ReleaseWindowTarget(WindowHandle window, DrawTarget* target) {
  ReleaseDC(ToHwnd(window), ToDc(target));
}

int32_t ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int32_t ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

int GetWindowBounds(WindowHandle window, Rect* bounds) {
  RECT r;
  if (!GetWindowRect(ToHwnd(window), &r)) return 0;
  *bounds = Rect{r.left, r.top, r.right, r.bottom};
  return 1;
}

void MoveWindowToTop(WindowHandle window, int32_t x, int32_t y) {
  SetWindowPos(ToHwnd(window), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

void SizeWindowForClient(WindowHandle window, int32_t width, int32_t height) {
  const int outerWidth = width + 2 * GetSystemMetrics(SM_CXDLGFRAME);
  const int outerHeight = height + GetSystemMetrics(SM_CYSIZE) +
                          2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYBORDER);
  SetWindowPos(ToHwnd(window), HWND_TOP, 0, 0, outerWidth, outerHeight, SWP_NOMOVE);
}

void ShowWindowNow(WindowHandle window) { ShowWindow(ToHwnd(window), SW_SHOW); }

void SetWindowCaption(WindowHandle window, const char* caption) {
  SetWindowTextA(ToHwnd(window), caption);
}

void InvalidateArea(WindowHandle window, const Rect* rect) {
  if (rect == nullptr) {
    InvalidateRect(ToHwnd(window), nullptr, FALSE);
    return;
  }
  RECT r{rect->left, rect->top, rect->right, rect->bottom};
  InvalidateRect(ToHwnd(window), &r, FALSE);
}

int IsKeyHeld(uintptr_t key) { return GetKeyState(static_cast<int>(key)) < 0 ? 1 : 0; }
