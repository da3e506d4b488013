// The clean-up at a normal end of the program: the session file leaves the Windows directory.
// Core headers and platform/*.h only.
#include "session/restart_cleanup.h"

#include <cstdint>
#include <cstring>

#include "platform/copy_text.h"
#include "platform/file_system.h"

bool WindowsDirectoryFile(const char* name, char* out, size_t size) {
  if (name == nullptr || out == nullptr || size == 0) return false;
  const uint32_t length = GetWindowsDir(out, static_cast<uint32_t>(size));
  if (length == 0 || length >= size) return false;
  // "/" joins on both systems, as the INI store joins bare names.
  const size_t nameLength = std::strlen(name);
  if (length + 1 + nameLength >= size) return false;
  out[length] = '/';
  CopyText(out + length + 1, size - length - 1, name);
  return true;
}

void UnregisterRestart() {
  char path[260];
  if (WindowsDirectoryFile(kSessionFileName, path, sizeof path)) DeleteFileAt(path);
}
