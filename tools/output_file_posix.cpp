// Writing through a temporary name and a rename (see the header), POSIX.
#include "tools/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

mode_t CurrentUmask() {
  const mode_t mask = umask(022);
  umask(mask);
  return mask;
}

}  // namespace

bool WriteOutputFile(const std::string& path, unsigned mode,
                     const std::function<bool(std::FILE*, std::string*)>& fill,
                     std::string* error) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = folder + "." + name + ".XXXXXX";
  // A new name with O_EXCL: nothing that is already there is opened.
  const int fd = mkostemp(&temporary[0], O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  std::FILE* file =
      fchmod(fd, static_cast<mode_t>(mode) & ~CurrentUmask()) == 0 ? fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  std::string why;
  const bool filled = fill(file, &why);
  const bool flushed = filled && std::fflush(file) == 0;
  const int saved = errno;
  const bool closed = std::fclose(file) == 0;
  if (!filled || !flushed || !closed) {
    *error = "cannot write " + path + ": " +
             (!filled ? why : std::string(std::strerror(flushed ? errno : saved)));
    unlink(temporary.c_str());
    return false;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool ForceFileMode(const std::string& path, unsigned mode, std::string* error) {
  if (chmod(path.c_str(), static_cast<mode_t>(mode)) == 0) return true;
  *error = std::strerror(errno);
  return false;
}
