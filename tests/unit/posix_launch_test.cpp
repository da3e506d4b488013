// Starting targets without a shell: how parameters are split and what is started (the plan),
// and real starts of a small script that reports its arguments, directory and surroundings.
#include "platform/posix/posix_launch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "tests/support/scoped_env.h"
#include "tests/unit/temp_folder.h"

namespace {

using Args = std::vector<std::string>;
using quorel_test::ScopedEnv;

TEST(PlanLaunchTest, SplitsParametersAndChoosesHowToStart) {
  const struct {
    const char* what;
    const char* verb;
    const char* file;
    const char* parameters;
    const char* directory;
    bool executable;
    bool direct;
    Args argv;
    std::string directoryUsed;
  } cases[] = {
      {"blanks and tabs separate",
       "open",
       "/d/run",
       " -a  b\tc ",
       nullptr,
       true,
       true,
       {"/d/run", "-a", "b", "c"},
       ""},
      {"double quotes group and are dropped",
       "open",
       "/d/run",
       "\"b c\" x\"y z\"w \"\"",
       nullptr,
       true,
       true,
       {"/d/run", "b c", "xy zw", ""},
       ""},
      {"an unclosed quote runs to the end",
       "open",
       "/d/run",
       "a \"b  c",
       nullptr,
       true,
       true,
       {"/d/run", "a", "b  c"},
       ""},
      {"; $(...) and backquotes are plain text",
       "open",
       "/d/run",
       "a;rm -rf x $(id) `id`|y",
       nullptr,
       true,
       true,
       {"/d/run", "a;rm", "-rf", "x", "$(id)", "`id`|y"},
       ""},
      {"backslashes in parameters stay",
       "open",
       "/d/run",
       "C:\\x \\\"q r\"",
       nullptr,
       true,
       true,
       {"/d/run", "C:\\x", "\\q r"},
       ""},
      {"no parameters", nullptr, "/d/run", nullptr, nullptr, true, true, {"/d/run"}, ""},
      {"parameters of blanks only", "open", "/d/run", " \t ", nullptr, true, true, {"/d/run"}, ""},
      {"a target name with blanks, quotes, ; $() and backquotes is one name",
       "open",
       "/d/a b\";$(x)`y`",
       nullptr,
       nullptr,
       true,
       true,
       {"/d/a b\";$(x)`y`"},
       ""},
      {"backslashes in target and directory are separators",
       "open",
       "\\d\\run",
       "x",
       "work\\dir",
       true,
       true,
       {"/d/run", "x"},
       "work/dir"},
      {"a verb with no meaning here runs the program",
       "Print",
       "/d/run",
       "x",
       nullptr,
       true,
       true,
       {"/d/run", "x"},
       ""},
      {"edit hands even a program to xdg-open",
       "EDIT",
       "/d/run",
       "x",
       nullptr,
       true,
       false,
       {"xdg-open", "/d/run"},
       ""},
      {"a document goes to xdg-open without parameters",
       "open",
       "/d/read me.txt",
       "-x y",
       "w",
       false,
       false,
       {"xdg-open", "/d/read me.txt"},
       "w"},
      {"a folder goes to xdg-open",
       "explore",
       "\\d\\folder\\",
       nullptr,
       nullptr,
       false,
       false,
       {"xdg-open", "/d/folder/"},
       ""},
      {"a name like an option is not one",
       "open",
       "-rf",
       nullptr,
       nullptr,
       false,
       false,
       {"xdg-open", "./-rf"},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LaunchPlan plan = PlanLaunch(c.verb, c.file, c.parameters, c.directory, c.executable);
    EXPECT_EQ(c.direct, plan.direct);
    EXPECT_EQ(c.argv, plan.argv);
    EXPECT_EQ(c.directoryUsed, plan.directory);
  }
}

class LaunchTest : public TempFolderTest {
 protected:
  // A script that writes what it was started with into $MARKER (whole, by a rename), after
  // $DELAY seconds.
  std::string WriteScript(const std::string& name) {
    std::string path = Write(name,
                             "#!/usr/bin/python3\n"
                             "import os, sys, time\n"
                             "time.sleep(float(os.environ.get('DELAY', '0')))\n"
                             "lines = ['cwd=' + os.getcwd(), 'pid=%d' % os.getpid(),\n"
                             "         'sid=%d' % os.getsid(0), 'ppid=%d' % os.getppid(),\n"
                             "         'stdin=' + os.readlink('/proc/self/fd/0'),\n"
                             "         'leak=%d' % os.path.exists('/proc/self/fd/50')]\n"
                             "lines += ['arg=' + a for a in sys.argv[1:]]\n"
                             "marker = os.environ['MARKER']\n"
                             "open(marker + '.part', 'w').write('\\n'.join(lines) + '\\n')\n"
                             "os.rename(marker + '.part', marker)\n");
    chmod(path.c_str(), 0755);
    return path;
  }
  // The marker's lines, waited for up to a deadline; empty when it did not come.
  std::multimap<std::string, std::string> WaitForMarker(const std::string& marker) {
    std::multimap<std::string, std::string> found;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::istringstream lines(ReadAll(marker));
    for (std::string line; std::getline(lines, line);) {
      const size_t at = line.find('=');
      if (at != std::string::npos) found.emplace(line.substr(0, at), line.substr(at + 1));
    }
    return found;
  }
  static bool HavePython() { return access("/usr/bin/python3", X_OK) == 0; }
};

TEST_F(LaunchTest, TellsExecutableFilesApart) {
  const std::string program = Write("program", "#!/bin/sh\n");
  chmod(program.c_str(), 0755);
  const std::string document = Write("document.txt", "text");
  chmod(document.c_str(), 0644);
  std::filesystem::create_directories(root_ / "folder");
  std::filesystem::create_symlink(program, root_ / "link");
  const struct {
    std::string path;
    bool executable;
  } cases[] = {{program, true},           {PathOf("link"), true},     {document, false},
               {PathOf("folder"), false}, {PathOf("missing"), false}, {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.executable, IsExecutableFile(c.path.c_str()));
  }
  EXPECT_FALSE(IsExecutableFile(nullptr));
}

TEST_F(LaunchTest, StartsTheProgramItselfDetachedAndReapsIt) {
  if (!HavePython()) GTEST_SKIP() << "python3 is needed for the reporting script";
  // The name would run commands if any shell saw it.
  const std::string script = WriteScript("run me;$(touch pwned)`touch pwned2`.py");
  std::filesystem::create_directories(root_ / "work" / "dir");
  const std::string marker = PathOf("marker");
  // A descriptor of ours without close-on-exec must not reach the program.
  const int leaked = dup2(open(script.c_str(), O_RDONLY), 50);
  ASSERT_EQ(50, leaked);
  const std::string directory = root_.string() + "\\work\\dir";

  const LaunchPlan plan = PlanLaunch("open", script.c_str(), "one \"two three\" ;echo $(id) `id`",
                                     directory.c_str(), IsExecutableFile(script.c_str()));
  ASSERT_TRUE(plan.direct);
  pid_t child = -1;
  {
    const ScopedEnv markerEnv("MARKER", marker);  // the program inherits it
    child = StartDetached(plan);
  }
  close(leaked);
  ASSERT_GT(child, 0);

  const auto report = WaitForMarker(marker);
  ASSERT_FALSE(report.empty()) << "the script did not report";
  Args args;
  for (auto [it, end] = report.equal_range("arg"); it != end; ++it) args.push_back(it->second);
  EXPECT_EQ(Args({"one", "two three", ";echo", "$(id)", "`id`"}), args);
  EXPECT_EQ((root_ / "work" / "dir").string(), report.find("cwd")->second);
  EXPECT_EQ(std::to_string(child), report.find("pid")->second);
  EXPECT_EQ(std::to_string(child), report.find("sid")->second);  // a session of its own
  EXPECT_EQ("/dev/null", report.find("stdin")->second);
  EXPECT_EQ("0", report.find("leak")->second);
  for (const char* made : {"pwned", "pwned2"}) {
    EXPECT_FALSE(std::filesystem::exists(root_ / made));
    EXPECT_FALSE(std::filesystem::exists(root_ / "work" / "dir" / made));
  }

  // Once it has ended it is reaped: no zombie stays behind.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (kill(child, 0) == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(-1, kill(child, 0)) << "the started program is still there (a zombie?)";
  EXPECT_EQ(ESRCH, errno);
}

TEST_F(LaunchTest, OutlivesTheProcessThatStartedIt) {
  if (!HavePython()) GTEST_SKIP() << "python3 is needed for the reporting script";
  const std::string script = WriteScript("late.py");
  const std::string marker = PathOf("marker");
  pid_t starter = -1;
  int status = 0;
  {
    // The starter and the program it starts inherit them.
    const ScopedEnv markerEnv("MARKER", marker), delayEnv("DELAY", "0.5");
    starter = fork();
    ASSERT_NE(-1, starter);
    if (starter == 0) {
      const pid_t started =
          StartDetached(PlanLaunch(nullptr, script.c_str(), "late", nullptr, true));
      _exit(started > 0 ? 0 : 1);
    }
    ASSERT_EQ(starter, waitpid(starter, &status, 0));
  }
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // The starter is gone before the script writes anything.
  const auto report = WaitForMarker(marker);
  ASSERT_FALSE(report.empty()) << "the script did not outlive its starter";
  EXPECT_EQ("late", report.find("arg")->second);
  EXPECT_NE(std::to_string(starter), report.find("ppid")->second);
}

// A web address reaches xdg-open as written: not made a path, not taken for a program.
TEST_F(LaunchTest, WebAddressesGoToXdgOpenAsWritten) {
  if (!HavePython()) GTEST_SKIP() << "python3 is needed for the reporting script";
  std::filesystem::create_directories(root_ / "bin");
  std::filesystem::rename(WriteScript("xdg-open"), root_ / "bin" / "xdg-open");
  const std::string marker = PathOf("marker");
  const ScopedEnv path("PATH", (root_ / "bin").string() + ":/usr/bin:/bin");
  const ScopedEnv markerEnv("MARKER", marker);
  const char* address = "https://example.org/setup.exe?a=b\\c";
  EXPECT_EQ("", LaunchTarget("open", address, nullptr, nullptr));
  const auto report = WaitForMarker(marker);
  ASSERT_FALSE(report.empty()) << "the stand-in xdg-open did not report";
  EXPECT_EQ(address, report.find("arg")->second);
}

TEST_F(LaunchTest, WhatCannotStartIsExplained) {
  const auto file = [this](const char* name, const std::string& bytes, mode_t mode) {
    const std::string path = Write(name, bytes);
    chmod(path.c_str(), mode);
    return path;
  };
  const std::string program = file("program", "#!/bin/sh\n", 0755);
  const struct {
    const char* what;
    std::string path;
    std::string directory;
    const char* reason;  // in the text after the path; "" when it starts
  } cases[] = {
      {"working folder missing", program, PathOf("missing-dir"), "working folder"},
      {"no #! line and no known format", file("plain", "echo hi\n", 0755), "", "unknown format"},
      {"interpreter missing", file("lost", "#!/nowhere/interpreter\n", 0755), "", "interpreter"},
      {"script without its execute bit", file("script.sh", "#!/bin/sh\n", 0644), "",
       "no execute bit"},
      {"program without its execute bit",
       file("binary",
            "\x7f"
            "ELF\1\1",
            0644),
       "", "no execute bit"},
      {"a program that starts", program, root_.string(), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = LaunchTarget("open", c.path.c_str(), nullptr,
                                          c.directory.empty() ? nullptr : c.directory.c_str());
    if (c.reason[0] == '\0') {
      EXPECT_EQ("", text);
      continue;
    }
    EXPECT_EQ(0u, text.find(c.path + "\n\n")) << text;
    EXPECT_NE(std::string::npos, text.find(c.reason)) << text;
  }
  // Documents and "edit" go to xdg-open whatever their first bytes; nothing to start at all is
  // no failure.
  EXPECT_FALSE(PlanLaunch("edit", program.c_str(), nullptr, nullptr, true).direct);
  EXPECT_EQ("", LaunchTarget("open", "", nullptr, nullptr));
  int error = 0;
  EXPECT_EQ(-1, StartDetached(LaunchPlan{}, &error));
  EXPECT_NE(0, error);
}

}  // namespace
