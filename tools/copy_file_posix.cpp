// Copying a file to a new name with its permission bits (POSIX).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/copy_file.h"

bool CopyNewFile(const std::string& from, const std::string& to, std::string* where,
                 std::string* reason) {
  struct stat info {};
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0 || fstat(in, &info) != 0) {
    const int saved = errno;
    if (in >= 0) close(in);
    *where = from;
    *reason = std::strerror(saved);
    return false;
  }
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777);
  if (out < 0) {
    const int saved = errno;
    close(in);
    *where = to;
    *reason = std::strerror(saved);
    return false;
  }
  static char buffer[1 << 16];
  while (true) {
    ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    bool failed = got < 0;
    *where = from;
    for (ssize_t done = 0; !failed && done < got;) {
      const ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      failed = put <= 0;
      *where = to;
      done += put > 0 ? put : 0;
    }
    if (!failed && got == 0 && close(out) == 0) break;
    if (!failed && got > 0) continue;
    const int saved = errno != 0 ? errno : EIO;
    if (got != 0) close(out);
    close(in);
    unlink(to.c_str());
    *reason = std::strerror(saved);
    return false;
  }
  close(in);
  return true;
}
