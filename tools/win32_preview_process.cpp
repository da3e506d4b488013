// PreviewProcess on Windows: CreateProcess with the tool's standard handles inherited, and a
// look at the process without waiting. For quorel-tool.exe; Win32 only.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/native_path.h"
#include "tools/preview_process.h"

std::string MenuProgramBesideTool() {
  wchar_t self[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
  if (length == 0 || length >= MAX_PATH + 1) return std::string();
  std::wstring path(self, length);
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return std::string();
  path = path.substr(0, separator + 1) + L"quorel.exe";
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return std::string();
  return NativeText(std::filesystem::path(path));
}

PreviewProcess::~PreviewProcess() {
  if (id_ < 0) return;
  HANDLE process = reinterpret_cast<HANDLE>(static_cast<intptr_t>(id_));
  if (Poll() == -1) TerminateProcess(process, 1);
  CloseHandle(process);
}

bool PreviewProcess::Start(const std::string& program, const std::string& file,
                           std::string* error) {
  // The file is quoted whole; a path cannot hold a quotation mark on Windows. Paths are UTF-8.
  const std::wstring wideProgram = NativePath(program).native();
  const std::wstring command =
      L"\"" + wideProgram + L"\" --preview \"" + NativePath(file).native() + L"\"";
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(wideProgram.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &started)) {
    *error = program + ": cannot be started (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(started.hThread);
  id_ = static_cast<long long>(reinterpret_cast<intptr_t>(started.hProcess));
  return true;
}

int PreviewProcess::Poll() {
  if (code_ != -1 || id_ < 0) return code_ != -1 ? code_ : 0;
  HANDLE process = reinterpret_cast<HANDLE>(static_cast<intptr_t>(id_));
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) return -1;
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  code_ = static_cast<int>(code);
  return code_;
}
