// Tests of CProfile: variant rules, section choice, repeated keys, typed reads and file tests.
// Uses only the core, the platform seam and INI files written into a fresh temp folder.
#include "profile/profile.h"
#include "tests/unit/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ascii_case.h"
#include "platform/os_info.h"
#include "platform/web_address.h"
#include "profile/menu_item.h"

namespace fs = std::filesystem;

namespace {

using ProfileFiles = TempFolderTest;

std::string CountrySection() { return "String." + std::to_string(UserCountryCode()); }

TEST(WindowsVariantTest, VersionTableWithExactBoundaries) {
  struct Case {
    int32_t platformId, major, minor;
    WindowsVariant expected;
  };
  const Case cases[] = {
      {2, 4, 0, VariantNT4},    {2, 4, 90, VariantNT4},  {2, 5, 0, Variant2000},
      {2, 5, 1, VariantXP},     {2, 5, 2, VariantOther}, {2, 6, 0, VariantOther},
      {2, 3, 51, VariantOther}, {1, 0, 0, Variant95},    {1, 4, 0, Variant95},
      {1, 4, 1, Variant98},     {1, 4, 9, Variant98},    {1, 4, 10, Variant98SE},
      {1, 7, 89, Variant98SE},  {1, 4, 90, VariantME},   {1, 4, 1000, VariantME},
      {1, 4, -1, VariantME},    {0, 5, 1, VariantOther}, {3, 4, 0, VariantOther},
  };
  for (const Case& c : cases) {
    const OsVersion version{c.platformId, c.major, c.minor};
    EXPECT_EQ(c.expected, VariantFromVersion(version))
        << c.platformId << "." << c.major << "." << c.minor;
  }
}

TEST(WindowsVariantTest, SuffixOfEveryValue) {
  const char* const expected[] = {"",       ".WINNT4", ".WIN2K",   ".WINXP",
                                  ".WIN95", ".WIN98",  ".WIN98SE", ".WINME"};
  for (int v = 0; v < 8; ++v) {
    CProfile profile(static_cast<WindowsVariant>(v));
    char out[16] = "junk";
    profile.GetVariantSuffix(out, sizeof out);
    EXPECT_STREQ(expected[v], out) << v;
  }
  EXPECT_STREQ("", VariantSuffix(-1));
  EXPECT_STREQ("", VariantSuffix(8));

  CProfile profile(Variant98SE);
  char small[4];
  profile.GetVariantSuffix(small, sizeof small);
  EXPECT_STREQ(".WI", small);
}

TEST_F(ProfileFiles, SelectSectionPrefersSuffixedSectionWithLines) {
  const std::string both = Write("both.ini", "[global]\na=plain\n[global.WINXP]\na=xp\n");
  const std::string emptyXp = Write("empty.ini", "[global.WINXP]\n[global]\na=plain\n");
  const std::string none = Write("none.ini", "[other]\na=1\n");

  CProfile profile(VariantXP);
  char name[64];
  ASSERT_EQ(1, profile.SetFile(both.c_str(), 1));
  EXPECT_EQ(1, profile.SelectSection("global", 1));
  profile.GetSectionName(name, sizeof name);
  EXPECT_STREQ("global.WINXP", name);
  char value[16];
  profile.GetString("a", "", value, sizeof value);
  EXPECT_STREQ("xp", value);

  // A suffix other than 1 asks for the plain section only.
  EXPECT_EQ(1, profile.SelectSection("global", 2));
  EXPECT_STREQ("global", profile.sectionName);

  // A suffixed section without lines counts as missing.
  ASSERT_EQ(1, profile.SetFile(emptyXp.c_str(), 1));
  EXPECT_EQ(1, profile.SelectSection("global", 1));
  EXPECT_STREQ("global", profile.sectionName);

  // Neither: 0, and the previous section stays.
  ASSERT_EQ(1, profile.SetFile(none.c_str(), 1));
  EXPECT_EQ(0, profile.SelectSection("global", 1));
  EXPECT_STREQ("global", profile.sectionName);
  EXPECT_EQ(0, profile.SelectSection(nullptr, 1));

  // Without a suffix both probes use the plain name; a long name is cut to 63 characters
  // before the suffix is added, and the result is cut again.
  const std::string long63(63, 's');
  const std::string longFile = Write("long.ini", "[" + long63 + "]\nx=2\n");
  CProfile other(VariantOther);
  ASSERT_EQ(1, other.SetFile(both.c_str(), 1));
  EXPECT_EQ(1, other.SelectSection("global", 1));
  EXPECT_STREQ("global", other.sectionName);
  ASSERT_EQ(1, profile.SetFile(longFile.c_str(), 1));
  EXPECT_EQ(1, profile.SelectSection((long63 + "tail").c_str(), 1));
  EXPECT_EQ(long63, std::string(profile.sectionName));
}

TEST_F(ProfileFiles, StringSectionChoice) {
  const std::string onlyString = Write("s.ini", "[String]\nHello=Hello\n");
  const std::string named = Write("n.ini", "[Lang]\nHello=Hallo\n");
  const std::string none = Write("x.ini", "[menu]\nitem=a\n");

  CProfile profile(VariantOther);
  // SetFile chooses by country; a plain "String" section is enough for the country name.
  ASSERT_EQ(1, profile.SetFile(onlyString.c_str(), 1));
  EXPECT_EQ(CountrySection(), profile.stringSectionName);

  ASSERT_EQ(1, profile.SetFile(named.c_str(), 1));
  EXPECT_EQ(CountrySection(), profile.stringSectionName) << "a failed choice keeps the old name";
  EXPECT_EQ(1, profile.SelectStringSection("Lang"));
  EXPECT_STREQ("Lang", profile.stringSectionName);
  EXPECT_EQ(0, profile.SelectStringSection("Missing"));
  EXPECT_STREQ("Lang", profile.stringSectionName);

  ASSERT_EQ(1, profile.SetFile(none.c_str(), 1));
  EXPECT_EQ(0, profile.SelectStringSection(nullptr));
  EXPECT_STREQ("Lang", profile.stringSectionName);
}

TEST_F(ProfileFiles, FindNthKeyMatchesLowerCaseSubstrings) {
  const std::string file = Write("m.ini",
                                 "[menu]\nitem=a\nItem=b\nx=1\nitem=c\nsubtitle=Hello\n"
                                 "title=Main\n");
  CProfile profile(VariantOther);
  ASSERT_EQ(1, profile.SetFile(file.c_str(), 1));
  ASSERT_EQ(1, profile.SelectSection("menu", 0));
  char out[32];
  EXPECT_EQ(0, profile.FindNthKey("item", 0, out, sizeof out)) << "nothing loaded yet";
  ASSERT_GT(profile.LoadSection(), 0u);

  struct Case {
    const char* key;
    int32_t index;
    int found;
    const char* value;
  };
  const Case cases[] = {
      {"item", 0, 1, "a"},      {"item", 1, 1, "c"},     {"item", 2, 0, ""},  {"ITEM", 1, 1, "c"},
      {"title", 0, 1, "Hello"}, {"title", 1, 1, "Main"}, {"item", -1, 0, ""}, {"", 0, 0, ""},
      {"absent", 0, 0, ""},     {"x", 0, 1, "1"},
  };
  for (const Case& c : cases) {
    out[0] = '\0';
    EXPECT_EQ(c.found, profile.FindNthKey(c.key, c.index, out, sizeof out)) << c.key << c.index;
    if (c.found) {
      EXPECT_STREQ(c.value, out) << c.key << c.index;
    }
  }
  EXPECT_EQ(0, profile.FindNthKey(nullptr, 0, out, sizeof out));

  char two[2];
  EXPECT_EQ(1, profile.FindNthKey("title", 0, two, sizeof two));
  EXPECT_STREQ("H", two);

  EXPECT_EQ(1, profile.FreeSection());
  EXPECT_EQ(0, profile.FreeSection());
  EXPECT_EQ(0, profile.FindNthKey("item", 0, out, sizeof out));
}

TEST_F(ProfileFiles, LoadSectionOfMissingSectionAndFullBlock) {
  std::string big = "[menu]\n";
  for (int i = 0; i < 5000; ++i) big += "item=value" + std::to_string(i) + "\n";
  const std::string file = Write("big.ini", big);
  CProfile profile(VariantOther);
  ASSERT_EQ(1, profile.SetFile(file.c_str(), 1));
  ASSERT_EQ(0, profile.SelectSection("absent", 0));
  EXPECT_EQ(0u, profile.LoadSection());
  char out[32];
  EXPECT_EQ(0, profile.FindNthKey("item", 0, out, sizeof out));

  // A section larger than the block is cut; walking it stays inside the block.
  ASSERT_EQ(1, profile.SelectSection("menu", 0));
  EXPECT_GT(profile.LoadSection(), 30000u);
  EXPECT_EQ(1, profile.FindNthKey("item", 10, out, sizeof out));
  EXPECT_STREQ("value10", out);
  EXPECT_EQ(0, profile.FindNthKey("item", 4999, out, sizeof out));
}

// The cursor that lets FindNthKey go on from its last match belongs to the block it was found in.
TEST_F(ProfileFiles, FindNthKeyStartsAfreshInANewBlock) {
  const std::string file =
      Write("n.ini", "[a]\nitem=a0\nitem=a1\n[b]\nitem=b0\nitem=b1\nitem=b2\n");
  CProfile profile(VariantOther);
  ASSERT_EQ(1, profile.SetFile(file.c_str(), 1));
  char out[16];
  ASSERT_EQ(1, profile.SelectSection("a", 0));
  ASSERT_GT(profile.LoadSection(), 0u);
  EXPECT_EQ(1, profile.FindNthKey("item", 1, out, sizeof out));
  ASSERT_EQ(1, profile.SelectSection("b", 0));
  ASSERT_GT(profile.LoadSection(), 0u);
  EXPECT_EQ(1, profile.FindNthKey("item", 2, out, sizeof out));
  EXPECT_STREQ("b2", out);
}

// A loading operation sees its own writes at once (the session file is written during a load);
// what another program changed meanwhile is seen by the next operation.
TEST_F(ProfileFiles, LoadScopeSeesItsOwnWritesAndTheNextScopeSeesOthers) {
  const std::string file = Write("scope.ini", "[menu]\nitem=a\n");
  const std::string later = PathOf("later.ini");
  CProfile profile(VariantOther);
  {
    CProfile::LoadScope scope(profile);
    ASSERT_EQ(1, profile.SetFile(file.c_str(), 1));
    EXPECT_EQ(0, profile.SelectSection("state", 0));
    ASSERT_EQ(1, profile.PutSectionString("state", "Page", "2"));
    EXPECT_EQ(1, profile.SelectSection("state", 0));
    EXPECT_EQ(2, profile.GetInt("Page", 0));
    EXPECT_EQ(0, profile.SetFile(later.c_str(), 1));
    Write("later.ini", "[String]\nx=1\n");
  }
  CProfile::LoadScope next(profile);
  EXPECT_EQ(1, profile.SetFile(later.c_str(), 1));
  EXPECT_EQ(1, profile.SelectStringSection("String"));
}

TEST_F(ProfileFiles, TypedReads) {
  const std::string file = Write("t.ini",
                                 "[global]\nEmpty=\nWord=abc\nUnit=12px\nNeg=-3\nSpaced=  +7\n"
                                 "Huge=99999999999\nLow=-99999999999\nColor=255 255\n"
                                 "Full=0 127 255\n");
  CProfile profile(VariantOther);
  ASSERT_EQ(1, profile.SetFile(file.c_str(), 1));
  ASSERT_EQ(1, profile.SelectSection("global", 1));

  struct Case {
    const char* key;
    int32_t expected;
  };
  const Case ints[] = {{"Missing", 8}, {"Empty", 8},  {"Word", 0},         {"Unit", 12},
                       {"Neg", -3},    {"Spaced", 7}, {"Huge", INT32_MAX}, {"Low", INT32_MIN}};
  for (const Case& c : ints) {
    EXPECT_EQ(c.expected, profile.GetInt(c.key, 8)) << c.key;
    EXPECT_EQ(c.expected, profile.GetSectionInt("global", c.key, 8)) << c.key;
  }

  ColorRef color = 1;
  EXPECT_EQ(1, profile.GetColor("Color", &color, 0x123456));
  EXPECT_EQ(0x00FFFFu, color);
  EXPECT_EQ(1, profile.GetColor("Full", &color, 0x123456));
  EXPECT_EQ(0xFF7F00u, color);
  EXPECT_EQ(0, profile.GetColor("Missing", &color, 0x123456));
  EXPECT_EQ(0x123456u, color);
  EXPECT_EQ(0, profile.GetColor("Empty", &color, 0x654321));
  EXPECT_EQ(0x654321u, color);
}

TEST_F(ProfileFiles, IntegersAreWrittenAsSignedDecimal) {
  const std::string file = PathOf("session.ini");
  CProfile profile(VariantOther);
  ASSERT_EQ(1, profile.SetFile(file.c_str(), 0)) << "a file that does not exist yet is accepted";
  EXPECT_EQ(1, profile.PutSectionInt("menu.ini", "Page", -42));
  char out[16];
  EXPECT_EQ(3u, profile.GetSectionString("menu.ini", "Page", "", out, sizeof out));
  EXPECT_STREQ("-42", out);
}

TEST_F(ProfileFiles, SetFileAndFileTests) {
  const std::string data = Write("data.ini", "[a]\nb=c\n");
  const std::string empty = Write("empty.ini", "");
  const std::string missing = PathOf("missing.ini");

  EXPECT_EQ(1, FileExists(data.c_str()));
  EXPECT_EQ(1, FileExists(empty.c_str()));
  EXPECT_EQ(0, FileExists(missing.c_str()));
  EXPECT_EQ(0, FileExists(nullptr));
  EXPECT_EQ(1, CProfile::FileHasData(data.c_str()));
  EXPECT_EQ(0, CProfile::FileHasData(empty.c_str()));
  EXPECT_EQ(0, CProfile::FileHasData(missing.c_str()));

  CProfile profile(VariantOther);
  ASSERT_EQ(1, profile.SetFile(data.c_str(), 1));
  EXPECT_EQ(0, profile.SetFile(empty.c_str(), 1));
  EXPECT_EQ(0, profile.SetFile(missing.c_str(), 1));
  EXPECT_EQ(0, profile.SetFile(nullptr, 0));
  char out[260];
  profile.GetFile(out, sizeof out);
  EXPECT_EQ(data, out);
  EXPECT_EQ(1, profile.SetFile(missing.c_str(), 0));
  EXPECT_STREQ(missing.c_str(), profile.filePath);

  // Paths are cut to 259 characters.
  const std::string longPath(400, 'p');
  EXPECT_EQ(1, profile.SetFile(longPath.c_str(), 0));
  EXPECT_EQ(259u, std::strlen(profile.filePath));
  char small[5];
  profile.GetFile(small, sizeof small);
  EXPECT_STREQ("pppp", small);
}

TEST(ParseColorTest, Table) {
  struct Case {
    const char* text;
    ColorRef expected;
  };
  const Case cases[] = {
      {"0 127 255", 0xFF7F00},   {"255 0 0", 0x0000FF},
      {"-1 0 0", 0x0000FF},      {"300 0 0", 0x00002C},
      {"255  0 0", 0x0000FF},    {"1  2 3", 0x020001},
      {"255 255", 0x00FFFF},     {"", 0},
      {"x 5 6", 0x060500},       {"1 2 3 4", 0x030201},
      {"1\t2 3 4", 0x040301},    {" 7 8 9", 0x080700},
      {"+5 -0 12abc", 0x0C0005}, {"99999999999 0 0", 0xff},
  };
  for (const Case& c : cases) {
    ColorRef out = 0xDEADBEEF;
    EXPECT_EQ(c.expected, ParseColor(c.text, &out)) << '"' << c.text << '"';
    EXPECT_EQ(c.expected, out) << '"' << c.text << '"';
  }
  EXPECT_EQ(0u, ParseColor(nullptr, nullptr));
}

// The one case rule (platform/ascii_case.h) as LowerAscii, SameName and IsLinkVerb apply it.
TEST(LowerAsciiTest, Table) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"ABC", "abc"}, {"MixEd Case9", "mixed case9"}, {"@[`{", "@[`{"}, {"\xC4\xD6Z", "\xC4\xD6z"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string buffer(c.text);
    EXPECT_EQ(static_cast<int>(buffer.size()), LowerAscii(&buffer[0]));
    EXPECT_EQ(c.expected, buffer);
    EXPECT_TRUE(SameName(c.text, c.expected)) << c.text;
  }
  EXPECT_EQ(0, LowerAscii(nullptr));
  // Only 'A'..'Z' fold, and the lengths must agree.
  EXPECT_FALSE(SameName("\xC4", "\xE4"));
  EXPECT_FALSE(SameName("[", "{"));
  EXPECT_FALSE(SameName("menu", "menu "));
  for (const char* verb : {"LINK", "link", "LiNk"}) EXPECT_TRUE(IsLinkVerb(verb)) << verb;
  for (const char* verb : {"LINKS", "LIN", "", "open"}) EXPECT_FALSE(IsLinkVerb(verb)) << verb;
  EXPECT_FALSE(IsLinkVerb(nullptr));
}

// Targets handed to the shell as written, and the ones that stay file names.
TEST(WebAddressTest, Table) {
  const struct {
    const char* target;
    bool address;
  } cases[] = {
      {"https://example.org/", true},
      {"HTTP://x", true},
      {"ftp://host/file", true},
      {"file:///C:/setup.exe", true},
      {"svn+ssh://h/r", true},
      {"mailto:help@example.org", true},
      {"MAILTO:a", true},
      {"C:\\setup.exe", false},
      {"c://x", false},
      {"file:readme.txt", false},
      {"https:/x", false},
      {"https://", false},
      {"mailto:", false},
      {"://x", false},
      {"1http://x", false},
      {"ht tp://x", false},
      {"readme.txt", false},
      {"", false},
      {"sub\\https://x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.address, IsWebAddress(c.target)) << c.target;
  EXPECT_FALSE(IsWebAddress(static_cast<const char*>(nullptr)));
}

}  // namespace
