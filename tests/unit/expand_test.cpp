// Tests of %name% expansion (string sections, include files, cutting) and the trimming helpers.
// Uses only the core, the platform seam and INI files written into a fresh temp folder.
#include "profile/expand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/copy_text.h"
#include "platform/os_info.h"
#include "profile/profile.h"
#include "tests/unit/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string CountrySection() { return "String." + std::to_string(UserCountryCode()); }

class ExpandFiles : public TempFolderTest {
 protected:
  // Opens file in profile; its string section is the country one.
  void Open(const std::string& file) {
    ASSERT_EQ(1, profile_.SetFile(file.c_str(), 1));
    ASSERT_EQ(CountrySection(), profile_.stringSectionName);
  }
  std::string Expand(const char* text, uint32_t size = 1024) {
    std::vector<char> out(size + 1, '#');
    const uint32_t count = profile_.ExpandText(out.data(), size, text);
    EXPECT_EQ(std::strlen(out.data()), count) << text;
    return out.data();
  }

  CProfile profile_{VariantOther};
};

TEST_F(ExpandFiles, ReferencesAndPlainText) {
  Open(Write("main.ini", "[" + CountrySection() +
                             "]\nHello=Hallo\nEmpty=\nNested=%Hello%\n"
                             "[String]\nHello=Hello\nBye=Bye\nEmpty=Fallback\n"));
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"%Hello% and %Bye%", "Hallo and Bye"},
      {"100% sure", "100"},
      {"  Setup", "Setup"},
      {"\tSetup", "\tSetup"},
      {"%Empty%", "Fallback"},
      {"%hello%", "Hallo"},
      {"%Missing%!", "???%Missing%!"},
      {"50%% off", "50???%% off"},
      {"%Nested%", "%Hello%"},
      {"a%Bye%%Bye%b", "aByeByeb"},
      {"", ""},
      {"   ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Expand(c.text)) << c.text;
}

TEST_F(ExpandFiles, OutputIsCutAndTerminated) {
  Open(Write("main.ini", "[String]\nHello=Hallo\nRu=\xd0\x9f\xd1\x80\xd0\xb8\nLong=" +
                             std::string(400, 'v') + "\n"));
  EXPECT_EQ("", Expand("abcdefgh", 1));
  EXPECT_EQ("abcd", Expand("abcdefgh", 5));
  EXPECT_EQ("Hal", Expand("%Hello%", 4));
  EXPECT_EQ("xHa", Expand("x%Hello%", 4));
  // Cuts keep whole characters, of the text and of a value ("При": two bytes a letter).
  EXPECT_EQ("\xd0\x9f", Expand("%Ru%", 4));
  EXPECT_EQ("a\xd0\x9f", Expand("a%Ru%", 5));
  EXPECT_EQ("a\xd0\x9f", Expand("a\xd0\x9f\xd1\x80", 5));
  // One value contributes at most 259 characters.
  EXPECT_EQ(std::string(259, 'v'), Expand("%Long%", 1024));

  char untouched[4] = "abc";
  EXPECT_EQ(0u, profile_.ExpandText(untouched, 0, "xyz"));
  EXPECT_STREQ("abc", untouched);
  EXPECT_EQ(0u, profile_.ExpandText(untouched, sizeof untouched, nullptr));
  EXPECT_STREQ("abc", untouched);
  EXPECT_EQ(0u, profile_.ExpandText(nullptr, 10, "xyz"));
}

TEST_F(ExpandFiles, ExpandsInPlace) {
  Open(Write("main.ini", "[String]\nHello=Hallo und viel mehr Text\nBye=Bye\n"));
  const char* const text = "  %Hello% and %Bye% %Missing%";
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%s", text);
  const std::string expected = Expand(text);
  EXPECT_EQ(expected.size(), profile_.ExpandText(buffer, sizeof buffer, buffer));
  EXPECT_EQ(expected, buffer);
  EXPECT_EQ("Hallo und viel mehr Text and Bye ???%Missing%", expected);
}

