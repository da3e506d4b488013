// Window and screen services through USER.
#include <windows.h>

#include "platform/keys.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_scale.h"
#include "platform/window.h"

// A scaled window is drawn on its picture, which is shown enlarged when handed back.
DrawTarget* GetWindowTarget(WindowHandle window) {
  if (HDC picture = TakePicture(ToHwnd(window))) return ToTarget(picture);
  return ToTarget(GetDC(ToHwnd(window)));
}

void ReleaseWindowTarget(WindowHandle window, DrawTarget* target) {
  if (IsPicture(ToDc(target))) {
    ReleasePicture(ToHwnd(window));
    ShowPictureNow();
    return;
  }
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
  ScaleWindowFor(ToHwnd(window), width, height);
}

void ShowWindowNow(WindowHandle window) { ShowWindow(ToHwnd(window), SW_SHOW); }

void SetWindowCaption(WindowHandle window, const char* caption) {
  if (WideSystem()) {
    QUOREL_WIDE("user32.dll", SetWindowTextW)(ToHwnd(window), WideOf(caption).c_str());
  } else {
    SetWindowTextA(ToHwnd(window), AnsiOf(caption).c_str());
  }
}

int StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t milliseconds) {
  return SetTimer(ToHwnd(window), id, milliseconds, nullptr) != 0 ? 1 : 0;
}

void InvalidateArea(WindowHandle window, const Rect* rect) {
  if (rect == nullptr) {
    InvalidateRect(ToHwnd(window), nullptr, FALSE);
    return;
  }
  // The rectangle is in the picture's pixels; a scaled window shows each as a block.
  const int scale = WindowScale();
  RECT r{rect->left * scale, rect->top * scale, rect->right * scale, rect->bottom * scale};
  InvalidateRect(ToHwnd(window), &r, FALSE);
}

int IsKeyHeld(uintptr_t key) { return GetKeyState(static_cast<int>(key)) < 0 ? 1 : 0; }
