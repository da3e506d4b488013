// DPI awareness and a window's DPI, through functions looked up at run time: the 95 family
// and XP lack them, and a static import would stop the program from starting there.
#include "platform/win32/win32_dpi.h"

#include "platform/win32/win32_system_library.h"

namespace {

// The awareness contexts (windef.h of Windows 10) as SetProcessDpiAwarenessContext takes them.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));  // NOLINT
const HANDLE kSystemAware = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));        // NOLINT
// PROCESS_PER_MONITOR_DPI_AWARE of shellscalingapi.h.
constexpr int kProcessPerMonitorAware = 2;

HMODULE User32() { return GetModuleHandleA("user32.dll"); }  // always loaded: imported

}  // namespace

void DeclareDpiAwareness() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (auto setContext = SystemFunction<SetContext>(User32(), "SetProcessDpiAwarenessContext")) {
    if (setContext(kPerMonitorAwareV2) || setContext(kSystemAware)) return;
  }
  using SetAwareness = HRESULT(WINAPI*)(int);
  // shcore exists from Windows 8.1; only looked for where the context call is missing.
  if (auto setAwareness =
          SystemFunction<SetAwareness>(LoadSystemLibrary("shcore.dll"), "SetProcessDpiAwareness")) {
    if (SUCCEEDED(setAwareness(kProcessPerMonitorAware))) return;
  }
  using SetAware = BOOL(WINAPI*)();
  if (auto setAware = SystemFunction<SetAware>(User32(), "SetProcessDPIAware")) setAware();
}

int WindowDpi(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpiForWindow = SystemFunction<DpiForWindow>(User32(), "GetDpiForWindow");
  if (dpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = dpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}
