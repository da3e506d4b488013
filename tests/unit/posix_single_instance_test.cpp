// The single-instance guard of the Linux build: one copy holds the lock, a later copy is refused
// and asks the running one to come forward over the local socket. A forked child plays the
// running copy (the guard keeps per-process state). Its own program: the unit tests link the
// headless guard.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/app_shell.h"
#include "platform/sdl/sdl_single_instance.h"
#include "tests/support/scoped_env.h"
#include "tests/unit/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using quorel_test::ScopedEnv;

constexpr char kGuard[] = "INI Quorel 1.0 PreventSecondInstance";
constexpr char kLockName[] = "INI_Quorel_1.0_PreventSecondInstance.lock";
constexpr char kSocketName[] = "INI_Quorel_1.0_PreventSecondInstance.sock";

// Exit codes of the running copy.
constexpr int kActivated = 10;
constexpr int kNotActivated = 20;
constexpr int kNotClaimed = 30;

// Points XDG_RUNTIME_DIR and QUOREL_WINDIR at the test's folders for one test.
class SingleInstanceTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    runtime_ = root_ / "run";
    fs::create_directories(runtime_);
    runtimeEnv_.emplace("XDG_RUNTIME_DIR", runtime_.string());
    windirEnv_.emplace("QUOREL_WINDIR", (root_ / "state").string());
  }
  void TearDown() override {
    ReleaseSingleInstance();
    windirEnv_.reset();
    runtimeEnv_.reset();
    TempFolderTest::TearDown();
  }

  // Forks the running copy: it claims the guard, says so through a pipe, then serves
  // activation requests until one comes (exit kActivated) or the test closes stopFd
  // (kNotActivated). Returns its pid; claimed tells whether it got the guard.
  pid_t StartRunningCopy(bool* claimed) {
    int ready[2], stop[2];
    if (pipe(ready) != 0 || pipe(stop) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
      close(ready[0]);
      close(stop[1]);
      const char held = ClaimSingleInstance(kGuard) ? 1 : 0;
      if (write(ready[1], &held, 1) != 1 || !held) _exit(kNotClaimed);
      for (;;) {
        if (TakeActivateRequest()) _exit(kActivated);
        pollfd waiting{stop[0], POLLIN, 0};
        // A request sent before the stop is still taken.
        if (poll(&waiting, 1, 10) > 0) _exit(TakeActivateRequest() ? kActivated : kNotActivated);
      }
    }
    close(ready[1]);
    close(stop[0]);
    stopFd_ = stop[1];
    char held = 0;
    *claimed = read(ready[0], &held, 1) == 1 && held == 1;
    close(ready[0]);
    return pid;
  }

  // Tells the running copy to end and returns its exit code.
  int EndRunningCopy(pid_t pid) {
    close(stopFd_);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  fs::path runtime_;
  int stopFd_ = -1;
  std::optional<ScopedEnv> runtimeEnv_, windirEnv_;
};

// Connects to the running copy's socket and sends bytes as they are.
bool SendRaw(const fs::path& socketPath, const std::string& bytes) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  const bool connected =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (connected && !bytes.empty()) {
    EXPECT_EQ(static_cast<ssize_t>(bytes.size()), send(fd, bytes.data(), bytes.size(), 0));
  }
  close(fd);
  return connected;
}

TEST_F(SingleInstanceTest, SecondCopyIsRefusedAndBringsTheFirstForward) {
  bool claimed = false;
  const pid_t first = StartRunningCopy(&claimed);
  ASSERT_TRUE(claimed);
  EXPECT_TRUE(fs::exists(runtime_ / kLockName));
  EXPECT_EQ(0, ClaimSingleInstance(kGuard));
  // Another guard name is another program.
  EXPECT_EQ(1, ClaimSingleInstance("Some other guard"));
  ReleaseSingleInstance();
  EXPECT_EQ(0, ClaimSingleInstance(kGuard));
  ActivateOtherCopy("QUOREL");
  EXPECT_EQ(kActivated, EndRunningCopy(first));
  // The first copy is gone, and its lock with it.
  EXPECT_EQ(1, ClaimSingleInstance(kGuard));
}

