// The log-on registration on Windows: a value of the Run key, under HKLM or else HKCU.
// Win32 calls only, no C runtime: the reload program, linked without one, uses this file too.
#include <windows.h>

#include "platform/log_on.h"

const char kReloadProgramName[] = "pindrel.exe";

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key of root opened for setting and deleting values (never created); null when it
// cannot be opened so.
HKEY OpenRunKey(HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

}  // namespace

void SetLogOnCommand(const char* name, const char* program, const char* argument) {
  if (name == nullptr || program == nullptr || argument == nullptr) return;
  // "program argument": both bare names, so the command is short; one that would not fit is
  // not registered rather than registered cut.
  char command[MAX_PATH * 2];
  if (lstrlenA(program) + 1 + lstrlenA(argument) >= static_cast<int>(sizeof(command))) return;
  const int length = wsprintfA(command, "%s %s", program, argument);
  if (length < 0) return;
  // A user without write access to the machine's key still gets recovery at their own log-on.
  HKEY key = OpenRunKey(HKEY_LOCAL_MACHINE);
  if (key == nullptr) key = OpenRunKey(HKEY_CURRENT_USER);
  if (key == nullptr) return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                 static_cast<DWORD>(length) + 1);
  RegCloseKey(key);
}

void RemoveLogOnCommand(const char* name) {
  if (name == nullptr) return;
  const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  for (HKEY root : roots) {
    HKEY key = OpenRunKey(root);
    if (key == nullptr) continue;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
  }
}
