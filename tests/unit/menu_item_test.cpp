// Tests of CMenuItem: the item line grammar, cutting of long fields, hostile lines, ownership.
// Uses only the core, the platform seam and one INI file written into a fresh temp folder.
#include "profile/menu_item.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "profile/profile.h"
#include "tests/unit/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class MenuItemLines : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    const std::string file =
        Write("menu.ini", "[String]\nApp=Setup\nVerb=open\nLong=" + std::string(259, 'L') + "\n");
    ASSERT_EQ(1, profile_.SetFile(file.c_str(), 1));
  }
  // Parses a copy of line, as the loader hands over a writable buffer.
  int Parse(CMenuItem& item, const std::string& line, int32_t type = ItemOrdinary) {
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    return item.ParseLine(type, buffer.data(), profile_);
  }

  CProfile profile_{VariantOther};
};

const char* Or(const char* s) { return s != nullptr ? s : "(null)"; }

TEST_F(MenuItemLines, Grammar) {
  struct Case {
    const char* line;
    uint32_t flags;
    const char *text, *verb, *target, *parameters, *workDir, *hint;
  };
  const char* const N = nullptr;
  const Case cases[] = {
      {"Install, open, setup.exe, /s, .\\disk1, Runs the installer", 63, "Install", "open",
       "setup.exe", "/s", ".\\disk1", "Runs the installer"},
      {"Install, open, setup.exe, /s,.\\disk1, Runs", 63, "Install", "open", "setup.exe", "/s",
       "disk1", "Runs"},
      {"Readme, open, readme.txt", 3, "Readme", "open", N, N, N, N},
      {"Readme, open, readme.txt,", 7, "Readme", "open", "readme.txt", N, N, N},
      {"Tools,,tools.exe,,,Hint", 1, "Tools", N, N, N, N, N},
      {"Docs, open, docs,,,See the documents", 39, "Docs", "open", "docs", N, N,
       "See the documents"},
      {"W,open,t,p,..\\..\\tools,", 63 - 32, "W", "open", "t", "p", "..\\tools", N},
      {"W,open,t,p,C:\\setup,", 63 - 32, "W", "open", "t", "p", "C:\\setup", N},
      {"W,open,t,p, \t,h", 63 - 8, "W", "open", "t", "p", N, "h"},
      {"Caption only", 1, "Caption only", N, N, N, N, N},
      {"  Caption  ", 1, "Caption  ", N, N, N, N, N},
      {"  Caption \t, open", 1, "Caption", N, N, N, N, N},
      {"   , open, x,", 0, N, N, N, N, N, N},
      {"", 0, N, N, N, N, N, N},
      {"A,o,t,p,w,hint  ", 63, "A", "o", "t", "p", "w", "hint  "},
      {"A,o,t,p,w,hint  ,ignored,more", 63, "A", "o", "t", "p", "w", "hint"},
      {"A,o,t,p,w,\t hint", 63, "A", "o", "t", "p", "w", "hint"},
      {"%App%, %Verb%, %Missing%,", 7, "Setup", "open", "???%Missing%", N, N, N},
      {"\tTab, open,", 3, "\tTab", "open", N, N, N, N},
  };
  for (const Case& c : cases) {
    CMenuItem item;
    ASSERT_EQ(1, Parse(item, c.line, ItemPageForward)) << c.line;
    EXPECT_EQ(c.flags, item.flags) << c.line;
    EXPECT_EQ(ItemPageForward, item.type) << c.line;
    EXPECT_STREQ(Or(c.text), Or(item.text)) << c.line;
    EXPECT_EQ(c.text != nullptr ? static_cast<int32_t>(std::strlen(c.text)) : 0, item.textLength)
        << c.line;
    EXPECT_STREQ(Or(c.verb), Or(item.verb)) << c.line;
    EXPECT_STREQ(Or(c.target), Or(item.target)) << c.line;
    EXPECT_STREQ(Or(c.parameters), Or(item.parameters)) << c.line;
    EXPECT_STREQ(Or(c.workDir), Or(item.workDir)) << c.line;
    EXPECT_STREQ(Or(c.hint), Or(item.hint)) << c.line;
  }
}

