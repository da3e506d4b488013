// The log-on registration and reload program on Linux: the autostart entry's Exec quoting, read
// back as a launcher reads it, and the built pindrel run for real from that entry.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "platform/log_on.h"
#include "platform/posix/posix_log_on.h"
#include "tests/support/desktop_exec.h"
#include "tests/support/scoped_env.h"
#include "tests/unit/temp_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

using quorel_test::ParseExecValue;
using quorel_test::ScopedEnv;

// The value of key in an entry's text; empty when missing. *count: how often the key appears.
std::string EntryValue(const std::string& text, const std::string& key, int* count = nullptr) {
  std::istringstream lines(text);
  std::string line;
  std::string value;
  int found = 0;
  while (std::getline(lines, line)) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) {
      value = line.substr(key.size() + 1);
      ++found;
    }
  }
  if (count != nullptr) *count = found;
  return value;
}

TEST(ExecValueTest, QuotesByTheDesktopEntryRules) {
  const struct {
    const char* what;
    Args arguments;
    std::string expected;
  } cases[] = {
      {"plain path and name", {"/usr/lib/pindrel", "session.tmp"}, "/usr/lib/pindrel session.tmp"},
      {"blanks", {"/home/a b/pindrel", "x"}, "\"/home/a b/pindrel\" x"},
      {"tilde is reserved", {"quorel~.tmp"}, "\"quorel~.tmp\""},
      {"double quote", {"a\"b"}, "\"a\\\\\"b\""},
      {"backslash: escaped for the quotes, then for the string", {"a\\b"}, "\"a\\\\\\\\b\""},
      {"dollar and backquote", {"$HOME`id`"}, "\"\\\\$HOME\\\\`id\\\\`\""},
      {"single quote needs quotes only", {"it's"}, "\"it's\""},
      {"percent outside quotes", {"100%"}, "100%%"},
      {"percent inside quotes", {"50% off"}, "\"50%% off\""},
      {"empty argument kept", {"/p", ""}, "/p \"\""},
      {"UTF-8 stays as it is", {"/home/j\xc3\xbcrgen/pindrel"}, "/home/j\xc3\xbcrgen/pindrel"},
      {"= and , are plain", {"a=b,c"}, "a=b,c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string value;
    ASSERT_TRUE(FormatExecValue(c.arguments, &value));
    EXPECT_EQ(c.expected, value);
    Args parsed;
    ASSERT_TRUE(ParseExecValue(value, &parsed)) << value;
    EXPECT_EQ(c.arguments, parsed);
  }
}

TEST(ExecValueTest, RefusesTextThatCannotBeWrittenSafely) {
  const struct {
    const char* what;
    std::string argument;
  } cases[] = {
      {"newline", "/a\nExec=/bin/evil"},
      {"carriage return", "/a\rb"},
      {"tab", "/a\tb"},
      {"delete", "/a\x7f"},
      {"stray continuation byte", "/a\x80"},
      {"overlong slash", "/a\xc0\xaf"},
      {"cut sequence at the end", "/a\xe2\x82"},
      {"surrogate", "/a\xed\xa0\x80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string value = "untouched";
    EXPECT_FALSE(FormatExecValue({"/p", c.argument}, &value));
    EXPECT_EQ("untouched", value);
    EXPECT_EQ("", DesktopEntryText("QuorelReload", c.argument, "quorel~.tmp"));
  }
}

TEST(AutostartEntryPathTest, FollowsXdgConfigHome) {
  ScopedEnv homeEnv("HOME", "/home/u");
  const struct {
    const char* what;
    const char* config;  // XDG_CONFIG_HOME, null: unset
    const char* name;
    std::string expected;
  } cases[] = {
      {"set and absolute", "/c/fg/", "QuorelReload", "/c/fg/autostart/QuorelReload.desktop"},
      {"unset", nullptr, "QuorelReload", "/home/u/.config/autostart/QuorelReload.desktop"},
      {"empty", "", "QuorelReload", "/home/u/.config/autostart/QuorelReload.desktop"},
      {"relative is ignored", "conf", "QuorelReload",
       "/home/u/.config/autostart/QuorelReload.desktop"},
      {"a name with a slash would leave the folder", "/c", "../QuorelReload", ""},
      {"empty name", "/c", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedEnv configEnv("XDG_CONFIG_HOME", c.config);
    EXPECT_EQ(c.expected, AutostartEntryPath(c.name));
  }
}

// A Windows-directory stand-in and configuration folder whose paths hold blanks and quotes of
// both kinds, so every path the entry names has to be quoted.
class AutostartTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    windir_ = PathOf("win \"dir\" x");
    config_ = PathOf("conf 'c' $y");
    fs::create_directories(windir_);
    windirEnv_ = std::make_unique<ScopedEnv>("QUOREL_WINDIR", windir_.c_str());
    configEnv_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", config_.c_str());
    entry_ = config_ + "/autostart/QuorelReload.desktop";
  }
  void TearDown() override {
    configEnv_.reset();
    windirEnv_.reset();
    TempFolderTest::TearDown();
  }

  // The Exec of the entry read back as a launcher would run it; empty when it is broken.
  Args EntryCommand() const {
    Args command;
    const std::string text = ReadAll(entry_);
    int count = 0;
    const std::string exec = EntryValue(text, "Exec", &count);
    if (count != 1 || !ParseExecValue(exec, &command)) command.clear();
    return command;
  }

  std::string windir_;
  std::string config_;
  std::string entry_;
  std::unique_ptr<ScopedEnv> windirEnv_;
  std::unique_ptr<ScopedEnv> configEnv_;
};

TEST_F(AutostartTest, SetWritesAValidEntryReplacesItAndRemoveDeletesIt) {
  EXPECT_EQ(LogOnUser, SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "quorel~.tmp", 1));
  const std::string text = ReadAll(entry_);
  EXPECT_EQ(0u, text.rfind("[Desktop Entry]\n", 0)) << text;
  EXPECT_EQ("Application", EntryValue(text, "Type"));
  EXPECT_EQ("QuorelReload", EntryValue(text, "Name"));
  EXPECT_EQ(Args({windir_ + "/pindrel", "quorel~.tmp"}), EntryCommand()) << text;

  SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "other name.tmp", 1);
  EXPECT_EQ(Args({windir_ + "/pindrel", "other name.tmp"}), EntryCommand());
  // A full path is used as it is: a backslash is part of a POSIX name.
  SetLogOnCommand(kLogOnEntryName, "/opt/a\\b/pindrel", "/x\\y/quorel~.tmp", 0);
  EXPECT_EQ(Args({"/opt/a\\b/pindrel", "/x\\y/quorel~.tmp"}), EntryCommand());
  // The replacement went through a temporary file that is gone again.
  EXPECT_EQ(
      1, std::distance(fs::directory_iterator(config_ + "/autostart"), fs::directory_iterator()));

  RemoveLogOnCommand(kLogOnEntryName);
  EXPECT_FALSE(fs::exists(entry_));
  RemoveLogOnCommand(kLogOnEntryName);  // already gone: no error, nothing else touched
  EXPECT_TRUE(fs::exists(config_ + "/autostart"));
}

