// Writing through a temporary name and a rename (see the header), Windows: the temporary file
// is made new (CREATE_NEW) and moved over the target with MoveFileEx, which replaces a link
// itself rather than what it points to.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "tools/output_file.h"
#include "tools/system_message_win32.h"

namespace {

// A file of a new name beside path ("." name and a number); INVALID_HANDLE_VALUE when none
// could be made.
HANDLE NewTemporary(const std::string& path, std::string* temporary) {
  const size_t cut = path.find_last_of("/\\:");
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (DWORD attempt = 0; attempt < 100; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08lx", static_cast<unsigned long>(seed + attempt));
    *temporary = folder;
    *temporary += '.';
    *temporary += name;
    *temporary += suffix;
    const HANDLE file = CreateFileA(temporary->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool WriteOutputFile(const std::string& path, unsigned mode,
                     const std::function<bool(std::FILE*, std::string*)>& fill,
                     std::string* error) {
  (void)mode;  // Windows files have no permission bits
  std::string temporary;
  const HANDLE handle = NewTemporary(path, &temporary);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = "cannot write " + path + ": " + SystemMessage(GetLastError());
    return false;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
  std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    *error = "cannot write " + path + ": cannot open the temporary file";
    if (fd >= 0) {
      _close(fd);
    } else {
      CloseHandle(handle);
    }
    DeleteFileA(temporary.c_str());
    return false;
  }
  std::string why;
  const bool filled = fill(file, &why);
  const bool flushed = filled && std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!filled || !flushed || !closed) {
    *error = "cannot write " + path + ": " + (!filled ? why : std::string("the disk refused it"));
    DeleteFileA(temporary.c_str());
    return false;
  }
  if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    *error = "cannot write " + path + ": " + SystemMessage(GetLastError());
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool ForceFileMode(const std::string&, unsigned, std::string*) { return true; }
