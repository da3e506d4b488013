// pindrel.exe: run once at log-on, starts the menu program in the restore form (show command
// 5) and removes its own registration from HKLM and HKCU: through the wide calls on the NT
// family, the ANSI ones on the 95 family. Linked without any C runtime (own entry point, Win32
// calls only).
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include "platform/log_on.h"
#include "platform/win32/win32_argument_text.h"
#include "platform/win32/win32_system_library.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_version_line.h"

namespace {

// Static rather than on the stack: a frame this size would need the C runtime's stack probe.
char exec[1024];
char workpath[1024];
char parameters[1024];
// The NT family's forms: the session file may lie in a folder outside the ANSI code page, and
// it is UTF-16 then, which the wide profile calls read.
char commandLine[4096];
wchar_t wideArgument[1024];
wchar_t wideExec[1024];
wchar_t wideWorkpath[1024];
wchar_t wideParameters[1026];

void StartWide() {
  const wchar_t* line = QUOREL_WIDE("kernel32.dll", GetCommandLineW)();
  WideToUtf8(line, -1, commandLine, sizeof commandLine);
  const char* argument = ReloadArgumentText(commandLine);
  if (*argument == '\0') ExitProcess(0);
  if (AsksForVersion(argument)) {
    ShowVersionLine("pindrel " QUOREL_VERSION "\r\n");
    ExitProcess(0);
  }
  const int units = Utf8ToWide(argument, -1, wideArgument, 1024);
  const auto read = QUOREL_WIDE("kernel32.dll", GetPrivateProfileStringW);
  read(L"Config", L"Exec", L"", wideExec, 1024, wideArgument);
  read(L"Config", L"Workpath", L"", wideWorkpath, 1024, wideArgument);
  // Removed before the start, so it cannot remove the menu program's new registration.
  RemoveLogOnCommand(kLogOnEntryName);
  // A name that does not fit, which no session file can have, is not passed on cut.
  if (units >= 1023) ExitProcess(0);
  wideParameters[0] = L'/';
  for (int i = 0; i <= units; ++i) wideParameters[i + 1] = wideArgument[i];
  QUOREL_WIDE("shell32.dll", ShellExecuteW)
  (nullptr, L"open", wideExec, wideParameters, wideWorkpath, SW_SHOW);
  ExitProcess(0);
}

}  // namespace

extern "C" __attribute__((noreturn)) void ReloadEntry() {
  LoadLibrariesFromSystemFolderOnly();
  if (WideSystem()) StartWide();
  const char* argument = ReloadArgumentText(GetCommandLineA());
  if (*argument == '\0') ExitProcess(0);
  if (AsksForVersion(argument)) {
    ShowVersionLine("pindrel " QUOREL_VERSION "\r\n");
    ExitProcess(0);
  }
  GetPrivateProfileStringA("Config", "Exec", "", exec, sizeof(exec), argument);
  GetPrivateProfileStringA("Config", "Workpath", "", workpath, sizeof(workpath), argument);
  // Removed before the start, so it cannot remove the menu program's new registration.
  RemoveLogOnCommand(kLogOnEntryName);
  // wsprintfA writes at most 1,024 characters: a longer name, which no session file can have,
  // is not passed on cut.
  if (lstrlenA(argument) < static_cast<int>(sizeof(parameters)) - 1) {
    wsprintfA(parameters, "/%s", argument);
    ShellExecuteA(nullptr, "open", exec, parameters, workpath, SW_SHOW);
  }
  ExitProcess(0);
}
