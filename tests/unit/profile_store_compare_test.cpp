// Runs the INI store's table of cases through the real profile API and through
// the portable store, on the same files, and expects identical bytes and counts.
// Windows build only (run under Wine); cases where Wine itself differs are left out.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "portable/portable_profile.h"
#include "platform/profile_store.h"
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

TEST_F(ProfileStoreCompareTest, ReadsMatchTheProfileApi) {
  int compared = 0;
  for (const ProfileCase& c : kReadCases) {
    if (c.flags & (kWineDiffers | kPortableOnly)) continue;
    SCOPED_TRACE(c.what);
    const std::string file =
        (c.flags & kNoFile) ? PathOf("missing.ini") : Write("case.ini", c.content);
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
  EXPECT_GT(compared, 40);
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
