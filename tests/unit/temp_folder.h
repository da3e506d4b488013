// A fresh folder for each test under the system's temporary directory, removed afterwards,
// with helpers to write and read files in it. Tests only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/scratch_folder.h"

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.emplace("quorel-test-");
    root_ = folder_->path();
  }
  void TearDown() override { folder_.reset(); }

  std::string PathOf(const std::string& name) const { return (root_ / name).string(); }

  // Writes bytes to name in the folder and returns its full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    return path;
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  std::filesystem::path root_;

 private:
  std::optional<quorel_test::ScratchFolder> folder_;
};
