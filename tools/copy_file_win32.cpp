// Copying a file to a new name (Windows): read and written in blocks, so that a failure names
// the side it happened on.
#include <windows.h>

#include "tools/copy_file.h"
#include "tools/system_message_win32.h"

bool CopyNewFile(const std::string& from, const std::string& to, std::string* where,
                 std::string* reason) {
  const HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    *where = from;
    *reason = SystemMessage(GetLastError());
    return false;
  }
  const HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    *where = to;
    *reason = SystemMessage(GetLastError());
    CloseHandle(in);
    return false;
  }
  static char buffer[1 << 16];
  bool failed = false;
  while (!failed) {
    DWORD got = 0;
    if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr)) {
      *where = from;
      failed = true;
      break;
    }
    if (got == 0) break;
    DWORD put = 0;
    if (!WriteFile(out, buffer, got, &put, nullptr) || put != got) {
      *where = to;
      failed = true;
    }
  }
  const DWORD error = failed ? GetLastError() : ERROR_SUCCESS;
  const bool closed = CloseHandle(out) != 0;
  CloseHandle(in);
  if (!failed && closed) return true;
  if (!failed) *where = to;
  *reason = SystemMessage(failed ? error : GetLastError());
  DeleteFileA(to.c_str());
  return false;
}
