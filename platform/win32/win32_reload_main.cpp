// pindrel.exe: run once at log-on, starts the menu program in the restore form and removes its
// own registration. Linked without any C runtime (own entry point, Win32 calls only).
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include "platform/log_on.h"

namespace {

// Static rather than on the stack: a frame this size would need the C runtime's stack probe.
char exec[1024];
char workpath[1024];
char parameters[1024];

// The argument text: the command line after the program's own name (quoted or not) and the
// blanks after it, as the usual start-up code passes it to WinMain.
const char* ArgumentText() {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(GetCommandLineA());
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p > ' ') ++p;
  }
  while (*p != '\0' && *p <= ' ') ++p;
  return reinterpret_cast<const char*>(p);
}

}  // namespace

extern "C" __attribute__((noreturn)) void ReloadEntry() {
  const char* argument = ArgumentText();
  if (*argument == '\0') ExitProcess(0);
  GetPrivateProfileStringA("Config", "Exec", "", exec, sizeof(exec), argument);
  GetPrivateProfileStringA("Config", "Workpath", "", workpath, sizeof(workpath), argument);
  // Removed before the start, so it cannot remove the menu program's new registration.
  RemoveLogOnCommand(kLogOnEntryName);
  // wsprintfA writes at most 1,024 characters: a longer name, which no session file can have,
  // is not passed on cut.
  if (lstrlenA(argument) < static_cast<int>(sizeof(parameters)) - 1) {
    wsprintfA(parameters, "/%s", argument);
    ShellExecuteA(nullptr, "open", exec, parameters, workpath, SW_SHOWNORMAL);
  }
  ExitProcess(0);
}
