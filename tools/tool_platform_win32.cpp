// The tool's entry on Windows: libraries from the system folder only, and the programs dist
// ships found from the tool's own place.
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <filesystem>

#include "platform/win32/win32_system_library.h"
#include "tools/native_path.h"
#include "tools/tool_platform.h"

namespace {

// The folder quorel-tool.exe is in; empty when the system does not tell.
std::filesystem::path ToolFolder() {
  wchar_t path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  if (length == 0 || length >= MAX_PATH + 1) return std::filesystem::path();
  return std::filesystem::path(std::wstring(path, length)).parent_path();
}

}  // namespace

void StartToolProcess() { LoadLibrariesFromSystemFolderOnly(); }

std::vector<std::string> ToolArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(NativeText(std::filesystem::path(wide[i])));
  LocalFree(wide);
  return arguments;
}

std::string DefaultWindowsProgram() { return NativeText(ToolFolder() / "quorel.exe"); }
std::string DefaultLinuxDir() {
  return NativeText(ToolFolder().parent_path() / "linux" / "portable");
}
