// Tests of the portable INI store: the shared read cases, hostile files, writing, paths.
// Files live in a fresh folder under the system temp directory, removed afterwards.
#include "portable/portable_profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "platform/file_system.h"
#include "tests/support/scoped_env.h"
#include "tests/unit/profile_store_cases.h"
#include "tests/unit/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace profile_store_cases;

constexpr char kUntouched = '\x7E';

class PortableProfileTest : public TempFolderTest {
 protected:
  std::string Path(const char* name) const { return PathOf(name); }

  static void Put(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
  }
  static std::string Get(const std::string& path) { return ReadAll(path); }
  std::string Value(const std::string& path, const char* section, const char* key,
                    uint32_t size = 260) const {
    std::vector<char> out(size);
    uint32_t count =
        PortableReadProfileString(section, key, "<none>", out.data(), size, path.c_str());
    return std::string(out.data(), count);
  }
  size_t FilesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(root_), {}));
  }
};

// ---- The shared read cases ----------------------------------------------------------------

TEST_F(PortableProfileTest, ReadCases) {
  std::string path = Path("cases.ini");
  for (const ProfileCase& c : kReadCases) {
    SCOPED_TRACE(c.what);
    std::error_code ignored;
    fs::remove(path, ignored);
    if (!(c.flags & kNoFile)) Put(path, c.content);
    std::vector<char> out(c.size > 0 ? c.size : 1, kUntouched);
    uint32_t count = c.call == ProfileCall::kString
                         ? PortableReadProfileString(c.section, c.key, c.defaultValue, out.data(),
                                                     c.size, path.c_str())
                         : PortableReadProfileSection(c.section, out.data(), c.size, path.c_str());
    EXPECT_EQ(count, c.count);
    ASSERT_LE(c.placed.size(), out.size());
    EXPECT_EQ(std::string_view(out.data(), c.placed.size()), c.placed);
    if (c.placed.size() < out.size()) {
      EXPECT_EQ(out[c.placed.size()], kUntouched);
    }
  }
}

TEST_F(PortableProfileTest, NullAndEmptyArgumentsReadAsMisses) {
  std::string path = Path("a.ini");
  Put(path, "[s]\r\nk=v\r\n");
  char out[16];
  EXPECT_EQ(PortableReadProfileString("s", "k", "dflt", out, sizeof out, nullptr), 4u);
  EXPECT_STREQ(out, "dflt");
  EXPECT_EQ(PortableReadProfileString("s", "k", "dflt", out, sizeof out, ""), 4u);
  EXPECT_EQ(PortableReadProfileString(nullptr, "k", "dflt", out, sizeof out, path.c_str()), 4u);
  EXPECT_EQ(PortableReadProfileString("s", nullptr, "dflt", out, sizeof out, path.c_str()), 4u);
  EXPECT_STREQ(out, "dflt");
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(PortableReadProfileSection(nullptr, out, sizeof out, path.c_str()), 0u);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(PortableReadProfileSection("s", out, sizeof out, ""), 0u);
  // A folder is no file.
  EXPECT_EQ(PortableReadProfileString("s", "k", "dflt", out, sizeof out, root_.string().c_str()),
            4u);
}

// ---- Hostile files ------------------------------------------------------------------------

TEST_F(PortableProfileTest, LongLinesAreReadWhole) {
  std::string path = Path("long.ini");
  std::string longValue(100000, 'v');
  Put(path, "[s]\r\n" + std::string(100000, 'x') + "\r\nk=" + longValue + "\r\nn=1");
  EXPECT_EQ(Value(path, "s", "k", 100001), longValue);
  EXPECT_EQ(Value(path, "s", "k", 260), longValue.substr(0, 259));
  EXPECT_EQ(Value(path, "s", "n"), "1");
}

TEST_F(PortableProfileTest, BigFileWithCrOnlyLineEnds) {
  std::string path = Path("big.ini");
  std::string content = "[s]\r";
  content.reserve(10 * 1024 * 1024 + 64);
  while (content.size() < 10 * 1024 * 1024) content += "key = some value of a middling size\r";
  content += "last=found";  // no final line end
  Put(path, content);
  EXPECT_EQ(Value(path, "s", "last"), "found");
  ASSERT_EQ(PortableWriteProfileString("s", "added", "1", path.c_str()), 1);
  EXPECT_EQ(Get(path), content + "\r\nadded=1\r\n");
}

