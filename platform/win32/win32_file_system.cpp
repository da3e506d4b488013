// File tests, opening and deleting files, full paths, current and Windows directory through
// the Win32 API.
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"

FileProbeResult ProbeFile(const char* path) {
  FileProbeResult result{0, 0, 0};
  if (path == nullptr) return result;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;
  // A device name (CON, COM1, a pipe) opens, but reading it could wait for ever.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return result;
  }
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

std::FILE* OpenFileForReading(const char* path, int* missing) {
  if (missing != nullptr) *missing = 0;
  if (path == nullptr) return nullptr;
  errno = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    if (missing != nullptr) *missing = errno == ENOENT ? 1 : 0;
    return nullptr;
  }
  // A device name (CON, COM1, a pipe) opens, but reading it could wait for ever.
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

const char kPathSeparator = '\\';

int DeleteFileAt(const char* path) { return path != nullptr && DeleteFileA(path) ? 1 : 0; }

uint32_t GetFullPath(const char* name, char* out, uint32_t size) {
  if (name == nullptr) return 0;
  return GetFullPathNameA(name, size, out, nullptr);
}

uint32_t GetCurrentDir(char* out, uint32_t size) { return GetCurrentDirectoryA(size, out); }

int SetCurrentDir(const char* path) { return SetCurrentDirectoryA(path) ? 1 : 0; }

uint32_t GetWindowsDir(char* out, uint32_t size) { return GetWindowsDirectoryA(out, size); }

int MakeWindowsDir() { return 1; }

uint32_t GetProgramPath(char* out, uint32_t size) {
  if (out == nullptr || size == 0) return 0;
  // A result that fills the buffer was cut (XP does not even terminate it).
  const DWORD length = GetModuleFileNameA(nullptr, out, size);
  return length > 0 && length < size ? length : 0;
}

int WriteProgramFile(const char* path, const unsigned char* bytes, size_t size) {
  if (path == nullptr || bytes == nullptr) return 0;
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return ok && written == size ? 1 : 0;
}
