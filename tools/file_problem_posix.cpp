// Telling why a path is no readable file, from stat and a non-blocking open (POSIX).
#include "tools/file_problem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string FileProblem(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    const int error = errno;
    struct stat link {};
    if (error == ELOOP) return "symbolic link loop";
    if (error == ENOENT && lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
      return "symbolic link to nothing";
    if (error == ENOENT || error == ENOTDIR) return "no such file";
    return std::string("cannot be read: ") + std::strerror(error);
  }
  if (S_ISDIR(info.st_mode)) return "is a folder, not a file";
  if (S_ISFIFO(info.st_mode)) return "is a FIFO, not a file";
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "is a device, not a file";
  if (S_ISSOCK(info.st_mode)) return "is a socket, not a file";
  if (!S_ISREG(info.st_mode)) return "is not a file";
  // Non-blocking and closed at once: only the permission is asked.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::string("cannot be read: ") + std::strerror(errno);
  close(fd);
  return info.st_size == 0 ? "is empty" : "";
}
