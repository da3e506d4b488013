// The main window procedure: one call on the window's event receiver per message.
// Hands every message to the window's event receiver; no drawing or state of its own.
#include "platform/win32/win32_window_proc.h"

#include "platform/win32/win32_access.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_scale.h"
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
  const RECT& rect() const { return paint_.rcPaint; }
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

// WM_DPICHANGED (Windows 8.1), which older headers lack.
constexpr UINT kDpiChanged = 0x02E0;

// A scaled window paints the picture's pixels under the invalid area, then shows them enlarged.
void Paint(HWND window) {
  ScopedPaint paint(window);
  if (paint.dc() == nullptr) return;
  if (HDC picture = TakePicture(window)) {
    const RECT part = ToPicture(paint.rect());
    const Rect area{part.left, part.top, part.right, part.bottom};
    receiver->OnPaint(ToTarget(picture), &area);
    ReleasePicture(window);
    ShowPicture(paint.dc(), &part);
    return;
  }
  const Rect area = paint.area();
  receiver->OnPaint(ToTarget(paint.dc()), &area);
}

// What the system does with a message: the wide class's default on the NT family (a title
// set through it keeps every character), the ANSI one on the 95 family.
LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (WideSystem())
    return QUOREL_WIDE("user32.dll", DefWindowProcW)(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void SetWindowEvents(WindowEvents* events) { receiver = events; }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (receiver == nullptr) return DefaultProc(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      receiver->OnCreate(ToWindowHandle(window));
      return 0;
    case WM_DESTROY:
      receiver->OnDestroy();
      ForgetWindowScale();
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
                 : DefaultProc(window, message, wParam, lParam);
    case WM_COMMAND:
      return receiver->OnCommand(LOWORD(wParam)) ? 0 : DefaultProc(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
      return receiver->OnSysCommand(wParam) ? 0 : DefaultProc(window, message, wParam, lParam);
    // Pointer input: x and y are the unsigned halves of lParam, the key flags wParam; the core
    // works in the picture's pixels, so a scaled window's points are divided down.
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      receiver->OnMouse(message, LOWORD(lParam) / WindowScale(), HIWORD(lParam) / WindowScale(),
                        wParam);
      return 0;
    case WM_TIMER:
      receiver->OnTimer(wParam);
      return 0;
    // Assistive technology asks for the client object, and presses an entry through it.
    case WM_GETOBJECT:
      if (LRESULT object = AnswerObjectRequest(window, wParam, lParam)) return object;
      return DefaultProc(window, message, wParam, lParam);
    case kAccessPressMessage:
      PressAccessEntry(wParam);
      return 0;
    case kDpiChanged:
      RescaleWindow(window, LOWORD(wParam));
      return 0;
    default:
      return DefaultProc(window, message, wParam, lParam);
  }
}