TEST_F(PortableProfileTest, SectionLargerThanBufferIsCutWithTwoNuls) {
  std::string path = Path("sec.ini");
  std::string content = "[s]\r\n";
  std::string block;
  for (int i = 0; block.size() < 40000; ++i) {
    std::string entry = "key" + std::to_string(i) + "=value" + std::to_string(i);
    content += entry + "\r\n";
    block += entry + '\0';
  }
  Put(path, content);
  const uint32_t size = 32767;
  std::vector<char> out(size);
  EXPECT_EQ(PortableReadProfileSection("s", out.data(), size, path.c_str()), size - 2);
  EXPECT_EQ(std::string(out.data(), size - 2), block.substr(0, size - 2));
  EXPECT_EQ(out[size - 2], '\0');
  EXPECT_EQ(out[size - 1], '\0');
  // With room for all of it, the whole list and the final NUL.
  std::vector<char> all(block.size() + 1);
  EXPECT_EQ(
      PortableReadProfileSection("s", all.data(), static_cast<uint32_t>(all.size()), path.c_str()),
      block.size());
  EXPECT_EQ(std::string(all.data(), all.size()), block + '\0');
}

TEST_F(PortableProfileTest, BinaryGarbageNeitherCrashesNorBlocksWrites) {
  std::string path = Path("garbage.ini");
  std::mt19937 random(12345);
  std::string content(65536, '\0');
  for (char& c : content) c = static_cast<char>(random() & 0xFF);
  Put(path, content);
  std::vector<char> out(70000);
  PortableReadProfileSection("s", out.data(), static_cast<uint32_t>(out.size()), path.c_str());
  Value(path, "s", "k");
  // A new section goes after the garbage, which is kept, and reads back.
  ASSERT_EQ(PortableWriteProfileString("Quorel test", "key", "value", path.c_str()), 1);
  std::string written = Get(path);
  EXPECT_EQ(written.compare(0, content.size(), content), 0);
  EXPECT_EQ(Value(path, "Quorel test", "key"), "value");
}

// ---- Writing ------------------------------------------------------------------------------

TEST_F(PortableProfileTest, NewFileHasTheExactBytes) {
  std::string path = Path("new.ini");
  ASSERT_EQ(PortableWriteProfileString("App", "key", "value", path.c_str()), 1);
  EXPECT_EQ(Get(path), "[App]\r\nkey=value\r\n");
  EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind
}

