// Runs the INI store's table of cases through the real profile API and through
// the portable store, on the same files, and expects identical bytes and counts.
// Windows build only (run under Wine); cases where Wine itself differs are left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/profile_store.h"
#include "portable/portable_profile.h"
#include "tests/unit/profile_store_cases.h"
#include "tests/unit/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace profile_store_cases;

using ProfileStoreCompareTest = TempFolderTest;

struct CallResult {
  uint32_t count;
  std::string buffer;
};

constexpr size_t kBufferSize = 512;

CallResult RunCase(const ProfileCase& c, const std::string& file, bool portable) {
  std::string buffer(kBufferSize, '\x7f');
  uint32_t count = 0;
  if (c.call == ProfileCall::kString) {
    count = portable ? PortableReadProfileString(c.section, c.key, c.defaultValue, &buffer[0],
                                                 c.size, file.c_str())
                     : ReadProfileString(c.section, c.key, c.defaultValue, &buffer[0], c.size,
                                         file.c_str());
  } else {
    count = portable ? PortableReadProfileSection(c.section, &buffer[0], c.size, file.c_str())
                     : ReadProfileSection(c.section, &buffer[0], c.size, file.c_str());
  }
  return {count, buffer};
}

// The bytes of an ASCII text as a UTF-16LE file with its byte order mark.
std::string Utf16File(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

// Every case twice: with the file as given, and (where it holds ASCII only) as a UTF-16LE file,
// which the store reads through the wide profile calls.
TEST_F(ProfileStoreCompareTest, ReadsMatchTheProfileApi) {
  int compared = 0;
  for (const ProfileCase& c : kReadCases) {
    if (c.flags & (kWineDiffers | kPortableOnly)) continue;
    for (const bool wide : {false, true}) {
      const bool ascii = std::all_of(c.content.begin(), c.content.end(),
                                     [](char b) { return static_cast<unsigned char>(b) < 0x80; });
      if (wide && ((c.flags & kNoFile) || !ascii)) continue;
      SCOPED_TRACE(std::string(c.what) + (wide ? " (UTF-16LE)" : ""));
      const std::string file = (c.flags & kNoFile) ? PathOf("missing.ini")
                               : wide              ? Write("case.ini", Utf16File(c.content))
                                                   : Write("case.ini", c.content);
      const CallResult real = RunCase(c, file, false);
      const CallResult portable = RunCase(c, file, true);
      EXPECT_EQ(portable.count, real.count);
      EXPECT_EQ(portable.buffer, real.buffer);
      // The table itself holds what Windows gives; Wine must agree for the comparison to mean
      // anything.
      EXPECT_EQ(real.count, c.count);
      EXPECT_EQ(real.buffer.substr(0, c.placed.size()), std::string(c.placed));
      ++compared;
    }
  }
  EXPECT_GT(compared, 80);
}

// Text beyond one code page in a UTF-16LE file: the wide profile calls and the portable reader
// give the same UTF-8, a value cut to fit losing its last character whole.
TEST_F(ProfileStoreCompareTest, Utf16TextReadsAsUtf8Alike) {
  // [s] k=Привет Ελλάς (Cyrillic and Greek, two bytes each in UTF-8)
  const std::string file =
      Write("wide.ini", std::string("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x1F\x04\x40\x04\x38\x04"
                                    "\x32\x04\x35\x04\x42\x04 \0\x95\x03\xBB\x03\xBB\x03\xAC\x03"
                                    "\xC2\x03\r\0\n\0",
                                    44));
  for (const uint32_t size : {64u, 6u, 5u}) {
    SCOPED_TRACE(size);
    std::string real(64, '\x7f'), portable(64, '\x7f');
    const uint32_t a = ReadProfileString("s", "k", "", &real[0], size, file.c_str());
    const uint32_t b = PortableReadProfileString("s", "k", "", &portable[0], size, file.c_str());
    EXPECT_EQ(a, b);
    EXPECT_EQ(real, portable);
  }
  char full[64];
  ReadProfileString("s", "k", "", full, sizeof full, file.c_str());
  EXPECT_STREQ(
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 "
      "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCF\x82",
      full);
  char block[64];
  const uint32_t listed = ReadProfileSection("s", block, sizeof block, file.c_str());
  char portableBlock[64];
  ASSERT_EQ(listed,
            PortableReadProfileSection("s", portableBlock, sizeof portableBlock, file.c_str()));
  EXPECT_EQ(0, std::memcmp(block, portableBlock, listed + 1));
}

// Writes through both stores from the same start, then reads every key back
// through both: the two files must say the same.
TEST_F(ProfileStoreCompareTest, WritesReadBackAlike) {
  struct Write {
    const char* section;
    const char* key;
    const char* value;
  };
  const Write writes[] = {
      {"App", "key", "value"}, {"app", "KEY", "replaced"},  {"App", "second", "2"},
      {"Other", "k", "v"},     {"App", "gone", "x"},        {"App", "gone", nullptr},
      {"Dropped", "a", "b"},   {"Dropped", nullptr, "any"}, {"App", "spaced", "a b"},
  };
  const std::string real = PathOf("real.ini");
  const std::string portable = PathOf("portable.ini");
  for (const Write& w : writes) {
    EXPECT_EQ(WriteProfileValue(w.section, w.key, w.value, real.c_str()),
              PortableWriteProfileString(w.section, w.key, w.value, portable.c_str()));
  }
  // A new file is made the same way by both.
  const std::string fresh_real = PathOf("fresh_real.ini");
  const std::string fresh_portable = PathOf("fresh_portable.ini");
  WriteProfileValue("App", "key", "value", fresh_real.c_str());
  PortableWriteProfileString("App", "key", "value", fresh_portable.c_str());
  EXPECT_EQ(ReadAll(fresh_portable), ReadAll(fresh_real));

  for (const char* section : {"App", "Other", "Dropped"}) {
    char a[256], b[256];
    const uint32_t na = ReadProfileSection(section, a, sizeof(a), real.c_str());
    const uint32_t nb = PortableReadProfileSection(section, b, sizeof(b), portable.c_str());
    ASSERT_EQ(na, nb) << section;
    EXPECT_EQ(0, std::memcmp(a, b, na + 1)) << section;
  }
  for (const char* key : {"key", "second", "gone", "spaced"}) {
    char a[64], b[64];
    EXPECT_EQ(ReadProfileString("App", key, "none", a, sizeof(a), real.c_str()),
              PortableReadProfileString("App", key, "none", b, sizeof(b), portable.c_str()));
    EXPECT_STREQ(a, b) << key;
  }
}

// A value outside the ANSI code page (a folder "Папка") turns the file into UTF-16LE, which the
// wide calls then keep writing; ASCII values leave a file in the code page as it is.
TEST_F(ProfileStoreCompareTest, TextOutsideTheCodePageMakesTheFileUtf16) {
  const std::string file = Write("session.ini", "[Config]\r\nExec=C:\\quorel.exe\r\n");
  ASSERT_EQ(1, WriteProfileValue("Config", "Level", "1", file.c_str()));
  EXPECT_EQ("[Config]\r\nExec=C:\\quorel.exe\r\nLevel=1\r\n", ReadAll(file));
  const char* folder = "D:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // D:\Папка
  ASSERT_EQ(1, WriteProfileValue("Config", "Workpath", folder, file.c_str()));
  EXPECT_EQ("\xFF\xFE", ReadAll(file).substr(0, 2));
  for (const auto read : {&ReadProfileString, &PortableReadProfileString}) {
    char value[64];
    read("Config", "Workpath", "", value, sizeof value, file.c_str());
    EXPECT_STREQ(folder, value);
    read("Config", "Exec", "", value, sizeof value, file.c_str());
    EXPECT_STREQ("C:\\quorel.exe", value);
  }
}

// A bare file name means the Windows directory for both stores.
TEST_F(ProfileStoreCompareTest, BareNameMeansTheWindowsDirectory) {
  const char* name = "quorel-compare-test.ini";
  ASSERT_EQ(1, WriteProfileValue("S", "k", "from-api", name));
  char value[64];
  EXPECT_EQ(8u, PortableReadProfileString("S", "k", "", value, sizeof(value), name));
  EXPECT_STREQ("from-api", value);
  WriteProfileValue("S", nullptr, nullptr, name);
  EXPECT_EQ(0u, PortableReadProfileString("S", "k", "", value, sizeof(value), name));
}

}  // namespace
