// The command-line forms of the menu program, on both systems' rules.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

constexpr const char* kStart = "C:\\start";
constexpr const char* kDefault = ".\\Quorel.ini";

TEST(CommandLineTest, EveryForm) {
  const struct {
    CommandLineRules rules;
    const char* text;
    bool restore;
    const char* first;   // definition file, or the session file of the restore form
    const char* second;  // working directory
  } cases[] = {
      {CommandLineRules::Windows, "", false, kDefault, kStart},
      {CommandLineRules::Windows, "menu2.ini,D:\\extra", false, "menu2.ini", "D:\\extra"},
      {CommandLineRules::Windows, " \tmenu2.ini \t,\t D:\\extra  ", false, "menu2.ini",
       "D:\\extra"},
      {CommandLineRules::Windows, ",D:\\menus", false, "", "D:\\menus"},
      {CommandLineRules::Windows, "a.ini,b/c", false, "a.ini", "b/c"},  // the comma wins
      {CommandLineRules::Windows, "a,b,c", false, "a", "b,c"},
      {CommandLineRules::Windows, "/quorel~.tmp", true, "quorel~.tmp", ""},
      {CommandLineRules::Windows, "x/y", true, "/y", ""},  // always from the second character
      {CommandLineRules::Windows, "/ spaced ", true, " spaced ", ""},  // not trimmed
      {CommandLineRules::Windows, "D:\\menus\\main.ini", false, kDefault, "D:\\menus"},
      {CommandLineRules::Windows, "  D:\\menus\\  ", false, kDefault, "D:\\menus"},
      {CommandLineRules::Windows, "D:\\main.ini", false, kDefault, "D:"},
      {CommandLineRules::Windows, "\"D:\\menus\\main.ini\"", false, kDefault, "\"D:\\menus"},
      {CommandLineRules::Windows, "main.ini", false, kDefault, kStart},
      {CommandLineRules::Windows, " \t ", false, kDefault, kStart},
      {CommandLineRules::Windows, "--restore quorel~.tmp", false, kDefault, kStart},
      {CommandLineRules::Linux, "", false, kDefault, kStart},
      {CommandLineRules::Linux, "/media/disc/x.ini", false, kDefault, "/media/disc"},
      {CommandLineRules::Linux, "menu2.ini,/media/disc/extra", false, "menu2.ini",
       "/media/disc/extra"},
      {CommandLineRules::Linux, "--restore quorel~.tmp", true, "quorel~.tmp", ""},
      {CommandLineRules::Linux, "--restore a,b", true, "a,b", ""},
      {CommandLineRules::Linux, "x/y", false, kDefault, "x"},  // no slash restore test
      {CommandLineRules::Linux, "/x.ini", false, kDefault, "/"},
      {CommandLineRules::Linux, "menus\\x.ini", false, kDefault, "menus"},
      {CommandLineRules::Linux, "main.ini", false, kDefault, kStart},
      {CommandLineRules::Linux, "--restored", false, kDefault, kStart},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const StartRequest request = ParseCommandLine(c.text, kStart, c.rules);
    EXPECT_EQ(c.restore, request.restore);
    EXPECT_EQ(c.first, c.restore ? request.sessionFile : request.definitionFile);
    EXPECT_EQ(c.second, request.workingDirectory);
  }
  EXPECT_EQ(kStart, ParseCommandLine(nullptr, kStart, CommandLineRules::Windows).workingDirectory);
}

}  // namespace
