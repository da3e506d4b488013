// Scratch folders: a fresh name taken by create_directory, which fails on a name in use.
#include "tests/support/scratch_folder.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <system_error>

namespace quorel_test {

ScratchFolder::ScratchFolder(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::filesystem::path temporary = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ =
        temporary / (prefix + std::to_string(stamp % 1000000007) + "-" + std::to_string(++counter));
    std::error_code error;
    if (std::filesystem::create_directory(path_, error)) return;
  }
  throw std::runtime_error("cannot make a scratch folder in " + temporary.string());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace quorel_test
