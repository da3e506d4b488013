// Special files on Windows: the device names, which open in every folder. Tests only.
#include "tests/unit/special_files.h"

std::vector<SpecialFile> MakeSpecialFiles(const std::filesystem::path&) {
  return {{"NUL", "\\\\.\\NUL"}, {"CON", "\\\\.\\CON"}, {"nul.bmp", "\\\\.\\nul"}};
}
