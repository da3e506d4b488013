// File tests, full paths, current and Windows directory through the Win32 API.
#include <windows.h>

#include "platform/file_system.h"

FileProbeResult ProbeFile(const char* path) {
  FileProbeResult result{0, 0, 0};
  if (path == nullptr) return result;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;
  result.opened = 1;
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (!(low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)) {
    result.sizeKnown = 1;
    result.size = (static_cast<uint64_t>(high) << 32) | low;
  }
  CloseHandle(file);
  return result;
}

uint32_t GetFullPath(const char* name, char* out, uint32_t size) {
  if (name == nullptr) return 0;
  return GetFullPathNameA(name, size, out, nullptr);
}

uint32_t GetCurrentDir(char* out, uint32_t size) { return GetCurrentDirectoryA(size, out); }

int SetCurrentDir(const char* path) { return SetCurrentDirectoryA(path) ? 1 : 0; }

uint32_t GetWindowsDir(char* out, uint32_t size) { return GetWindowsDirectoryA(out, size); }
