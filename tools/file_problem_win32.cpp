// Telling why a path is no readable file, from its attributes and an open for reading that
// shares everything (Windows).
#include <windows.h>

#include "tools/file_problem.h"
#include "tools/system_message_win32.h"

std::string FileProblem(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH)
      return "no such file";
    // Device names (NUL, CON) may have no attributes: the open below tells.
  } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return "is a folder, not a file";
  }
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool link =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (link && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
      return "symbolic link to nothing";
    return "cannot be read: " + SystemMessage(error);
  }
  const DWORD type = GetFileType(file);
  LARGE_INTEGER size{};
  const bool sized = type == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
  const DWORD error = GetLastError();
  CloseHandle(file);
  if (type == FILE_TYPE_PIPE) return "is a pipe, not a file";
  if (type != FILE_TYPE_DISK) return "is a device, not a file";
  if (!sized) return "cannot be read: " + SystemMessage(error);
  return size.QuadPart == 0 ? "is empty" : "";
}