TEST_F(ExpandFiles, IncludeFilesAndTheNameLengthRule) {
  const std::string name30(30, 'n');
  const std::string name31(31, 'n');
  const std::string inc = Write(
      "inc.ini", "[String]\nName=FromInclude\n" + name30 + "=Thirty\n" + name31 + "=ThirtyOne\n");
  const std::string main = Write("main.ini", "[String]\n#include=" + inc + "\nOwn=Own\n");
  Open(main);
  EXPECT_EQ("FromInclude", Expand("%Name%"));
  EXPECT_EQ("Thirty", Expand(("%" + name30 + "%").c_str()));
  EXPECT_EQ("???%" + name31 + "%", Expand(("%" + name31 + "%").c_str()));
  EXPECT_EQ("???%Absent%", Expand("%Absent%"));
  EXPECT_STREQ(main.c_str(), profile_.filePath) << "the current file is switched back";
}

TEST_F(ExpandFiles, FirstIncludeDecidesWhenUsable) {
  const std::string lacking = Write("lacking.ini", "[String]\nOther=x\n");
  const std::string has = Write("has.ini", "[String]\nName=Second\n");
  const std::string empty = Write("empty.ini", "");
  const std::string cs = CountrySection();

  // The country section's include lacks Name: its "???" text is the value.
  Open(Write("a.ini", "[" + cs + "]\n#include=" + lacking + "\n[String]\n#include=" + has + "\n"));
  EXPECT_EQ("???%Name%", Expand("%Name%"));

  // An empty or missing first include is passed over.
  Open(Write("b.ini", "[" + cs + "]\n#include=" + empty + "\n[String]\n#include=" + has + "\n"));
  EXPECT_EQ("Second", Expand("%Name%"));
  Open(Write("c.ini", "[" + cs + "]\n#include=" + (root_ / "nowhere.ini").string() +
                          "\n[String]\n#include=" + has + "\n"));
  EXPECT_EQ("Second", Expand("%Name%"));
  Open(Write("d.ini", "[String]\n#include=" + empty + "\n"));
  EXPECT_EQ("???%Name%", Expand("%Name%"));
}

TEST_F(ExpandFiles, IncludeUsesItsOwnSectionsAndRechoosesTheStringSection) {
  const std::string cs = CountrySection();
  const std::string inc = Write("inc.ini", "[" + cs + "]\nName=Country\n[String]\nName=Plain\n");
  const std::string main =
      Write("main.ini", "[Mine]\n#include=" + inc + "\n[" + cs + "]\nOwn=x\n[Other]\ny=1\n");
  Open(main);
  ASSERT_EQ(1, profile_.SelectStringSection("Other"));
  // No include is reachable from "Other" (and there is no "String"): nothing switches.
  EXPECT_EQ("???%Name%", Expand("%Name%"));
  EXPECT_STREQ("Other", profile_.stringSectionName);

  // The include file is read through its own country section; switching back chooses the
  // string section by country again, not the name chosen before.
  ASSERT_EQ(1, profile_.SelectStringSection("Mine"));
  EXPECT_EQ("Country", Expand("%Name%"));
  EXPECT_EQ(cs, profile_.stringSectionName);
  EXPECT_STREQ(main.c_str(), profile_.filePath);
}

TEST_F(ExpandFiles, RelativeIncludeIsTakenFromTheCurrentDirectory) {
  Write("rel.ini", "[String]\nName=Relative\n");
  const std::string main = Write("main.ini", "[String]\n#include=rel.ini\n");
  const fs::path before = fs::current_path();
  fs::current_path(root_);
  Open(main);
  const std::string result = Expand("%Name%");
  fs::current_path(before);
  EXPECT_EQ("Relative", result);
}

TEST_F(ExpandFiles, IncludesNamingEachOtherEndWithUnresolvedText) {
  const std::string a = (root_ / "a.ini").string();
  const std::string b = (root_ / "b.ini").string();
  Write("a.ini", "[String]\n#include=" + b + "\nOwn=A\n");
  Write("b.ini", "[String]\n#include=" + a + "\n");
  Open(a);
  EXPECT_EQ("A ???%Name% ???%Other%", Expand("%Own% %Name% %Other%"));
  EXPECT_STREQ(a.c_str(), profile_.filePath);

  // A file that includes itself.
  const std::string self = (root_ / "self.ini").string();
  Write("self.ini", "[String]\n#include=" + self + "\n");
  Open(self);
  EXPECT_EQ("???%Name%", Expand("%Name%"));
}

