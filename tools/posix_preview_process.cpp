// PreviewProcess on Linux: posix_spawn, waitpid without waiting. POSIX only.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/preview_process.h"

extern char** environ;

std::string MenuProgramBesideTool() {
  std::vector<char> self(4096);
  const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (length <= 0 || static_cast<size_t>(length) >= self.size() - 1) return std::string();
  std::string path(self.data(), static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  // In the build tree or on a disc the menu program lies beside the tool; in a release, in
  // portable/ beside it.
  for (const char* name : {"quorel", "portable/quorel"}) {
    const std::string program = path.substr(0, slash + 1) + name;
    if (access(program.c_str(), X_OK) == 0) return program;
  }
  return std::string();
}

PreviewProcess::~PreviewProcess() {
  if (Poll() != -1) return;
  kill(static_cast<pid_t>(id_), SIGTERM);
  int status = 0;
  waitpid(static_cast<pid_t>(id_), &status, 0);
}

bool PreviewProcess::Start(const std::string& program, const std::string& file,
                           std::string* error) {
  std::string switchText = "--preview";
  std::vector<char*> argv{const_cast<char*>(program.c_str()), switchText.data(),
                          const_cast<char*>(file.c_str()), nullptr};
  pid_t child = 0;
  const int result = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (result != 0) {
    *error = program + ": " + std::strerror(result);
    return false;
  }
  id_ = child;
  return true;
}

int PreviewProcess::Poll() {
  if (code_ != -1 || id_ < 0) return code_ != -1 ? code_ : 0;
  int status = 0;
  const pid_t ended = waitpid(static_cast<pid_t>(id_), &status, WNOHANG);
  if (ended == 0) return -1;
  if (ended < 0) {
    code_ = 1;
  } else {
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return code_;
}