TEST_F(AutostartTest, NoEntryForAPathThatCannotBeWrittenSafely) {
  SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "quorel~.tmp", 1);
  ASSERT_TRUE(fs::exists(entry_));
  // A newline in the directory would end Exec early and start a line of its own.
  const std::string broken = PathOf("win\nExec=/bin/false");
  fs::create_directories(broken);
  ScopedEnv windir("QUOREL_WINDIR", broken.c_str());
  EXPECT_EQ(LogOnNowhere, SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "quorel~.tmp", 1));
  // Neither a broken entry nor the earlier one, which would restore a stale session.
  EXPECT_FALSE(fs::exists(entry_));
}

// The built reload program, placed in the Windows-directory stand-in as the menu program
// places it, and a target that leaves its working directory and arguments in a marker file.
class ReloadTest : public AutostartTest {
 protected:
  void SetUp() override {
    AutostartTest::SetUp();
    const std::string image = ReadAll(QUOREL_RELOAD_PROGRAM_FILE);
    ASSERT_FALSE(image.empty()) << QUOREL_RELOAD_PROGRAM_FILE;
    ASSERT_EQ(1,
              WriteProgramFile((windir_ + "/pindrel").c_str(),
                               reinterpret_cast<const unsigned char*>(image.data()), image.size()));
    fs::create_directories(PathOf("bin 'b'"));
    menu_ =
        Write("bin 'b'/menu \"m\".sh",
              "#!/bin/sh\n"
              "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$MARKER.part\"\n"
              "mv \"$MARKER.part\" \"$MARKER\"\n");
    fs::permissions(menu_, fs::perms::owner_all);
    workpath_ = PathOf("work $dir");
    fs::create_directories(workpath_);
    marker_ = PathOf("marker");
    markerEnv_ = std::make_unique<ScopedEnv>("MARKER", marker_.c_str());
  }
  void TearDown() override {
    markerEnv_.reset();
    AutostartTest::TearDown();
  }