TEST_F(SingleInstanceTest, OnlyTheActivateMessageCounts) {
  const struct {
    const char* what;
    std::string bytes;
    bool activates;
  } cases[] = {
      {"the message", "activate", true},
      {"with a line end", "activate\n", true},
      {"with CR LF", "activate\r\n", true},
      {"cut short", "activat", false},
      {"longer", "activated", false},
      {"other case", "ACTIVATE", false},
      {"nothing", "", false},
      {"binary", std::string("activate\0\0", 10), false},
      {"long", std::string(4096, 'a'), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool claimed = false;
    const pid_t running = StartRunningCopy(&claimed);
    ASSERT_TRUE(claimed);
    ASSERT_TRUE(SendRaw(runtime_ / kSocketName, c.bytes));
    if (!c.activates) usleep(300 * 1000);  // time for a wrong answer to show
    EXPECT_EQ(c.activates ? kActivated : kNotActivated, EndRunningCopy(running));
  }
}

// A local program that connects and sends nothing must not stall the running copy's loop.
TEST_F(SingleInstanceTest, SilentConnectionIsDroppedQuickly) {
  ASSERT_EQ(1, ClaimSingleInstance(kGuard));
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (runtime_ / kSocketName).c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(0, connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(TakeActivateRequest());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  close(fd);
  // The guard still serves a real request afterwards.
  ActivateOtherCopy("QUOREL");
  EXPECT_TRUE(TakeActivateRequest());
  EXPECT_FALSE(TakeActivateRequest());
}

// A copy that ended without letting go (a session end, a crash) leaves its socket file behind;
// the next copy takes over and can be reached.
TEST_F(SingleInstanceTest, StaleSocketIsReplaced) {
  const pid_t crashed = fork();
  if (crashed == 0) _exit(ClaimSingleInstance(kGuard) ? 0 : 1);
  int status = 0;
  ASSERT_EQ(crashed, waitpid(crashed, &status, 0));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(fs::exists(runtime_ / kSocketName));
  bool claimed = false;
  const pid_t running = StartRunningCopy(&claimed);
  ASSERT_TRUE(claimed);
  EXPECT_EQ(0, ClaimSingleInstance(kGuard));
  ActivateOtherCopy("QUOREL");
  EXPECT_EQ(kActivated, EndRunningCopy(running));
}

// Programs the menu starts outlive it; they must not keep holding the guard.
TEST_F(SingleInstanceTest, StartedProgramsDoNotInheritTheGuard) {
  ASSERT_EQ(1, ClaimSingleInstance(kGuard));
  const pid_t started = fork();
  if (started == 0) {
    execl("/bin/sleep", "sleep", "5", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Until the exec the child holds copies of every descriptor, inheritable or not.
  const std::string comm = "/proc/" + std::to_string(started) + "/comm";
  for (int i = 0; i < 200 && ReadAll(comm) != "sleep\n"; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ("sleep\n", ReadAll(comm));
  ReleaseSingleInstance();
  bool claimed = false;
  const pid_t next = StartRunningCopy(&claimed);
  EXPECT_TRUE(claimed);
  EndRunningCopy(next);
  kill(started, SIGKILL);
  waitpid(started, nullptr, 0);
}

TEST_F(SingleInstanceTest, WhereTheLockIsKept) {
  const fs::path state = root_ / "state";
  const fs::path deep = root_ / std::string(120, 'd');  // too long for a socket address
  fs::create_directories(deep);
  const ScopedEnv tmpdir("TMPDIR", (root_ / "tmp").string());
  fs::create_directories(root_ / "tmp");
  const fs::path own = root_ / "tmp" / ("quorel-" + std::to_string(getuid()));
  const fs::path elsewhere = root_ / "elsewhere";
  // A lock path the guard must pass over: a link, a folder, another user's file (as root, who
  // can open any file) or a file this user cannot open.
  const auto link = [&](const fs::path& dir) {
    fs::create_directory_symlink(elsewhere, dir / kLockName);
  };
  const auto folder = [&](const fs::path& dir) { fs::create_directories(dir / kLockName); };
  const auto foreign = [&](const fs::path& dir) {
    std::ofstream(dir / kLockName).put(0);
    if (getuid() == 0) {
      ASSERT_EQ(0, chown((dir / kLockName).c_str(), 65534, 65534));
    } else {
      fs::permissions(dir / kLockName, fs::perms::none);
    }
  };
  const struct {
    const char* what;
    std::string runtime;
    std::function<void()> plant;
    fs::path lockDir;
    bool socket;
  } cases[] = {
      {"runtime directory", runtime_.string(), [] {}, runtime_, true},
      {"relative runtime directory: ignored", "run", [] {}, state, true},
      {"missing runtime directory", (root_ / "gone").string(), [] {}, state, true},
      {"socket path too long: guard without activation", deep.string(), [] {}, deep, false},
      {"lock path a link", runtime_.string(), [&] { link(runtime_); }, state, true},
      {"lock path a folder", runtime_.string(), [&] { folder(runtime_); }, state, true},
      {"another user's lock, or one that cannot be opened", runtime_.string(),
       [&] { foreign(runtime_); }, state, true},
      {"both places refuse: the private folder", runtime_.string(),
       [&] {
         link(runtime_);
         fs::create_directories(state);
         folder(state);
       },
       own, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
    c.plant();
    bool claimed = false;
    const pid_t running = StartRunningCopy(&claimed);
    ASSERT_TRUE(claimed);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c.lockDir / kLockName)));
    EXPECT_EQ(c.socket, fs::is_socket(c.lockDir / kSocketName));
    EXPECT_FALSE(fs::exists(elsewhere));  // nothing made through a link
    // Fails closed: a second copy meets the same lock, and reaches the first where it can.
    EXPECT_EQ(0, ClaimSingleInstance(kGuard));
    ActivateOtherCopy("QUOREL");
    EXPECT_EQ(c.socket ? kActivated : kNotActivated, EndRunningCopy(running));
    ASSERT_EQ(1, ClaimSingleInstance(kGuard));
    EXPECT_EQ(c.socket, SingleInstanceSocket() >= 0);
    ReleaseSingleInstance();
    EXPECT_FALSE(fs::exists(c.lockDir / kSocketName));
    for (const fs::path& dir : {runtime_, state, own}) fs::remove_all(dir / kLockName);
  }
}

// The guard name becomes a file name inside the directory, whatever it holds.
TEST_F(SingleInstanceTest, GuardNameCannotLeaveTheDirectory) {
  ASSERT_EQ(1, ClaimSingleInstance("../../x/y z"));
  EXPECT_TRUE(fs::exists(runtime_ / ".._.._x_y_z.lock"));
  EXPECT_FALSE(fs::exists(root_ / "x"));
  ReleaseSingleInstance();
  EXPECT_EQ(1, ClaimSingleInstance(""));
  EXPECT_TRUE(fs::exists(runtime_ / "quorel.lock"));
}

}  // namespace
