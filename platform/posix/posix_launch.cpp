// Starting a menu item's target on POSIX systems, with no shell anywhere: an executable target
// is started directly with posix_spawn, anything else goes to xdg-open; either way detached
// from the menu, and what could not start is explained. POSIX and the C++ library only.
#include "platform/posix/posix_launch.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/ascii_case.h"
#include "platform/web_address.h"

extern char** environ;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The verb that asks for the file itself rather than for what it runs.
bool IsEditVerb(const char* verb) { return verb != nullptr && SameName(verb, "edit"); }

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  for (;;) {
    if (getcwd(&buffer[0], buffer.size()) != nullptr) return buffer.c_str();
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

// Adds a close action for each descriptor above standard error that is open now. (glibc's
// closefrom action would do it in one, but only from 2.34 on, and the disc's program runs on
// 2.31.) A descriptor that is closed again before the start is skipped there without error.
bool CloseAllAboveStandardError(posix_spawn_file_actions_t* actions) {
  if (DIR* listing = opendir("/proc/self/fd")) {
    bool ok = true;
    while (const dirent* entry = readdir(listing)) {
      char* end = nullptr;
      const long fd = std::strtol(entry->d_name, &end, 10);
      if (end == entry->d_name || *end != '\0' || fd < 3 || fd == dirfd(listing)) continue;
      ok = ok && posix_spawn_file_actions_addclose(actions, static_cast<int>(fd)) == 0;
    }
    closedir(listing);
    return ok;
  }
  // Without /proc: every number up to the limit of open descriptors (capped, so a huge limit
  // costs no noticeable time).
  rlimit limit{};
  rlim_t highest = 1024;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    highest = std::min<rlim_t>(limit.rlim_cur, 65536);
  for (int fd = 3; static_cast<rlim_t>(fd) < highest; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 && posix_spawn_file_actions_addclose(actions, fd) != 0)
      return false;
  }
  return true;
}

// Owns the spawn attributes and file actions for one start.
class SpawnSetup {
 public:
  SpawnSetup() {
    ok_ = posix_spawnattr_init(&attributes_) == 0;
    if (ok_ && posix_spawn_file_actions_init(&actions_) != 0) {
      posix_spawnattr_destroy(&attributes_);
      ok_ = false;
    }
  }
  ~SpawnSetup() {
    if (!ok_) return;
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // Own session (no terminal, no signals meant for the menu's group), every signal at its
  // default and none blocked, stdin from /dev/null, nothing of ours but stdout and stderr
  // (the single-instance lock must not be held by a started program), then the directory.
  bool Prepare(const std::string& directory) {
    if (!ok_) return false;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    return posix_spawnattr_setflags(&attributes_, flags) == 0 &&
           posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
           posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
           posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0) == 0 &&
           CloseAllAboveStandardError(&actions_) &&
           (directory.empty() ||
            posix_spawn_file_actions_addchdir_np(&actions_, directory.c_str()) == 0);
  }

  const posix_spawnattr_t* attributes() const { return &attributes_; }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }

 private:
  bool ok_ = false;
  posix_spawnattr_t attributes_{};
  posix_spawn_file_actions_t actions_{};
};

}  // namespace

std::vector<std::string> SplitParameters(const char* parameters) {
  std::vector<std::string> arguments;
  if (parameters == nullptr) return arguments;
  const char* p = parameters;
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == '\0') break;
    std::string argument;
    bool quoted = false;
    for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
      if (*p == '"') {
        quoted = !quoted;
      } else {
        argument += *p;
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

std::string WithForwardSlashes(const char* path) {
  std::string result = path != nullptr ? path : "";
  for (char& c : result)
    if (c == '\\') c = '/';
  return result;
}

bool IsExecutableFile(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  struct stat info {};
  return stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, X_OK) == 0;
}

