// The main window procedure (one handler call per message) and the About box procedures.
// Knows CMenuApp only through its handlers; no drawing or state of its own.
#include "platform/win32/win32_window_proc.h"

#include "app/menu_app.h"
#include "platform/win32/win32_handles.h"

namespace {

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
  theApp.OnPaint(ToTarget(paint.dc()), &area);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      theApp.OnCreate(ToWindowHandle(window));
      return 0;
    case WM_DESTROY:
      theApp.OnDestroy();
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_CLOSE:
      return theApp.OnClose();
    case WM_ENDSESSION:
      theApp.OnEndSession(static_cast<int>(wParam));
      return 0;
    case WM_DISPLAYCHANGE:
      theApp.DisplayChanged(static_cast<int32_t>(wParam), LOWORD(lParam), HIWORD(lParam));
      return 0;
    // Keys go to the menu with no default processing; of the system keys only those the menu
    // takes (Alt+Left) skip theirs, so Alt+F4 and the system menu keep their course.
    case WM_KEYDOWN:
    case WM_KEYUP:
      theApp.OnKey(message, wParam, lParam);
      return 0;
    case WM_SYSKEYDOWN:
      return theApp.OnKey(message, wParam, lParam)
                 ? 0
                 : DefWindowProcA(window, message, wParam, lParam);
    case WM_COMMAND:
      return theApp.OnCommand(LOWORD(wParam)) ? 0 : DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
      return theApp.OnSysCommand(wParam) ? 0 : DefWindowProcA(window, message, wParam, lParam);
    // Pointer input: x and y are the unsigned halves of lParam, the key flags wParam.
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      theApp.OnMouse(message, LOWORD(lParam), HIWORD(lParam), wParam);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

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
