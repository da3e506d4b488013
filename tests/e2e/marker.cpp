// Marker program for the end-to-end tests under Wine: writes its command line and current
// directory to marker.txt in its current directory. Win32 kernel32 only; knows nothing of Quorel.
#include <windows.h>

#include <cstring>

namespace {

bool WriteAll(HANDLE file, const char* text) {
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(std::strlen(text));
  return WriteFile(file, text, size, &written, nullptr) && written == size;
}

}  // namespace

// Written to a temporary name and then renamed, so that a reader never sees half a file.
int main() {
  char directory[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
  if (length == 0 || length >= sizeof directory) return 1;
  const HANDLE file = CreateFileA("marker.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const bool ok = WriteAll(file, GetCommandLineA()) && WriteAll(file, "\r\n") &&
                  WriteAll(file, directory) && WriteAll(file, "\r\n");
  CloseHandle(file);
  if (!ok || !MoveFileExA("marker.tmp", "marker.txt", MOVEFILE_REPLACE_EXISTING)) return 1;
  return 0;
}