TEST_F(MenuItemLines, FieldsAreCutToTheExpansionBuffer) {
  // 1023 characters fit a field; a reference value adds at most 259.
  const std::string longText(3000, 'x');
  CMenuItem item;
  ASSERT_EQ(1, Parse(item, longText + "," + longText + "," + longText + ",,,h" + longText));
  EXPECT_EQ(1023, item.textLength);
  EXPECT_EQ(std::string(1023, 'x'), item.text);
  EXPECT_EQ(1023u, std::strlen(item.verb));
  EXPECT_EQ(1023u, std::strlen(item.target));
  EXPECT_EQ("h" + std::string(1022, 'x'), item.hint);

  CMenuItem refs;
  std::string line;
  for (int i = 0; i < 5; ++i) line += "%Long%";
  ASSERT_EQ(1, Parse(refs, line));
  EXPECT_EQ(std::string(1023, 'L'), refs.text);
}

TEST_F(MenuItemLines, HostileLinesNeverOverrun) {
  const std::string huge(100000, 'a');
  std::string commas;
  for (int i = 0; i < 50000; ++i) commas += "b,";
  const std::string nulls(100000, '\0');
  const std::string percents(100000, '%');

  CMenuItem a;
  ASSERT_EQ(1, Parse(a, huge));
  EXPECT_EQ(1023, a.textLength);
  CMenuItem b;
  ASSERT_EQ(1, Parse(b, commas));
  EXPECT_EQ(63u, b.flags);
  EXPECT_STREQ("b", b.hint);
  CMenuItem c;
  ASSERT_EQ(1, Parse(c, nulls));
  EXPECT_EQ(0u, c.flags);
  EXPECT_EQ(nullptr, c.text);
  CMenuItem d;
  ASSERT_EQ(1, Parse(d, percents));
  EXPECT_EQ(ItemHasText, d.flags);
  EXPECT_EQ(std::string("???%%"), std::string(d.text, 5));
}

TEST_F(MenuItemLines, NullLineLeavesTheRecordAlone) {
  CMenuItem item;
  item.type = ItemExitReturn;
  item.right = 40;
  EXPECT_EQ(0, item.ParseLine(ItemOrdinary, nullptr, profile_));
  EXPECT_EQ(ItemExitReturn, item.type);
  EXPECT_EQ(0u, item.flags);
  EXPECT_EQ(nullptr, item.text);
  EXPECT_EQ(40, item.right);
}

TEST_F(MenuItemLines, ParsingAgainDescribesOnlyTheNewLine) {
  CMenuItem item;
  CMenuItem other;
  item.next = &other;
  ASSERT_EQ(1, Parse(item, "A,open,t,p,w,h"));
  ASSERT_EQ(63u, item.flags);
  EXPECT_EQ(nullptr, item.next);
  ASSERT_EQ(1, Parse(item, "B"));
  EXPECT_EQ(ItemHasText, item.flags);
  EXPECT_STREQ("B", item.text);
  EXPECT_EQ(1, item.textLength);
  EXPECT_EQ(nullptr, item.verb);
  EXPECT_EQ(nullptr, item.hint);
  ASSERT_EQ(1, Parse(item, "   "));
  EXPECT_EQ(0, item.textLength);
  EXPECT_EQ(nullptr, item.text);
}

TEST(MenuItemTest, ReleaseAndStringSlots) {
  CMenuItem item;
  item.flags = ItemHasText | ItemHasHint;
  item.textLength = 3;
  item.visited = 1;
  ASSERT_EQ(1, item.ReplaceString(&item.text, 4));
  EXPECT_STREQ("", item.text);
  std::snprintf(item.text, 4, "abc");
  ASSERT_EQ(1, item.ReplaceString(&item.text, 300));  // the old block is freed
  ASSERT_EQ(1, item.ReplaceString(&item.hint, 256));
  EXPECT_EQ(0, item.ReplaceString(nullptr, 8));

  item.FreeString(&item.hint);
  EXPECT_EQ(nullptr, item.hint);
  item.FreeString(&item.hint);
  item.FreeString(nullptr);

  EXPECT_EQ(1, item.Release());
  EXPECT_EQ(nullptr, item.text);
  EXPECT_EQ(0, item.visited);
  EXPECT_EQ(ItemHasText | ItemHasHint, item.flags) << "flags stay";
  EXPECT_EQ(3, item.textLength) << "textLength stays";
  EXPECT_EQ(1, item.Release()) << "releasing twice is harmless";
}

}  // namespace
