// pindrel.exe: run once at log-on, starts the menu program in the restore form (show command
// 5) and removes its own registration from HKLM and HKCU. Linked without any C runtime (own
// entry point, Win32 calls only).
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include "platform/log_on.h"
#include "platform/win32/win32_system_library.h"
#include "platform/win32/win32_version_line.h"
#include "reload/win32_reload_argument.h"

namespace {

// Static rather than on the stack: a frame this size would need the C runtime's stack probe.
char exec[1024];
char workpath[1024];
char parameters[1024];

}  // namespace

extern "C" __attribute__((noreturn)) void ReloadEntry() {
  LoadLibrariesFromSystemFolderOnly();
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