TEST_F(ExpandFiles, IncludeChainsResolveUpToTheDepthBound) {
  // main -> inc1 -> ... -> inc9; inc8 defines Deep8, inc9 defines Deep9.
  std::vector<std::string> files;
  for (int i = 0; i <= 9; ++i)
    files.push_back((root_ / ("inc" + std::to_string(i) + ".ini")).string());
  for (int i = 0; i <= 9; ++i) {
    std::string content = "[String]\n";
    if (i < 9) content += "#include=" + files[i + 1] + "\n";
    content += "Deep" + std::to_string(i) + "=level" + std::to_string(i) + "\n";
    Write("inc" + std::to_string(i) + ".ini", content);
  }
  Open(files[0]);
  EXPECT_EQ("level3", Expand("%Deep3%"));
  EXPECT_EQ("level8", Expand("%Deep8%"));
  EXPECT_EQ("???%Deep9%", Expand("%Deep9%"));
  EXPECT_STREQ(files[0].c_str(), profile_.filePath);
}

TEST(TrimTest, SkipLeading) {
  struct Case {
    const char* text;
    char c1, c2;
    const char* rest;
  };
  const Case cases[] = {
      {" \t x ", ' ', '\t', "x "}, {"..\\..\\tools", '.', '\0', "\\..\\tools"},
      {"\\\\x", '\\', '\0', "x"},  {"   ", ' ', '\t', ""},
      {"\t x", ' ', '\0', "\t x"}, {"abc", ' ', '\t', "abc"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.rest, SkipLeading(c.text, c.c1, c.c2)) << c.text;
  EXPECT_EQ(nullptr, SkipLeading(static_cast<const char*>(nullptr), ' ', '\t'));
}

TEST(TrimTest, TrimTrailing) {
  struct Case {
    const char* text;
    char c1, c2;
    const char* kept;
    int removed;
  };
  const Case cases[] = {
      {"x \t ", ' ', '\t', "x", 3}, {"x \t", ' ', '\0', "x \t", 0}, {" \t ", ' ', '\t', "", 3},
      {"x  ", '\0', ' ', "x  ", 0}, {"", ' ', '\t', "", 0},         {"a b", ' ', '\t', "a b", 0},
  };
  for (const Case& c : cases) {
    std::string buffer(c.text);
    EXPECT_EQ(c.removed, TrimTrailing(&buffer[0], c.c1, c.c2)) << '"' << c.text << '"';
    EXPECT_STREQ(c.kept, buffer.c_str()) << '"' << c.text << '"';
  }
  EXPECT_EQ(0, TrimTrailing(nullptr, ' ', '\t'));
}

}  // namespace

// The one copy helper cuts to size - 1 bytes, never inside a UTF-8 character.
TEST(CopyTextTest, CutsWholeCharacters) {
  struct Case {
    const char* text;
    size_t size;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"abc", 3, "ab"},
      {"\xd0\x9f\xd1\x80", 4, "\xd0\x9f"},          // "Пр": the second letter does not fit
      {"\xd0\x9f\xd1\x80", 5, "\xd0\x9f\xd1\x80"},  // fits exactly
      {"a\xe2\x82\xac", 3, "a"},                    // "a€": the euro sign's three bytes
      {"\xf0\x9f\x98\x80z", 4, ""},                 // a four-byte character
      {"t\xe9x", 3, "t\xe9"},                       // a byte that starts no sequence stays
  };
  for (const Case& c : cases) {
    char out[8];
    EXPECT_EQ(std::strlen(c.expected), CopyText(out, c.size, c.text)) << c.text;
    EXPECT_STREQ(c.expected, out) << c.text;
    EXPECT_EQ(std::strlen(c.expected), CopyTextN(out, c.size, c.text, std::strlen(c.text)));
    EXPECT_STREQ(c.expected, out) << c.text;
  }
}
