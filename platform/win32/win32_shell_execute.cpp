// OpenWithShell through the Windows shell (ShellExecuteA). Needs shell32 only.
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/win32/win32_handles.h"

void OpenWithShell(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory) {
  // The result is not examined: the shell shows its own message where it has one.
  ShellExecuteA(ToHwnd(owner), verb, file, parameters, directory, SW_SHOW);
}
