// The application shell through USER and the kernel: single-instance mutex, the main window's
// class and life, the message loop with its accelerators, and the About box.
#include <windows.h>

#include "platform/app_shell.h"
#include "platform/win32/win32_about_dialog.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_proc.h"
#include "res/resource_ids.h"

namespace {

// The mutex held from ClaimSingleInstance until ReleaseSingleInstance.
HANDLE singleInstanceGuard = nullptr;

HINSTANCE ToInstance(void* instance) { return static_cast<HINSTANCE>(instance); }

}  // namespace

int ClaimSingleInstance(const char* name) {
  singleInstanceGuard = CreateMutexA(nullptr, TRUE, name);
  // The handle of an existing mutex is kept as well; the process ends soon after.
  return GetLastError() == ERROR_ALREADY_EXISTS ? 0 : 1;
}

void ReleaseSingleInstance() {
  if (singleInstanceGuard == nullptr) return;
  CloseHandle(singleInstanceGuard);
  singleInstanceGuard = nullptr;
}

void ActivateOtherCopy(const char* className) {
  HWND other = FindWindowA(className, nullptr);
  if (other == nullptr) return;
  if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
  SetForegroundWindow(other);
}

// The class is a wide one on the NT family, so that the window's title may hold any text; the
// two forms of the structure differ only in the type of the class name.
template <typename WindowClass>
void FillMainClass(void* instance, WindowClass* windowClass) {
  windowClass->cbSize = sizeof *windowClass;
  windowClass->style = CS_HREDRAW | CS_VREDRAW;  // no CS_DBLCLKS
  windowClass->lpfnWndProc = MainWindowProc;
  windowClass->hInstance = ToInstance(instance);
  windowClass->hIcon = LoadIconA(ToInstance(instance), MAKEINTRESOURCEA(IDI_APP));
  windowClass->hIconSm = static_cast<HICON>(
      LoadImageA(ToInstance(instance), MAKEINTRESOURCEA(IDI_APP_SMALL), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass->hCursor = nullptr;  // every cursor is set by the program
  // A system colour index plus one stands for that colour's brush.
  windowClass->hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);  // NOLINT
}

void RegisterMainClass(void* instance, const char* className) {
  if (WideSystem()) {
    WNDCLASSEXW windowClass{};
    FillMainClass(instance, &windowClass);
    const std::wstring name = WideOf(className);
    windowClass.lpszClassName = name.c_str();
    QUOREL_WIDE("user32.dll", RegisterClassExW)(&windowClass);
    return;
  }
  WNDCLASSEXA windowClass{};
  FillMainClass(instance, &windowClass);
  windowClass.lpszClassName = className;
  RegisterClassExA(&windowClass);
}

WindowHandle CreateMainWindow(void* instance, const char* className, const char* title) {
  // Caption, system menu and minimise box: no maximise box, no sizing border.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  if (WideSystem()) {
    return ToWindowHandle(QUOREL_WIDE("user32.dll", CreateWindowExW)(
        0, WideOf(className).c_str(), WideOf(title).c_str(), style, CW_USEDEFAULT, 0, CW_USEDEFAULT,
        0, nullptr, nullptr, ToInstance(instance), nullptr));
  }
  return ToWindowHandle(CreateWindowExA(0, className, AnsiOf(title).c_str(), style, CW_USEDEFAULT,
                                        0, CW_USEDEFAULT, 0, nullptr, nullptr, ToInstance(instance),
                                        nullptr));
}

void ShowWindowAs(WindowHandle window, int showCommand) { ShowWindow(ToHwnd(window), showCommand); }

void UpdateWindowNow(WindowHandle window) { UpdateWindow(ToHwnd(window)); }

void DestroyMainWindow(WindowHandle window) { DestroyWindow(ToHwnd(window)); }

void SendDestroyNotice(WindowHandle window) { SendMessageA(ToHwnd(window), WM_DESTROY, 0, 0); }

void SendCloseRequest(WindowHandle window) { SendMessageA(ToHwnd(window), WM_CLOSE, 0, 0); }

void AddAboutToSystemMenu(WindowHandle window) {
  HMENU systemMenu = GetSystemMenu(ToHwnd(window), FALSE);
  if (systemMenu == nullptr) return;
  AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, "About...");
}

void PostQuit(int exitCode) { PostQuitMessage(exitCode); }

int RunMessageLoop(void* instance) {
  HACCEL accelerators = LoadAcceleratorsA(ToInstance(instance), MAKEINTRESOURCEA(IDA_ACCELERATORS));
  MSG msg{};
  BOOL got;
  // GetMessageA gives -1 on failure: that ends the loop too instead of spinning on it.
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    if (accelerators != nullptr && TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got < 0 ? 1 : static_cast<int>(msg.wParam);
}

void ShowAboutBox(WindowHandle owner, void* instance, AboutBoxKind kind) {
  DLGPROC procedure = kind == AboutBoxKind::Command ? AboutDialogProc : SystemAboutDialogProc;
  DialogBoxParamA(ToInstance(instance), MAKEINTRESOURCEA(IDD_ABOUT), ToHwnd(owner), procedure, 0);
}
