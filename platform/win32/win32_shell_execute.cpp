// OpenWithShell through the Windows shell: ShellExecuteW on the NT family, ShellExecuteA (text
// in the ANSI code page) on the 95 family. Needs shell32 only.
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

void OpenWithShell(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory) {
  // The result is not examined: the shell shows its own message where it has one. A null
  // text stays null (the default verb, no parameters, the current directory).
  if (WideSystem()) {
    const std::wstring v = WideOf(verb), f = WideOf(file), p = WideOf(parameters),
                       d = WideOf(directory);
    QUOREL_WIDE("shell32.dll", ShellExecuteW)
    (ToHwnd(owner), verb ? v.c_str() : nullptr, file ? f.c_str() : nullptr,
     parameters ? p.c_str() : nullptr, directory ? d.c_str() : nullptr, SW_SHOW);
    return;
  }
  const std::string v = AnsiOf(verb), f = AnsiOf(file), p = AnsiOf(parameters),
                    d = AnsiOf(directory);
  ShellExecuteA(ToHwnd(owner), verb ? v.c_str() : nullptr, file ? f.c_str() : nullptr,
                parameters ? p.c_str() : nullptr, directory ? d.c_str() : nullptr, SW_SHOW);
}
