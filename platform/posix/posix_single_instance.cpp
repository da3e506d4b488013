// The single-instance guard on POSIX systems: an exclusive flock on a lock file in the user's
// runtime directory (else the Windows-directory stand-in), and a local socket beside it on which
// the running copy takes "activate" from a later copy. POSIX and the file-system seam; no SDL.
#include "platform/posix/posix_single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/app_shell.h"
#include "platform/file_system.h"

namespace {

constexpr char kActivate[] = "activate";
// Connections taken per turn and the wait for one's message, so a flood cannot stall the loop.
constexpr int kConnectionsPerTurn = 8;
constexpr int kReadWaitMs = 100;
constexpr size_t kLongestBaseName = 100;

struct Guard {
  std::string name;  // the guard name last asked for; the later copy finds the socket by it
  int lockFd = -1;
  int listenFd = -1;
  std::string socketPath;
};

Guard& TheGuard() {
  static Guard guard;
  return guard;
}

// The guard name as a file name: letters, digits, '.', '-' and '_' stay, the rest become '_'.
std::string FileBaseName(const std::string& name) {
  std::string base = name.substr(0, kLongestBaseName);
  for (char& c : base) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    if (!plain) c = '_';
  }
  return base.empty() ? std::string("quorel") : base;
}

bool IsDirectory(const char* path) {
  struct stat info {};
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// $XDG_RUNTIME_DIR when it is an absolute directory (a relative one is to be ignored), else the
// Windows-directory stand-in. Empty when neither can be had.
std::string GuardDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsDirectory(runtime)) return runtime;
  std::vector<char> buffer(4096);
  const uint32_t length = GetWindowsDir(buffer.data(), static_cast<uint32_t>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return std::string();
  return std::string(buffer.data(), length);
}

std::string GuardPath(const std::string& directory, const std::string& name, const char* suffix) {
  return directory + "/" + FileBaseName(name) + suffix;
}

// A local socket address for path; false when path does not fit one.
bool SocketAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Listens on the socket beside the lock. A socket file left there belongs to a copy that ended
// without letting go (the lock is ours now), so it is replaced.
void StartListening(Guard* guard, const std::string& path) {
  sockaddr_un address;
  if (!SocketAddress(path, &address)) return;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  unlink(path.c_str());
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, kConnectionsPerTurn) != 0) {
    close(fd);
    return;
  }
  guard->listenFd = fd;
  guard->socketPath = path;
}

// Reads what one connection sends (up to its end or a short wait); true when it is "activate",
// with or without a line end.
bool AsksActivate(int fd) {
  char text[16];
  size_t length = 0;
  while (length < sizeof text) {
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, kReadWaitMs) <= 0) break;
    const ssize_t got = read(fd, text + length, sizeof text - length);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) break;
    length += static_cast<size_t>(got);
  }
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  return length == sizeof kActivate - 1 && std::memcmp(text, kActivate, length) == 0;
}

}  // namespace

int ClaimSingleInstance(const char* name) {
  Guard& guard = TheGuard();
  guard.name = name != nullptr ? name : "";
  if (guard.lockFd >= 0) return 1;
  const std::string directory = GuardDirectory();
  // Without a place for the lock there is no guard, as when the mutex cannot be made: run.
  if (directory.empty()) return 1;
  // Close-on-exec: programs the menu starts must not hold the lock after it has ended.
  const int fd = open(GuardPath(directory, guard.name, ".lock").c_str(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return 1;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? 0 : 1;
  }
  guard.lockFd = fd;
  StartListening(&guard, GuardPath(directory, guard.name, ".sock"));
  return 1;
}

void ReleaseSingleInstance() {
  Guard& guard = TheGuard();
  if (guard.listenFd >= 0) {
    close(guard.listenFd);
    guard.listenFd = -1;
    // Removed while the lock is still held, so it cannot be a later copy's socket.
    unlink(guard.socketPath.c_str());
    guard.socketPath.clear();
  }
  if (guard.lockFd >= 0) {
    // The lock file stays: removing it could let two copies lock two different files.
    close(guard.lockFd);
    guard.lockFd = -1;
  }
}

void ActivateOtherCopy(const char* className) {
  (void)className;  // the other copy is found by the guard's name, not by its window class
  const std::string directory = GuardDirectory();
  if (directory.empty()) return;
  sockaddr_un address;
  if (!SocketAddress(GuardPath(directory, TheGuard().name, ".sock"), &address)) return;
  // Non-blocking: a copy that does not take connections must not hold this one up.
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    // MSG_NOSIGNAL: a copy that has just gone away must not end this one with SIGPIPE.
    (void)send(fd, kActivate, sizeof kActivate - 1, MSG_NOSIGNAL);
  }
  close(fd);
}

int SingleInstanceSocket() { return TheGuard().listenFd; }

bool TakeActivateRequest() {
  const int listenFd = TheGuard().listenFd;
  if (listenFd < 0) return false;
  bool activate = false;
  for (int i = 0; i < kConnectionsPerTurn; ++i) {
    const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) break;  // none waiting (or an error: tried again next turn)
    if (AsksActivate(fd)) activate = true;
    close(fd);
  }
  return activate;
}
