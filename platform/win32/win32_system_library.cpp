// Loading system DLLs by full path.
#include "platform/win32/win32_system_library.h"

#include <cstring>

HMODULE LoadSystemLibrary(const char* fileName) {
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  const size_t nameLength = std::strlen(fileName);
  // The folder, a backslash, the name and the terminator must fit.
  if (length == 0 || length + 1 + nameLength + 1 > MAX_PATH) return nullptr;
  path[length] = '\\';
  std::memcpy(path + length + 1, fileName, nameLength + 1);
  // No box about a missing file on the old systems: a miss is answered by going without.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(path);
  SetErrorMode(oldMode);
  return module;
}