// The sequence of the conformance tests, with the file after every step.
TEST_F(PortableProfileTest, BuildUpAndDelete) {
  std::string path = Path("steps.ini");
  ASSERT_EQ(PortableWriteProfileString("App1", "key1", "string1", path.c_str()), 1);
  ASSERT_EQ(PortableWriteProfileString("App1", "key2", "string2", path.c_str()), 1);
  ASSERT_EQ(PortableWriteProfileString("App1", "key3", "string3", path.c_str()), 1);
  ASSERT_EQ(PortableWriteProfileString("App2", "key4", "string4", path.c_str()), 1);
  ASSERT_EQ(PortableWriteProfileString("App3", "key5", "string5", path.c_str()), 1);
  std::string app2And3 = "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n";
  EXPECT_EQ(Get(path), "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n" + app2And3);

  struct Step {
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  } steps[] = {
      {"App1", "key2", nullptr, "[App1]\r\nkey1=string1\r\nkey3=string3\r\n" + app2And3},
      {"App1", "key2", nullptr, "[App1]\r\nkey1=string1\r\nkey3=string3\r\n" + app2And3},
      {"App1", nullptr, "string1", app2And3},
      {"App2", nullptr, nullptr, "[App3]\r\nkey5=string5\r\n"},
      {"App3", "key5", nullptr, "[App3]\r\n"},
      {"nosuch", nullptr, nullptr, "[App3]\r\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.section) + "/" + (step.key ? step.key : "(null)"));
    EXPECT_EQ(PortableWriteProfileString(step.section, step.key, step.value, path.c_str()), 1);
    EXPECT_EQ(Get(path), step.after);
  }
}

// Every write against one starting file: file bytes before, call, file bytes after.
TEST_F(PortableProfileTest, EditsKeepEverythingElse) {
  struct Case {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  } cases[] = {
      {"new key after the last key line, before trailing comment and blank lines",
       "[A]\r\nx=1\r\n;note\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
       "[A]\r\nx=1\r\nz=3\r\n;note\r\n\r\n[B]\r\ny=2\r\n"},
      {"new key into a section without keys", "[A]\r\n\r\n[B]\r\n", "A", "k", "v",
       "[A]\r\nk=v\r\n\r\n[B]\r\n"},
      {"existing key keeps its place, its spelling and its line end",
       "; top\n[SeC]\n  KeY = old  \nnext=1\n", "sec", "key", "new",
       "; top\n[SeC]\nKeY=new\nnext=1\n"},
      {"other lines kept byte for byte", "junk \t\r\n[A]\rx = 1 \r;c\n\n[B]\n  y =2\n", "B", "z",
       "9", "junk \t\r\n[A]\rx = 1 \r;c\n\n[B]\n  y =2\nz=9\r\n"},
      {"no final line end: one is added before a new key", "[A]\r\nx=1", "A", "y", "2",
       "[A]\r\nx=1\r\ny=2\r\n"},
      {"no final line end: one is added before a new section",
       "Data \0 before \0 first \0 section"s, "section1", "key1", "string1",
       "Data \0 before \0 first \0 section\r\n[section1]\r\nkey1=string1\r\n"s},
      {"the last key line ends the file", "[A]\r\nx=1\r\n[B]\r\ny=2", "B", "y", "3",
       "[A]\r\nx=1\r\n[B]\r\ny=3"},
      {"value written verbatim; argument spaces go", "", "  S  ", " k ", "  \"v\" ;x ",
       "[S]\r\nk=  \"v\" ;x \r\n"},
      {"the first of duplicate sections is changed", "[s]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b", "3",
       "[s]\r\na=1\r\nb=3\r\n[s]\r\nb=2\r\n"},
      {"a byte order mark is kept", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "w",
       "\xEF\xBB\xBF[s]\r\nk=w\r\n"},
      {"an ANSI file keeps its bytes while only ASCII goes in", "[s]\r\nk=caf\xE9\r\n", "s", "n",
       "1", "[s]\r\nk=caf\xE9\r\nn=1\r\n"},
      {"an ANSI file that gets other characters is written as UTF-8",
       "[global]\r\nCodePage=1251\r\n[s]\r\nk=\xCF\r\n", "s", "n", "\xC3\xA9",
       "[global]\r\nCodePage=1251\r\n[s]\r\nk=\xD0\x9F\r\nn=\xC3\xA9\r\n"},
      {"a UTF-16 file stays UTF-16", "\xFF\xFE[\0s\0]\0\r\0\n\0"s, "s", "k",
       "\xD0\x9F\xF0\x9F\x98\x80",
       "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x1F\x04\x3D\xD8\x00\xDE\r\0\n\0"s},
      {"the same value again is still written where the line's bytes change", "[s]\r\nk = v\r\n",
       "s", "k", "v", "[s]\r\nk=v\r\n"},
      {"a comment key is no key: written anew after the last key line", "[s]\r\nb=\r\n;k=1\r\n",
       "s", ";k", "2", "[s]\r\nb=\r\n;k=2\r\n;k=1\r\n"},
      {"delete a key: every line of it in the section",
       "[s]\r\nk=1\r\nx=0\r\nK=2\r\n[t]\r\nk=3\r\n", "s", "k", nullptr,
       "[s]\r\nx=0\r\n[t]\r\nk=3\r\n"},
      {"delete a section: comments and blank lines stay",
       ";c0\r\n[s]\r\n;c1\r\nk=1\r\nplain\r\n\r\n[t]\r\nx=1\r\n[S]\r\n;c2\r\nm=2", "s", nullptr,
       nullptr, ";c0\r\n;c1\r\n\r\n[t]\r\nx=1\r\n;c2\r\n"},
  };
  std::string path = Path("edit.ini");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put(path, c.before);
    EXPECT_EQ(PortableWriteProfileString(c.section, c.key, c.value, path.c_str()), 1);
    EXPECT_EQ(Get(path), c.after);
  }
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(PortableProfileTest, DeletesOnAMissingFileSucceedWithoutCreatingIt) {
  std::string path = Path("absent.ini");
  EXPECT_EQ(PortableWriteProfileString("s", "k", nullptr, path.c_str()), 1);
  EXPECT_EQ(PortableWriteProfileString("s", nullptr, nullptr, path.c_str()), 1);
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(PortableProfileTest, FailedWritesChangeNothing) {
  std::string path = Path("keep.ini");
  const std::string before = "[s]\r\nk=v\r\n";
  Put(path, before);
  EXPECT_EQ(PortableWriteProfileString(nullptr, "k", "x", path.c_str()), 0);
  EXPECT_EQ(PortableWriteProfileString("s", "k", "x", nullptr), 0);
  EXPECT_EQ(PortableWriteProfileString("s", "k", "x", ""), 0);
  // A line break would forge lines: refused.
  EXPECT_EQ(PortableWriteProfileString("s", "k", "x\r\n[t]\r\ny=1", path.c_str()), 0);
  EXPECT_EQ(PortableWriteProfileString("s", "k\n", "x", path.c_str()), 0);
  EXPECT_EQ(PortableWriteProfileString("s\r", "k", "x", path.c_str()), 0);
  EXPECT_EQ(Get(path), before);

  std::string fresh = Path("fresh.ini");
  EXPECT_EQ(PortableWriteProfileString(nullptr, "k", "x", fresh.c_str()), 0);
  EXPECT_FALSE(fs::exists(fresh));
  // Folder missing; "folder" that is a file (unwritable even for root).
  EXPECT_EQ(PortableWriteProfileString("s", "k", "x", Path("nodir/x.ini").c_str()), 0);
  EXPECT_EQ(PortableWriteProfileString("s", "k", "x", (path + "/x.ini").c_str()), 0);
  // A folder in place of the file is not replaced.
  EXPECT_EQ(PortableWriteProfileString("s", "k", "x", root_.string().c_str()), 0);
  EXPECT_TRUE(fs::is_directory(root_));
  EXPECT_EQ(FilesInDir(), 1u);
}

// ---- Paths and freshness ------------------------------------------------------------------

TEST_F(PortableProfileTest, BareNameMeansTheWindowsDirectory) {
  const quorel_test::ScopedEnv windirEnv("QUOREL_WINDIR", root_.string());
  char windir[1024];
  uint32_t length = GetWindowsDir(windir, sizeof windir);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof windir);
  std::string name = "quorel-bare-" + root_.filename().string() + ".ini";
  fs::path where = fs::path(windir) / name;
  ASSERT_EQ(PortableWriteProfileString("App", "key", "value", name.c_str()), 1);
  EXPECT_EQ(Get(where.string()), "[App]\r\nkey=value\r\n");
  EXPECT_EQ(Value(name, "App", "key"), "value");
  std::error_code ignored;
  fs::remove(where, ignored);
}

TEST_F(PortableProfileTest, EveryCallSeesTheFileAsItIsNow) {
  std::string path = Path("fresh.ini");
  Put(path, "[s]\r\nk=1\r\n");
  EXPECT_EQ(Value(path, "s", "k"), "1");
  Put(path, "[s]\r\nk=2\r\n");
  EXPECT_EQ(Value(path, "s", "k"), "2");
  fs::remove(path);
  EXPECT_EQ(Value(path, "s", "k"), "<none>");
}

// No change is ever missed: not one of the same size written within the same second (only the
// nanoseconds of the modification time differ), nor one of another size.
TEST_F(PortableProfileTest, ChangesBehindTheStoresBackAreSeen) {
#ifdef _WIN32
  GTEST_SKIP() << "sets modification times to the nanosecond with utimensat, a POSIX call";
#else
  std::string path = Path("behind.ini");
  auto putAt = [&](std::string_view bytes, long nanoseconds) {
    Put(path, bytes);
    timespec times[2] = {{1700000000, nanoseconds}, {1700000000, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  char list[64];
  putAt("[s]\r\nk=1\r\n", 100);
  EXPECT_EQ(Value(path, "s", "k"), "1");
  EXPECT_EQ(PortableReadProfileSection("s", list, sizeof list, path.c_str()), 4u);
  putAt("[s]\r\nk=2\r\n", 200);  // same size, same second
  EXPECT_EQ(Value(path, "s", "k"), "2");
  uint32_t count = PortableReadProfileSection("s", list, sizeof list, path.c_str());
  EXPECT_EQ(std::string(list, count), "k=2\0"s);
  putAt("[s]\r\nk=three\r\n", 200);  // another size, same stamp
  EXPECT_EQ(Value(path, "s", "k"), "three");
  // The store's own write is seen at once, and so is a change made right after it.
  ASSERT_EQ(PortableWriteProfileString("s", "k", "4", path.c_str()), 1);
  EXPECT_EQ(Value(path, "s", "k"), "4");
  Put(path, "[s]\r\nk=5\r\n");
  EXPECT_EQ(Value(path, "s", "k"), "5");
#endif
}

// Inside a read batch a file is read once, yet the store's own writes show at once, even one
// that changes no byte after another program changed the file; whatever another program
// changes shows at the first read after the batch. More files than a batch keeps, read in
// turn and again, each give their own values.
TEST_F(PortableProfileTest, ReadBatchesReadEachFileOnceUntilTheyEnd) {
  std::string path = Path("batch.ini");
  Put(path, "[s]\r\nk=1\r\n");
  PortableBeginReadBatch();
  EXPECT_EQ(Value(path, "s", "k"), "1");
  ASSERT_EQ(PortableWriteProfileString("s", "k", "2", path.c_str()), 1);
  EXPECT_EQ(Value(path, "s", "k"), "2");
  Put(path, "[s]\r\nk=3\r\n");
  ASSERT_EQ(PortableWriteProfileString("s", "k", "3", path.c_str()), 1);
  EXPECT_EQ(Value(path, "s", "k"), "3");
  PortableBeginReadBatch();  // nested: its end leaves the outer batch open
  Put(path, "[s]\r\nk=4\r\n");
  PortableEndReadBatch();
  EXPECT_EQ(Value(path, "s", "k"), "3");  // the batch's copy
  PortableEndReadBatch();
  EXPECT_EQ(Value(path, "s", "k"), "4");
  PortableEndReadBatch();  // unmatched: harmless
  Put(path, "[s]\r\nk=5\r\n");
  EXPECT_EQ(Value(path, "s", "k"), "5");
  const auto other = [this](int i) { return Path(("f" + std::to_string(i) + ".ini").c_str()); };
  for (int i = 0; i < 12; ++i) Put(other(i), "[s]\r\nk=" + std::to_string(i) + "\r\n");
  PortableBeginReadBatch();
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(Value(other(i), "s", "k"), std::to_string(i));
    EXPECT_EQ(Value(other(i / 2), "s", "k"), std::to_string(i / 2));  // kept, or read again
  }
  PortableEndReadBatch();
}

// 64 MiB is the largest file read; one byte more and it reads as a file that cannot be opened,
// and a write leaves it as it is.
TEST_F(PortableProfileTest, FilesOver64MiBAreNotRead) {
  constexpr uintmax_t kLimit = uintmax_t{64} << 20;
  std::string path = Path("huge.ini");
#ifdef _WIN32
  GTEST_SKIP() << "growing a file to 64 MiB through the MinGW runtime under Wine fails or takes "
                  "minutes; the limit is the same portable code natively";
#endif
  Put(path, "[s]\r\nk=v\r\n");
  fs::resize_file(path, kLimit);  // sparse: the rest reads as NULs
  EXPECT_EQ(Value(path, "s", "k"), "v");
  fs::resize_file(path, kLimit + 1);
  EXPECT_EQ(Value(path, "s", "k"), "<none>");
  char list[16];
  EXPECT_EQ(PortableReadProfileSection("s", list, sizeof list, path.c_str()), 0u);
  EXPECT_EQ(PortableWriteProfileString("s", "k", "w", path.c_str()), 0);
  EXPECT_EQ(fs::file_size(path), kLimit + 1);
  std::ifstream head(path, std::ios::binary);
  std::string start(10, '\0');
  head.read(start.data(), 10);
  EXPECT_EQ(start, "[s]\r\nk=v\r\n");
}

}  // namespace
