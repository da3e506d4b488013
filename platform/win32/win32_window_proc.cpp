// The main window procedure: one call on the window's event receiver per message.
// Hands every message to the window's event receiver; no drawing or state of its own.
#include "platform/win32/win32_window_proc.h"

#include "platform/win32/win32_handles.h"
#include "platform/window_events.h"

namespace {

WindowEvents* receiver = nullptr;

// BeginPaint on construction, EndPaint on destruction.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~ScopedPaint() { EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;

  HDC dc() const { return dc_; }
  // The invalid rectangle, right and bottom exclusive.
  Rect area() const {
    return Rect{paint_.rcPaint.left, paint_.rcPaint.top, paint_.rcPaint.right,
                paint_.rcPaint.bottom};
  }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

void Paint(HWND window) {
  ScopedPaint paint(window);
  if (paint.dc() == nullptr) return;
  const Rect area = paint.area();
  receiver->OnPaint(ToTarget(paint.dc()), &area);
}

}  // namespace

void SetWindowEvents(WindowEvents* events) { receiver = events; }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (receiver == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      receiver->OnCreate(ToWindowHandle(window));
      return 0;
    case WM_DESTROY:
      receiver->OnDestroy();
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_CLOSE:
      return receiver->OnClose();
    case WM_ENDSESSION:
      receiver->OnEndSession(static_cast<int>(wParam));
      return 0;
    case WM_DISPLAYCHANGE:
      receiver->DisplayChanged(static_cast<int32_t>(wParam), LOWORD(lParam), HIWORD(lParam));
      return 0;
    // Keys go to the menu with no default processing; of the system keys only those the menu
    // takes (Alt+Left) skip theirs, so Alt+F4 and the system menu keep their course.
    case WM_KEYDOWN:
    case WM_KEYUP:
      receiver->OnKey(message, wParam, lParam);
      return 0;
    case WM_SYSKEYDOWN:
      return receiver->OnKey(message, wParam, lParam)
                 ? 0
                 : DefWindowProcA(window, message, wParam, lParam);
    case WM_COMMAND:
      return receiver->OnCommand(LOWORD(wParam)) ? 0
                                                 : DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
      return receiver->OnSysCommand(wParam) ? 0 : DefWindowProcA(window, message, wParam, lParam);
    // Pointer input: x and y are the unsigned halves of lParam, the key flags wParam.
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      receiver->OnMouse(message, LOWORD(lParam), HIWORD(lParam), wParam);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
