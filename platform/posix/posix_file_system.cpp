// File tests, opening files for reading, full paths and the stand-in for the Windows directory
// on POSIX systems. Backslashes in names from definition files are accepted as separators.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/copy_text.h"
#include "platform/file_system.h"

namespace {

// Places text into out with the Win32 length convention: the length on
// success, the size needed (with the NUL) when out is too small.
uint32_t PlaceResult(const std::string& text, char* out, uint32_t size) {
  if (text.empty()) return 0;
  if (out == nullptr || text.size() + 1 > size) return static_cast<uint32_t>(text.size() + 1);
  CopyTextN(out, size, text.data(), text.size());
  return static_cast<uint32_t>(text.size());
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

// Joins name to the current directory when relative and folds ".", ".." and
// repeated separators, as a full-path call does without touching the disk.
std::string MakeFullPath(const char* name) {
  std::string path(name);
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.empty()) return path;
  if (path[0] != '/') {
    const std::string cwd = CurrentDirectory();
    if (cwd.empty()) return std::string();
    path = cwd + "/" + path;
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string full;
  for (const std::string& part : parts) full += "/" + part;
  if (full.empty()) full = "/";
  // A trailing separator in the name stays, as it does on Windows.
  if (path.back() == '/' && full.back() != '/') full += '/';
  return full;
}

int MakeDirectories(const std::string& path, mode_t mode) {
  std::string partial;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('/', start + 1);
    if (end == std::string::npos) end = path.size();
    partial = path.substr(0, end);
    if (!partial.empty() && mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) return 0;
    start = end;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? 1 : 0;
}

std::string WithSlashes(const char* path) {
  std::string name(path);
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

// Opens path read-only, as Windows opens a file: a FIFO or device must not make the program
// wait (a FIFO without a writer blocks a plain open for ever), and only a regular file counts
// (Windows cannot open a folder as a file; the rest has no Windows counterpart). Returns the
// descriptor, or -1 with errno set (ENOENT for a missing file). *info receives its status.
int OpenRegularFile(const std::string& name, struct stat* info) {
  if (name.empty()) {
    errno = ENOENT;
    return -1;
  }
  const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
    close(fd);
    errno = EACCES;
    return -1;
  }
  // Reads of a regular file never wait; the flag is dropped all the same so that the stream
  // sees an ordinary descriptor.
  const int flags = fcntl(fd, F_GETFL);
  if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

FileProbeResult ProbeFile(const char* path) {
  FileProbeResult result{0, 0, 0};
  if (path == nullptr) return result;
  struct stat info {};
  const int fd = OpenRegularFile(WithSlashes(path), &info);
  if (fd < 0) return result;
  close(fd);
  result.opened = 1;
  result.sizeKnown = 1;
  result.size = static_cast<uint64_t>(info.st_size);
  return result;
}

std::FILE* OpenFileForReading(const char* path, int* missing) {
  if (missing != nullptr) *missing = 0;
  struct stat info {};
  const int fd = OpenRegularFile(path != nullptr ? std::string(path) : std::string(), &info);
  if (fd < 0) {
    if (missing != nullptr) *missing = errno == ENOENT ? 1 : 0;
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

const char kPathSeparator = '/';

int DeleteFileAt(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  // unlink refuses a folder, as deleting a file does on Windows. The path is one this program
  // formed from a real folder, so a backslash in it belongs to a name.
  return unlink(path) == 0 ? 1 : 0;
}

uint32_t GetFullPath(const char* name, char* out, uint32_t size) {
  if (name == nullptr || *name == '\0') return 0;
  return PlaceResult(MakeFullPath(name), out, size);
}

uint32_t GetCurrentDir(char* out, uint32_t size) {
  return PlaceResult(CurrentDirectory(), out, size);
}

int SetCurrentDir(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  const std::string full = MakeFullPath(path);
  return !full.empty() && chdir(full.c_str()) == 0 ? 1 : 0;
}

namespace {

std::string WindowsDirPath() {
  std::string dir = EnvironmentValue("QUOREL_WINDIR");
  if (dir.empty()) {
    std::string state = EnvironmentValue("XDG_STATE_HOME");
    if (state.empty()) {
      const std::string home = EnvironmentValue("HOME");
      if (home.empty()) return std::string();
      state = home + "/.local/state";
    }
    dir = state + "/quorel";
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace

uint32_t GetWindowsDir(char* out, uint32_t size) {
  const std::string dir = WindowsDirPath();
  return dir.empty() ? 0 : PlaceResult(dir, out, size);
}

int MakeWindowsDir() {
  const std::string dir = WindowsDirPath();
  return !dir.empty() && MakeDirectories(dir, 0700) ? 1 : 0;
}

uint32_t GetProgramPath(char* out, uint32_t size) {
  if (out == nullptr || size == 0) return 0;
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return 0;
  const std::string path(buffer.data(), static_cast<size_t>(length));
  const uint32_t placed = PlaceResult(path, out, size);
  return placed == path.size() ? placed : 0;
}

int WriteProgramFile(const char* path, const unsigned char* bytes, size_t size) {
  if (path == nullptr || bytes == nullptr) return 0;
  // Formed from a real folder: a backslash in it belongs to a name.
  const std::string name(path);
  // A new file replaces the old one by rename, so a copy that is running keeps its image.
  // O_EXCL on the temporary name: nothing else's file is ever written through.
  const std::string temporary = name + ".new";
  unlink(temporary.c_str());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
  if (fd < 0) return 0;
  size_t done = 0;
  while (done < size) {
    const ssize_t count = write(fd, bytes + done, size - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    done += static_cast<size_t>(count);
  }
  // The mode asked for at creation is cut by the umask; a program file must be runnable.
  const bool modeSet = fchmod(fd, 0755) == 0;
  const bool closed = close(fd) == 0;
  if (done != size || !modeSet || !closed || rename(temporary.c_str(), name.c_str()) != 0) {
    unlink(temporary.c_str());
    return 0;
  }
  return 1;
}
