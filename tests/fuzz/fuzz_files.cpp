// Scratch files for the fuzz targets, made with POSIX calls (test code only).
#include "tests/fuzz/fuzz_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

const std::string& ScratchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/quorel-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    setenv("QUOREL_WINDIR", made, 1);
    // Relative include names resolve inside the scratch folder.
    if (chdir(made) != 0) std::abort();
    return std::string(made);
  }();
  return folder;
}

}  // namespace

std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}

FuzzPieces SplitFuzzInput(const uint8_t* data, size_t size, int count) {
  FuzzPieces pieces;
  int index = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0x01 && index + 1 < count && index < 7) {
      ++index;
      continue;
    }
    pieces.piece[index].push_back(static_cast<char>(data[i]));
  }
  return pieces;
}
