// The log-on registration on Linux: an XDG autostart entry that runs the reload program from
// the Windows-directory stand-in, and the report of a recovery that could not be set up.
// POSIX and the C++ library only.
#include "platform/posix/posix_log_on.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_system.h"
#include "platform/log_on.h"
#include "portable/code_page.h"

const char kReloadProgramName[] = "pindrel";

namespace {

bool IsReserved(char c) {
  return c != '\0' && std::strchr(" \t\n\"'\\><~|&;$*?#()`", c) != nullptr;
}

// No control characters (a newline would end the value, the others have no place in an entry)
// and well-formed UTF-8 (entries are UTF-8; a reader may refuse the whole file otherwise).
bool IsSafeText(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t length = Utf8SequenceLength(text, i);
    if (c < 0x20 || c == 0x7f || length == 0) return false;
    i += length;
  }
  return true;
}

// One argument by the quoting rule, % doubled (string escaping comes later, for the whole value).
void AppendQuoted(const std::string& argument, std::string* out) {
  bool quote = argument.empty();
  for (char c : argument) quote = quote || IsReserved(c);
  if (quote) *out += '"';
  for (char c : argument) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) *out += '\\';
    *out += c;
    if (c == '%') *out += '%';
  }
  if (quote) *out += '"';
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// Creates path and its missing parents (new ones private, as XDG asks); 1 when it is a folder.
bool MakeFolders(const std::string& path) {
  for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string partial = path.substr(0, end);
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (end == std::string::npos) break;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The Windows-directory stand-in, empty when it cannot be had.
std::string WindowsDirectory() {
  const uint32_t needed = GetWindowsDir(nullptr, 0);
  if (needed == 0) return std::string();
  std::string dir(needed, '\0');
  const uint32_t length = GetWindowsDir(&dir[0], needed);
  if (length == 0 || length >= needed) return std::string();
  dir.resize(length);
  return dir;
}

// Replaces path with text, or leaves it as it was: readers never see a part-written entry.
bool ReplaceFile(const std::string& path, const std::string& text) {
  const size_t slash = path.rfind('/');
  std::string temporary = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".XXXXXX";
  const int fd = mkostemp(&temporary[0], O_CLOEXEC);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t count = write(fd, text.data() + done, text.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    done += static_cast<size_t>(count);
  }
  // On disk before the rename: the entry is meant to outlive a restart.
  const bool synced = done == text.size() && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!synced || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool FormatExecValue(const std::vector<std::string>& arguments, std::string* value) {
  std::string quoted;
  for (const std::string& argument : arguments) {
    if (!IsSafeText(argument)) return false;
    if (!quoted.empty()) quoted += ' ';
    AppendQuoted(argument, &quoted);
  }
  std::string escaped;
  for (char c : quoted) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  *value = escaped;
  return true;
}

std::string DesktopEntryText(const std::string& name, const std::string& programPath,
                             const std::string& argument) {
  std::string exec;
  if (!IsSafeText(name) || !FormatExecValue({programPath, argument}, &exec)) return std::string();
  // Name is a string of its own: its backslashes are escaped too.
  std::string shownName;
  for (char c : name) {
    if (c == '\\') shownName += '\\';
    shownName += c;
  }
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.0\n"
         "Name=" +
         shownName +
         "\n"
         "Comment=Brings the start-up menu back once after a restart\n"
         "Exec=" +
         exec +
         "\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n";
}

std::string AutostartEntryPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return std::string();
  std::string config = EnvironmentValue("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') {
    const std::string home = EnvironmentValue("HOME");
    if (home.empty()) return std::string();
    config = home + "/.config";
  }
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  return config + "/autostart/" + name + ".desktop";
}

LogOnPlace SetLogOnCommand(const char* name, const char* program, const char* argument,
                           int forEveryUser) {
  (void)forEveryUser;  // an autostart entry is the user's own
  if (name == nullptr || program == nullptr || argument == nullptr) return LogOnNowhere;
  const std::string path = AutostartEntryPath(name);
  if (path.empty()) return LogOnNowhere;
  // A bare name lies in the Windows-directory stand-in, taken as it is (backslashes belong to
  // its names).
  std::string programPath = program;
  if (programPath.find('/') == std::string::npos) {
    const std::string dir = WindowsDirectory();
    programPath = dir.empty() ? std::string() : dir + "/" + programPath;
  }
  const std::string text =
      programPath.empty() ? std::string() : DesktopEntryText(name, programPath, argument);
  // No entry rather than a broken one; nor an earlier one, which would restore a stale session.
  if (text.empty() || !MakeFolders(path.substr(0, path.rfind('/'))) || !ReplaceFile(path, text)) {
    const int error = errno;
    unlink(path.c_str());
    errno = error;
    return LogOnNowhere;
  }
  return LogOnUser;
}

void RemoveLogOnCommand(const char* name) {
  if (name == nullptr) return;
  const std::string path = AutostartEntryPath(name);
  if (!path.empty()) unlink(path.c_str());
}

uint32_t GetPerUserDir(char* out, uint32_t size, int create) {
  (void)out, (void)size, (void)create;
  return 0;
}

void RemovePerUserDir() {}

void ReportRecoveryOff(const char* what, const char* reason) {
  const int error = errno;
  if (what == nullptr) return;
  if (reason != nullptr) {
    std::fprintf(stderr, "quorel: no restart recovery: cannot write %s: %s\n", what, reason);
  } else if (error != 0) {
    std::fprintf(stderr, "quorel: no restart recovery: cannot write %s: %s\n", what,
                 std::strerror(error));
  } else {
    std::fprintf(stderr, "quorel: no restart recovery: cannot write %s\n", what);
  }
}
