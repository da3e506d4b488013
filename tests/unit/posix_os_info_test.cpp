// The release and country stand-ins of the Linux build: QUOREL_WINVER picks the
// section suffix a menu is previewed with; QUOREL_COUNTRY and the locale give the country.
#include <gtest/gtest.h>

#include <string>

#include "platform/os_info.h"
#include "profile/profile.h"
#include "tests/support/scoped_env.h"
#include "tests/unit/temp_folder.h"

namespace {

using quorel_test::ScopedEnv;

std::string SuffixUnder(const char* winver) {
  ScopedEnv env("QUOREL_WINVER", winver);
  CProfile profile;
  char suffix[64];
  profile.GetVariantSuffix(suffix, sizeof(suffix));
  return suffix;
}

TEST(PosixOsInfoTest, WinverPicksTheSuffix) {
  struct Case {
    const char* winver;
    const char* suffix;
  };
  const Case cases[] = {
      {"2.5.1", ".WINXP"},  {"1.4.10", ".WIN98SE"},
      {"1.4.9", ".WIN98"},  {"2.5.2", ""},
      {"1.4.90", ".WINME"}, {"1.4.0", ".WIN95"},
      {"2.4.0", ".WINNT4"}, {"2.5.0", ".WIN2K"},
      {nullptr, ""},        {"", ""},
      {"junk", ""},         {"2.5.1x", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.suffix, SuffixUnder(c.winver)) << (c.winver ? c.winver : "(unset)");
  }
}

TEST(PosixOsInfoTest, CountryFromOverrideThenLocale) {
  ScopedEnv lcAll("LC_ALL", nullptr);
  ScopedEnv lcMessages("LC_MESSAGES", nullptr);
  {
    ScopedEnv country("QUOREL_COUNTRY", "49");
    ScopedEnv lang("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(49, UserCountryCode());
  }
  ScopedEnv country("QUOREL_COUNTRY", nullptr);
  {
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(49, UserCountryCode());
  }
  {
    ScopedEnv lang("LANG", "en_US");
    ScopedEnv messages("LC_MESSAGES", "ja_JP.eucJP");
    EXPECT_EQ(81, UserCountryCode());  // LC_MESSAGES comes before LANG
  }
  {
    ScopedEnv lang("LANG", "C.UTF-8");
    EXPECT_EQ(0, UserCountryCode());
  }
}

}  // namespace
