// The log-on registration on Windows: a value of the Run key, under HKLM or HKCU, and the
// user's own folder for the restart files. Texts are UTF-8: wide calls on the NT family, the
// ANSI code page on the 95 family. Win32 calls only, no C runtime: the reload program, linked
// without one, uses this file too.
#include <windows.h>

#include "platform/log_on.h"
#include "platform/win32/win32_text.h"

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

// Static rather than on the stack: a frame this size would need the C runtime's stack probe.
wchar_t wideName[64];
wchar_t wideCommand[1024];
char ansiCommand[2048];

// Sets the value name (ASCII) to command (UTF-8): as UTF-16 on the NT family, so a path
// outside the ANSI code page is kept; in that code page on the 95 family.
bool SetValue(HKEY root, bool create, const char* name, const char* command) {
  HKEY key = OpenRunKey(root, create);
  if (key == nullptr) return false;
  const int units = Utf8ToWide(command, -1, wideCommand, 1024);
  LONG result = ERROR_INVALID_FUNCTION;
  if (WideSystem()) {
    Utf8ToWide(name, -1, wideName, 64);
    result = QUOREL_WIDE("advapi32.dll", RegSetValueExW)(
        key, wideName, 0, REG_SZ, reinterpret_cast<const BYTE*>(wideCommand),
        static_cast<DWORD>(units + 1) * sizeof(wchar_t));
  } else {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wideCommand, units + 1, ansiCommand,
                                          sizeof ansiCommand, "?", nullptr);
    if (bytes > 0) {
      result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(ansiCommand),
                              static_cast<DWORD>(bytes));
    }
  }
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

void DeleteValue(HKEY root, const char* name) {
  HKEY key = OpenRunKey(root, false);
  if (key == nullptr) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

// %LOCALAPPDATA%\Quorel into folder (MAX_PATH units); false when the variable does not exist
// (before Vista, and on the 95 family).
bool OwnFolder(wchar_t* folder) {
  const wchar_t kOwn[] = L"\\Quorel";
  if (!WideSystem()) return false;
  const DWORD length =
      QUOREL_WIDE("kernel32.dll", GetEnvironmentVariableW)(L"LOCALAPPDATA", folder, MAX_PATH);
  if (length == 0 || length + sizeof kOwn / sizeof(wchar_t) > MAX_PATH) return false;
  int end = static_cast<int>(length);
  while (end > 0 && folder[end - 1] == L'\\') folder[--end] = L'\0';
  for (const wchar_t c : kOwn) folder[end++] = c;
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
  if (length > 0 && forEveryUser && SetValue(HKEY_LOCAL_MACHINE, false, name, command)) {
    // One registration: a value an earlier run without the rights left under HKCU goes.
    DeleteValue(HKEY_CURRENT_USER, name);
    return LogOnMachine;
  }
  // Where allowed, a machine-wide value of an earlier run goes, so the log-on runs one command.
  DeleteValue(HKEY_LOCAL_MACHINE, name);
  if (length > 0 && SetValue(HKEY_CURRENT_USER, true, name, command)) return LogOnUser;
  RemoveLogOnCommand(name);
  return LogOnNowhere;
}

void RemoveLogOnCommand(const char* name) {
  if (name == nullptr) return;
  DeleteValue(HKEY_LOCAL_MACHINE, name);
  DeleteValue(HKEY_CURRENT_USER, name);
}

uint32_t GetPerUserDir(char* out, uint32_t size, int create) {
  wchar_t folder[MAX_PATH];
  if (OwnFolder(folder)) {
    if (create && !QUOREL_WIDE("kernel32.dll", CreateDirectoryW)(folder, nullptr)) {
      const DWORD attributes = QUOREL_WIDE("kernel32.dll", GetFileAttributesW)(folder);
      if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    }
  } else {
    // Before Vista there is no such variable: the user's temporary folder, which exists.
    DWORD length = 0;
    if (WideSystem()) {
      length = QUOREL_WIDE("kernel32.dll", GetTempPathW)(MAX_PATH, folder);
    } else {
      char ansi[MAX_PATH];
      length = GetTempPathA(MAX_PATH, ansi);
      if (length > 0 && length < MAX_PATH) {
        length = static_cast<DWORD>(
            MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(length), folder, MAX_PATH - 1));
      }
    }
    if (length == 0 || length >= MAX_PATH) return 0;
    int end = static_cast<int>(length);
    folder[end] = L'\0';
    while (end > 0 && folder[end - 1] == L'\\') folder[--end] = L'\0';
  }
  char utf8[MAX_PATH * 3];
  const int length = WideToUtf8(folder, -1, utf8, sizeof utf8);
  if (length == 0) return 0;
  if (out == nullptr || static_cast<uint32_t>(length) + 1 > size)
    return static_cast<uint32_t>(length) + 1;
  lstrcpynA(out, utf8, length + 1);
  return static_cast<uint32_t>(length);
}

void RemovePerUserDir() {
  wchar_t folder[MAX_PATH];
  // Only the program's own folder, and only when empty (the call refuses a folder with files).
  if (OwnFolder(folder)) QUOREL_WIDE("kernel32.dll", RemoveDirectoryW)(folder);
}

// A Windows program has no standard error to write to, and the menu has never told the user
// about its recovery: nothing is said.
void ReportRecoveryOff(const char* what, const char* reason) { (void)what, (void)reason; }
