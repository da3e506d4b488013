// A fresh folder for each test under the system's temporary directory, removed afterwards,
// with helpers to write and read files in it. Tests only.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::filesystem::temp_directory_path() /
            ("quorel-test-" + std::to_string(stamp) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

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
};
