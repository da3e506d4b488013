// The log-on registration on Windows: a value of the Run key, under HKLM or HKCU, and the
// user's own folder for the restart files. Win32 calls only, no C runtime: the reload program,
// linked without one, uses this file too.
#include <windows.h>

#include "platform/log_on.h"

const char kReloadProgramName[] = "pindrel.exe";

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key of root opened for setting and deleting values; null when it cannot be opened
// so. HKLM's is never created (no key there means no rights); the user's own is created when
// a fresh profile lacks it.
HKEY OpenRunKey(HKEY root, bool create) {
  HKEY key = nullptr;
  const LONG result =
      create ? RegCreateKeyExA(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
             : RegOpenKeyExA(root, kRunKey, 0, KEY_SET_VALUE, &key);
  return result == ERROR_SUCCESS ? key : nullptr;
}

bool SetValue(HKEY root, bool create, const char* name, const char* command, int length) {
  HKEY key = OpenRunKey(root, create);
  if (key == nullptr) return false;
  const LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                                     static_cast<DWORD>(length) + 1);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

void DeleteValue(HKEY root, const char* name) {
  HKEY key = OpenRunKey(root, false);
  if (key == nullptr) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

// %LOCALAPPDATA%\Quorel into folder (MAX_PATH); false when the variable does not exist.
bool OwnFolder(char* folder) {
  const char kOwn[] = "\\Quorel";
  const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", folder, MAX_PATH);
  if (length == 0 || length + sizeof kOwn > MAX_PATH) return false;
  int end = static_cast<int>(length);
  while (end > 0 && folder[end - 1] == '\\') folder[--end] = '\0';
  lstrcatA(folder, kOwn);
  return true;
}

}  // namespace

LogOnPlace SetLogOnCommand(const char* name, const char* program, const char* argument,
                           int forEveryUser) {
  if (name == nullptr || program == nullptr || argument == nullptr) return LogOnNowhere;
  // A bare name is found in the Windows directory, on the search path; a full path is quoted,
  // since the user's folder may hold blanks. The argument is used whole by the reload program.
  // wsprintfA writes at most 1,024 characters: a longer command is not registered cut.
  static char command[1024];
  bool bare = true;
  for (const char* c = program; *c != '\0'; ++c) bare = bare && *c != '\\' && *c != '/';
  const bool fits = lstrlenA(program) + lstrlenA(argument) + 3 < static_cast<int>(sizeof(command));
  const int length = fits ? wsprintfA(command, bare ? "%s %s" : "\"%s\" %s", program, argument) : 0;
  if (length > 0 && forEveryUser && SetValue(HKEY_LOCAL_MACHINE, false, name, command, length)) {
    // One registration: a value an earlier run without the rights left under HKCU goes.
    DeleteValue(HKEY_CURRENT_USER, name);
    return LogOnMachine;
  }
  // Where allowed, a machine-wide value of an earlier run goes, so the log-on runs one command.
  DeleteValue(HKEY_LOCAL_MACHINE, name);
  if (length > 0 && SetValue(HKEY_CURRENT_USER, true, name, command, length)) return LogOnUser;
  RemoveLogOnCommand(name);
  return LogOnNowhere;
}

void RemoveLogOnCommand(const char* name) {
  if (name == nullptr) return;
  DeleteValue(HKEY_LOCAL_MACHINE, name);
  DeleteValue(HKEY_CURRENT_USER, name);
}

uint32_t GetPerUserDir(char* out, uint32_t size, int create) {
  char folder[MAX_PATH];
  if (OwnFolder(folder)) {
    if (create && !CreateDirectoryA(folder, nullptr)) {
      const DWORD attributes = GetFileAttributesA(folder);
      if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    }
  } else {
    // Before Vista there is no such variable: the user's temporary folder, which exists.
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return 0;
    int end = static_cast<int>(length);
    while (end > 0 && folder[end - 1] == '\\') folder[--end] = '\0';
  }
  const int length = lstrlenA(folder);
  if (length == 0) return 0;
  if (out == nullptr || static_cast<uint32_t>(length) + 1 > size)
    return static_cast<uint32_t>(length) + 1;
  lstrcpynA(out, folder, length + 1);
  return static_cast<uint32_t>(length);
}

void RemovePerUserDir() {
  char folder[MAX_PATH];
  // Only the program's own folder, and only when empty (the call refuses a folder with files).
  if (OwnFolder(folder)) RemoveDirectoryA(folder);
}

// A Windows program has no standard error to write to, and the menu has never told the user
// about its recovery: nothing is said.
void ReportRecoveryOff(const char* what, const char* reason) { (void)what, (void)reason; }
