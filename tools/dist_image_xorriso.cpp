// The ISO 9660 image of a disc folder, written by xorriso with Joliet and Rock Ridge under a
// temporary name in FILE's folder and renamed into place only when it is complete.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/dist_image.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs argv with standard output and error in one pipe; each line goes to onLine. Returns the
// exit status, or -1 when the program cannot be started.
int RunWithLines(const std::vector<std::string>& argv,
                 const std::function<void(const std::string&)>& onLine) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (started != 0) {
    close(pipeEnds[0]);
    return -1;
  }
  std::string pending;
  char buffer[4096];
  while (true) {
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    pending.append(buffer, static_cast<size_t>(got));
    size_t end = 0;
    while ((end = pending.find('\n')) != std::string::npos) {
      onLine(pending.substr(0, end));
      pending.erase(0, end + 1);
    }
  }
  if (!pending.empty()) onLine(pending);
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

}  // namespace

bool WriteImage(const std::string& folder, const std::string& file, const std::string& volumeId,
                std::ostream& err, std::string* problem) {
  const fs::path target = fs::absolute(file);
  const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".part-" +
                                                     std::to_string(getpid()));
  std::error_code error;
  if (!fs::is_directory(target.parent_path(), error)) {
    *problem = "the folder " + target.parent_path().string() + " does not exist";
    return false;
  }
  fs::remove(temporary, error);
  bool full = false;
  std::string last;
  const int status =
      RunWithLines({"xorriso", "-no_rc",       "-abort_on",
                    "FAILURE", "-return_with", "SORRY",
                    "32",      "-outdev",      "stdio:" + temporary.string(),
                    "-volid",  volumeId,       "-joliet",
                    "on",      "-rockridge",   "on",
                    "-map",    folder,         "/",
                    "-commit", "-end"},
                   [&](const std::string& line) {
                     // Told before writing (free space checked) or while writing.
                     if (line.find("No space left on device") != std::string::npos ||
                         line.find("exceeds free space on media") != std::string::npos)
                       full = true;
                     if (line.find("UPDATE :") != std::string::npos) {
                       err << "dist: image:" << line.substr(line.find("UPDATE :") + 8) << '\n';
                     } else if (line.find("FAILURE") != std::string::npos ||
                                line.find("SORRY") != std::string::npos ||
                                line.find("FATAL") != std::string::npos) {
                       last = line;
                     }
                   });
  if (status != 0) {
    fs::remove(temporary, error);
    if (status < 0) {
      *problem = "cannot start xorriso (install the xorriso package)";
    } else if (full) {
      *problem = "the disk is full; no image was written";
    } else {
      *problem = "xorriso failed (exit " + std::to_string(status) + ")" +
                 (last.empty() ? "" : ": " + last);
    }
    return false;
  }
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    *problem = "cannot rename the finished image into place: " + error.message();
    return false;
  }
  return true;
}

std::string NoImageWriter() { return std::string(); }
