// Special files on POSIX systems: a FIFO without a writer and the null device. Tests only.
#include <sys/stat.h>

#include "tests/unit/special_files.h"

std::vector<SpecialFile> MakeSpecialFiles(const std::filesystem::path& folder) {
  const std::filesystem::path fifo = folder / "fifo.bmp";
  if (mkfifo(fifo.c_str(), 0600) != 0) return {};
  return {{"fifo.bmp", fifo.string()}, {"/dev/null", "/dev/null"}};
}