LaunchPlan PlanLaunch(const char* verb, const char* file, const char* parameters,
                      const char* directory, bool executable) {
  LaunchPlan plan;
  plan.directory = WithForwardSlashes(directory);
  std::string path = IsWebAddress(file) ? std::string(file) : WithForwardSlashes(file);
  plan.direct = executable && !IsEditVerb(verb);
  if (plan.direct) {
    plan.argv.push_back(path);
    for (std::string& argument : SplitParameters(parameters)) plan.argv.push_back(argument);
  } else {
    // A name that starts with "-" would be read as an option.
    if (!path.empty() && path[0] == '-') path.insert(0, "./");
    plan.argv.push_back("xdg-open");
    plan.argv.push_back(path);
  }
  return plan;
}

pid_t StartDetached(const LaunchPlan& plan, int* error) {
  int ignored = 0;
  int& failure = error != nullptr ? *error : ignored;
  failure = 0;
  if (plan.argv.empty() || plan.argv[0].empty()) {
    failure = ENOENT;
    return -1;
  }
  SpawnSetup setup;
  if (!setup.Prepare(plan.directory)) {
    failure = ENOMEM;
    return -1;
  }
  std::vector<char*> argv;
  argv.reserve(plan.argv.size() + 1);
  for (const std::string& argument : plan.argv) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  // A direct start runs the path as given; xdg-open is looked up on PATH. The C library reports
  // a failed directory change or exec in the child as the result.
  failure = plan.direct ? posix_spawn(&child, argv[0], setup.actions(), setup.attributes(),
                                      argv.data(), environ)
                        : posix_spawnp(&child, argv[0], setup.actions(), setup.attributes(),
                                       argv.data(), environ);
  if (failure != 0) return -1;
  // Reaped by a thread of its own: no SIGCHLD handler to share with the rest of the program.
  try {
    std::thread([child] {
      while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the child stays a zombie until the menu ends.
  }
  return child;
}

namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A file that is a program by its first bytes: an ELF image or a script with a "#!" line.
bool LooksLikeProgram(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  char head[4] = {};
  const ssize_t got = read(fd, head, sizeof head);
  close(fd);
  return (got >= 2 && head[0] == '#' && head[1] == '!') || (got == 4 && std::memcmp(head,
                                                                                    "\x7f"
                                                                                    "ELF",
                                                                                    4) == 0);
}

// Why plan did not start, as a user can act on it.
std::string FailureReason(const LaunchPlan& plan, int error) {
  if (!plan.directory.empty() && !IsFolder(plan.directory)) {
    return "The working folder \"" + plan.directory + "\" does not exist.";
  }
  if (!plan.direct && error == ENOENT) {
    return "xdg-open, which opens documents and folders, is not installed.";
  }
  switch (error) {
    case ENOEXEC:
      return "The file is not a program this system can run (unknown format, no \"#!\" line).";
    case ENOENT:
      return "The interpreter that its \"#!\" line names does not exist.";
    case EACCES:
      return "Permission denied: the file or its interpreter may not be executed here.";
    default:
      return std::strerror(error);
  }
}

}  // namespace

std::string LaunchTarget(const char* verb, const char* file, const char* parameters,
                         const char* directory) {
  if (file == nullptr || *file == '\0') return std::string();
  // The started program runs in directory: a relative name is made full against ours first.
  // A web address goes to xdg-open as written.
  const bool address = IsWebAddress(file);
  std::string path = address ? std::string(file) : WithForwardSlashes(file);
  if (!address && path[0] != '/') {
    const std::string current = CurrentDirectory();
    if (current.empty()) return path + "\n\nThe current folder cannot be found.";
    path = current + "/" + path;
  }
  const bool executable = IsExecutableFile(path.c_str());
  const LaunchPlan plan = PlanLaunch(verb, path.c_str(), parameters, directory, executable);
  // A program without its execute bit would only reach a document viewer, or nothing.
  if (!address && !executable && !IsEditVerb(verb) && LooksLikeProgram(path)) {
    return path + "\n\nThe file is a program but is not marked as executable (no execute bit).";
  }
  int error = 0;
  if (StartDetached(plan, &error) > 0) return std::string();
  return path + "\n\n" + FailureReason(plan, error);
}
