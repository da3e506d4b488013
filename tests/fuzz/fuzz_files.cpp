// Scratch files for the fuzz targets, made with POSIX calls (test code only).
#include "tests/fuzz/fuzz_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/scratch_folder.h"

namespace {

// Removed when the run ends (libFuzzer leaves by exit, which runs the destructor).
const std::string& ScratchFolder() {
  static const quorel_test::ScratchFolder scratch("quorel-fuzz-");
  static const std::string folder = [] {
    std::string made = scratch.path().string();
    setenv("QUOREL_WINDIR", made.c_str(), 1);
    // Relative include names resolve inside the scratch folder.
    if (chdir(made.c_str()) != 0) std::abort();
    return made;
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
