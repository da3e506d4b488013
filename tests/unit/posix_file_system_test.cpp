// Tests of the POSIX file seam: only regular files are opened (a FIFO, device or folder is
// refused at once, by the file tests and by the INI store alike), and deleting files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "portable/portable_profile.h"
#include "profile/profile.h"
#include "tests/unit/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using PosixFileSystemTest = TempFolderTest;

// A FIFO without a writer blocks a plain open for ever: these calls returning at all is half
// of the test.
TEST_F(PosixFileSystemTest, OnlyRegularFilesAreOpened) {
  const std::string file = Write("menu.ini", "[s]\nk=v\n");
  const std::string fifo = PathOf("fifo.ini");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  const struct {
    const char* what;
    std::string path;
    int opened;
    int missing;
  } cases[] = {
      {"regular file", file, 1, 0},
      {"regular file named with '\\'", root_.string() + "\\menu.ini", 1, 0},
      {"FIFO", fifo, 0, 0},
      {"device", "/dev/null", 0, 0},
      {"folder", root_.string(), 0, 0},
      {"missing", PathOf("missing.ini"), 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.opened, ProbeFile(c.path.c_str()).opened);
    EXPECT_EQ(c.opened, FileExists(c.path.c_str()));
    EXPECT_EQ(c.opened, CProfile::FileHasData(c.path.c_str()));
    // The INI store and the bitmap reader take names with '/' only.
    if (c.path.find('\\') != std::string::npos) continue;
    int missing = -1;
    std::FILE* opened = OpenFileForReading(c.path.c_str(), &missing);
    EXPECT_EQ(c.opened, opened != nullptr);
    EXPECT_EQ(c.missing, missing);
    if (opened != nullptr) std::fclose(opened);
    char value[16];
    PortableReadProfileString("s", "k", "none", value, sizeof value, c.path.c_str());
    EXPECT_STREQ(c.opened ? "v" : "none", value);
  }
  // What cannot be read is never replaced by a write.
  EXPECT_EQ(0, PortableWriteProfileString("s", "k", "w", fifo.c_str()));
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(PosixFileSystemTest, DeleteFileAtRemovesFilesOnly) {
  fs::create_directories(root_ / "sub");
  Write("sub/b.txt", "x");
  const struct {
    const char* what;
    const char* create;  // file made in the folder first, or null
    std::string path;
    int result;
  } cases[] = {
      {"file", "a.txt", PathOf("a.txt"), 1},
      // Paths come from real folders: a backslash belongs to a name, it separates nothing.
      {"name with '\\'", "x\\y.txt", PathOf("x\\y.txt"), 1},
      {"'\\' is no separator", nullptr, root_.string() + "\\sub\\b.txt", 0},
      {"missing", nullptr, PathOf("c.txt"), 0},
      {"folder", nullptr, PathOf("sub"), 0},
      {"empty name", nullptr, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.create != nullptr) Write(c.create, "x");
    EXPECT_EQ(c.result, DeleteFileAt(c.path.c_str()));
    if (c.create != nullptr) {
      EXPECT_FALSE(fs::exists(PathOf(c.create)));
    }
  }
  EXPECT_TRUE(fs::is_directory(root_ / "sub"));
  EXPECT_TRUE(fs::exists(root_ / "sub" / "b.txt"));
  EXPECT_EQ(0, DeleteFileAt(nullptr));
}

}  // namespace
