// A new folder under the system's temporary directory for one scope of a test, a fuzz run or a
// benchmark, removed with all it holds when the scope ends: after failed assertions too, so a
// test run leaves the temporary directory as it found it. Tests only; standard library only.
#pragma once

#include <filesystem>
#include <string>

namespace quorel_test {

class ScratchFolder {
 public:
  // Makes "<temporary directory>/<prefix><number>", a name no one else has taken.
  explicit ScratchFolder(const std::string& prefix);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace quorel_test
