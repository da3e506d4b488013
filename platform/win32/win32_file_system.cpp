// File tests, opening and deleting files, full paths, current and Windows directory through
// the Win32 API. Paths are the core's UTF-8: wide calls on the NT family, the ANSI code page
// on the 95 family (win32_text.h).
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/win32/win32_text.h"

namespace {

HANDLE OpenPath(const char* path, DWORD access, DWORD share, DWORD disposition) {
  if (WideSystem()) {
    return QUOREL_WIDE("kernel32.dll", CreateFileW)(WideOf(path).c_str(), access, share, nullptr,
                                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  return CreateFileA(AnsiOf(path).c_str(), access, share, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A path the system hands back (wide or ANSI) placed as UTF-8, the way the A call places it:
// the count, or the size needed when it does not fit; 0 stays 0.
uint32_t PlacePath(const std::string& path, bool failed, char* out, uint32_t size) {
  return failed ? 0 : PlaceText(path, out, size);
}

}  // namespace

FileProbeResult ProbeFile(const char* path) {
  FileProbeResult result{0, 0, 0};
  if (path == nullptr) return result;
  HANDLE file = OpenPath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
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
  std::FILE* file =
      WideSystem() ? _wfopen(WideOf(path).c_str(), L"rb") : std::fopen(AnsiOf(path).c_str(), "rb");
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

int DeleteFileAt(const char* path) {
  if (path == nullptr) return 0;
  if (WideSystem()) return QUOREL_WIDE("kernel32.dll", DeleteFileW)(WideOf(path).c_str()) ? 1 : 0;
  return DeleteFileA(AnsiOf(path).c_str()) ? 1 : 0;
}

uint32_t GetFullPath(const char* name, char* out, uint32_t size) {
  if (name == nullptr) return 0;
  if (WideSystem()) {
    wchar_t full[MAX_PATH * 4];
    const DWORD length = QUOREL_WIDE("kernel32.dll", GetFullPathNameW)(WideOf(name).c_str(),
                                                                       MAX_PATH * 4, full, nullptr);
    return PlacePath(Utf8OfWide(full, static_cast<int>(length)),
                     length == 0 || length >= MAX_PATH * 4, out, size);
  }
  char full[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(AnsiOf(name).c_str(), sizeof full, full, nullptr);
  return PlacePath(Utf8OfAnsi(full, static_cast<int>(length)), length == 0 || length >= sizeof full,
                   out, size);
}

uint32_t GetCurrentDir(char* out, uint32_t size) {
  if (WideSystem()) {
    wchar_t dir[MAX_PATH * 4];
    const DWORD length = QUOREL_WIDE("kernel32.dll", GetCurrentDirectoryW)(MAX_PATH * 4, dir);
    return PlacePath(Utf8OfWide(dir, static_cast<int>(length)),
                     length == 0 || length >= MAX_PATH * 4, out, size);
  }
  char dir[MAX_PATH * 2];
  const DWORD length = GetCurrentDirectoryA(sizeof dir, dir);
  return PlacePath(Utf8OfAnsi(dir, static_cast<int>(length)), length == 0 || length >= sizeof dir,
                   out, size);
}

int SetCurrentDir(const char* path) {
  if (path == nullptr) return 0;
  if (WideSystem()) {
    return QUOREL_WIDE("kernel32.dll", SetCurrentDirectoryW)(WideOf(path).c_str()) ? 1 : 0;
  }
  return SetCurrentDirectoryA(AnsiOf(path).c_str()) ? 1 : 0;
}

uint32_t GetWindowsDir(char* out, uint32_t size) {
  if (WideSystem()) {
    wchar_t dir[MAX_PATH * 4];
    const UINT length = QUOREL_WIDE("kernel32.dll", GetWindowsDirectoryW)(dir, MAX_PATH * 4);
    return PlacePath(Utf8OfWide(dir, static_cast<int>(length)),
                     length == 0 || length >= MAX_PATH * 4, out, size);
  }
  char dir[MAX_PATH * 2];
  const UINT length = GetWindowsDirectoryA(dir, sizeof dir);
  return PlacePath(Utf8OfAnsi(dir, static_cast<int>(length)), length == 0 || length >= sizeof dir,
                   out, size);
}

int MakeWindowsDir() { return 1; }

uint32_t GetProgramPath(char* out, uint32_t size) {
  if (out == nullptr || size == 0) return 0;
  // A result that fills the buffer was cut (XP does not even terminate it).
  std::string path;
  if (WideSystem()) {
    wchar_t wide[MAX_PATH * 4];
    const DWORD length =
        QUOREL_WIDE("kernel32.dll", GetModuleFileNameW)(nullptr, wide, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) return 0;
    path = Utf8OfWide(wide, static_cast<int>(length));
  } else {
    char ansi[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameA(nullptr, ansi, sizeof ansi);
    if (length == 0 || length >= sizeof ansi) return 0;
    path = Utf8OfAnsi(ansi, static_cast<int>(length));
  }
  return path.size() < size ? PlaceText(path, out, size) : 0;
}

int WriteProgramFile(const char* path, const unsigned char* bytes, size_t size) {
  if (path == nullptr || bytes == nullptr) return 0;
  HANDLE file = OpenPath(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return ok && written == size ? 1 : 0;
}