  void WriteSession(const std::string& name) const {
    Write((fs::path("win \"dir\" x") / name).string(),
          "[Config]\r\nExec=" + menu_ + "\r\nWorkpath=" + workpath_ + "\r\n");
  }

  // Runs command and returns its exit code, or -1 when it did not end normally.
  static int Run(const Args& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The marker's lines once the target has written it; empty when it did not come in time.
  Args WaitForMarker() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(marker_) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Args lines;
    std::istringstream text(ReadAll(marker_));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  std::string menu_;
  std::string workpath_;
  std::string marker_;
  std::unique_ptr<ScopedEnv> markerEnv_;
};

TEST_F(ReloadTest, RunFromItsEntryRestoresTheMenuAfterRemovingTheEntry) {
  WriteSession("quorel~.tmp");
  SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "quorel~.tmp", 1);
  const Args command = EntryCommand();
  ASSERT_FALSE(command.empty()) << ReadAll(entry_);
  EXPECT_EQ(0, Run(command));
  EXPECT_FALSE(fs::exists(entry_));
  // Started in the session's working directory, in the restore form.
  EXPECT_EQ(Args({fs::canonical(workpath_).string(), "--restore", "quorel~.tmp"}), WaitForMarker());
}

TEST_F(ReloadTest, AnArgumentWithBlanksIsOneSessionFileName) {
  WriteSession("my  session.tmp");
  const Args forms[] = {{"my  session.tmp"}, {"my", "", "session.tmp"}};
  for (const Args& form : forms) {
    SCOPED_TRACE(form.size());
    fs::remove(marker_);
    Args command = {windir_ + "/pindrel"};
    command.insert(command.end(), form.begin(), form.end());
    EXPECT_EQ(0, Run(command));
    EXPECT_EQ(Args({fs::canonical(workpath_).string(), "--restore", "my  session.tmp"}),
              WaitForMarker());
  }
}

TEST_F(ReloadTest, EmptyArgumentDoesNothing) {
  WriteSession("quorel~.tmp");
  const Args forms[] = {{}, {""}, {"  "}};
  for (const Args& form : forms) {
    SCOPED_TRACE(form.size());
    SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "quorel~.tmp", 1);
    Args command = {windir_ + "/pindrel"};
    command.insert(command.end(), form.begin(), form.end());
    EXPECT_EQ(0, Run(command));
    EXPECT_TRUE(fs::exists(entry_));
  }
}

TEST_F(ReloadTest, MissingSessionFileStillRemovesTheEntry) {
  SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "quorel~.tmp", 1);
  const Args command = EntryCommand();
  ASSERT_FALSE(command.empty()) << ReadAll(entry_);
  EXPECT_EQ(0, Run(command));
  EXPECT_FALSE(fs::exists(entry_));
  // An entry that is already gone is no error either.
  EXPECT_EQ(0, Run(command));
  EXPECT_FALSE(fs::exists(marker_));
}

}  // namespace
