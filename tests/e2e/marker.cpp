// Marker program for the end-to-end tests under Wine: writes its command line and current
// directory, as UTF-8, to marker.txt in its current directory. Win32 kernel32 only; knows
// nothing of Quorel.
#include <windows.h>

#include <string>

namespace {

bool WriteAll(HANDLE file, const std::string& text) {
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(text.size());
  return WriteFile(file, text.data(), size, &written, nullptr) && written == size;
}

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size) - 1);
  return out;
}

}  // namespace

// Written to a temporary name and then renamed, so that a reader never sees half a file.
int main() {
  wchar_t directory[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, directory);
  if (length == 0 || length >= MAX_PATH + 1) return 1;
  const HANDLE file = CreateFileW(L"marker.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const bool ok = WriteAll(file, Utf8(GetCommandLineW())) && WriteAll(file, "\r\n") &&
                  WriteAll(file, Utf8(directory)) && WriteAll(file, "\r\n");
  CloseHandle(file);
  if (!ok || !MoveFileExW(L"marker.tmp", L"marker.txt", MOVEFILE_REPLACE_EXISTING)) return 1;
  return 0;
}
