// Loading system DLLs by full path.
#include "platform/win32/win32_system_library.h"

#include <cstring>

#include "platform/copy_text.h"

HMODULE LoadSystemLibrary(const char* fileName) {
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  // The folder, a backslash and the whole name must fit: a cut name would be another file.
  if (length == 0 || length + 1 + std::strlen(fileName) >= MAX_PATH) return nullptr;
  path[length] = '\\';
  CopyText(path + length + 1, MAX_PATH - length - 1, fileName);
  // No box about a missing file on the old systems: a miss is answered by going without.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(path);
  SetErrorMode(oldMode);
  return module;
}
