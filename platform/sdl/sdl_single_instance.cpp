// The single-instance guard on POSIX systems: an exclusive flock on a lock file in the user's
// runtime directory (else the Windows-directory stand-in, else a private folder of the user's in
// the temporary directory), and a local socket beside it on which
// the running copy takes "activate" from a later copy. POSIX and the file-system seam; no SDL.
#include "platform/sdl/sdl_single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
  std::string name;       // the guard name last asked for; the later copy finds the socket by it
  std::string directory;  // where the lock was taken or found held
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

// A folder of this user's own, mode 0700, in the temporary directory: the last place for the
// lock, made when missing and refused when it is anything else (a link, another user's).
std::string PrivateFolder() {
  const char* temporary = std::getenv("TMPDIR");
  std::string path = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
  path += "/quorel-" + std::to_string(static_cast<unsigned long>(getuid()));
  mkdir(path.c_str(), 0700);
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
      (info.st_mode & 0077) != 0) {
    return std::string();
  }
  return path;
}

// Where the lock may be kept, in order: $XDG_RUNTIME_DIR when it is an absolute directory (a
// relative one is to be ignored), the Windows-directory stand-in, the private folder (""
// here). Every copy of one user walks the same list, so they meet at the same lock.
std::vector<std::string> GuardDirectories() {
  std::vector<std::string> found;
  // The menu keeps its files there anyway; made first so every copy finds it on the list.
  MakeWindowsDir();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsDirectory(runtime)) found.emplace_back(runtime);
  std::vector<char> buffer(4096);
  const uint32_t length = GetWindowsDir(buffer.data(), static_cast<uint32_t>(buffer.size()));
  if (length != 0 && length < buffer.size()) found.emplace_back(buffer.data(), length);
  // The private folder, made only when it is reached.
  found.emplace_back();
  return found;
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
  // A lock path that is a link, a folder, a file that cannot be opened or another user's file
  // is passed over for the next place; two copies must never both run for want of a lock.
  for (const std::string& place : GuardDirectories()) {
    const std::string directory = place.empty() ? PrivateFolder() : place;
    if (directory.empty()) continue;
    // Close-on-exec: programs the menu starts must not hold the lock after it has ended.
    const int fd = open(GuardPath(directory, guard.name, ".lock").c_str(),
                        O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) continue;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()) {
      close(fd);
      continue;
    }
    guard.directory = directory;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const bool held = errno == EWOULDBLOCK;
      close(fd);
      if (held) return 0;
      continue;
    }
    guard.lockFd = fd;
    StartListening(&guard, GuardPath(directory, guard.name, ".sock"));
    return 1;
  }
  std::fprintf(stderr, "quorel: no place for the single-instance lock; not started\n");
  return 0;
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
  // The place where the claim found the lock held.
  const std::string& directory = TheGuard().directory;
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
