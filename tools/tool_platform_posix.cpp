// The tool's entry on Linux: the programs dist ships come from an unpacked release when the tool
// lies in one (linux/quorel-tool beside linux/portable/ and windows/), else from the build trees.
#include <filesystem>
#include <system_error>

#include "tools/tool_platform.h"

namespace fs = std::filesystem;

namespace {

// The folder of the running tool; empty when the system does not tell.
fs::path ToolFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path();
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

}  // namespace

void StartToolProcess() {}

std::vector<std::string> ToolArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string DefaultWindowsProgram() {
  const fs::path folder = ToolFolder();
  const fs::path released =
      folder.empty() ? fs::path() : folder.parent_path() / "windows" / "quorel.exe";
  return IsFile(released) ? released.string() : QUOREL_DIST_EXE;
}

std::string DefaultLinuxDir() {
  const fs::path folder = ToolFolder();
  const fs::path released = folder.empty() ? fs::path() : folder / "portable";
  return IsFile(released / "quorel") ? released.string() : QUOREL_DIST_LINUX;
}
