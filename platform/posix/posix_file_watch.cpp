// FileWatch on Linux: inotify on the folders that hold the watched files, so that a file replaced
// by a rename (as editors save) or made later is seen too; a folder inotify refuses is watched by
// comparing its files' status at each question instead. POSIX and Linux headers.
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/file_watch.h"

namespace {

// What editors and copies do to a file in its folder: every one of these may end a save.
constexpr uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

// A file's status as far as a change shows in it; a missing file is all zeros.
struct FileStatus {
  bool present = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modifiedNs = 0;
  bool operator!=(const FileStatus& other) const {
    return present != other.present || device != other.device || inode != other.inode ||
           size != other.size || modifiedNs != other.modifiedNs;
  }
};

FileStatus StatusOf(const std::string& path) {
  FileStatus status;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return status;
  status.present = true;
  status.device = info.st_dev;
  status.inode = info.st_ino;
  status.size = info.st_size;
  status.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return status;
}

}  // namespace

struct FileWatch {
  int fd = -1;
  // The folder and the names watched in it, by inotify's watch number. Names are matched
  // without regard to letter case, as the menu finds its files.
  struct Folder {
    std::string path;
    std::vector<std::string> names;
  };
  std::map<int, Folder> folders;
  // Files of folders inotify refused, with their status last seen.
  std::map<std::string, FileStatus> polled;

  // Watches folder for names; where inotify refuses, the files are compared at each question.
  void Add(const std::string& folder, const std::vector<std::string>& names) {
    const int number = fd >= 0 ? inotify_add_watch(fd, folder.c_str(), kFolderEvents) : -1;
    if (number >= 0) {
      Folder& watched = folders[number];
      watched.path = folder;
      watched.names.insert(watched.names.end(), names.begin(), names.end());
      return;
    }
    for (const std::string& name : names) {
      const std::string path = (folder == "/" ? "" : folder) + "/" + name;
      polled[path] = StatusOf(path);
    }
  }
};

FileWatch* StartFileWatch(const std::vector<std::string>& paths) {
  auto* watch = new FileWatch;
  watch->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  std::map<std::string, std::set<std::string>> folders;
  for (const std::string& path : paths) {
    const size_t slash = path.rfind('/');
    if (path.empty() || slash == std::string::npos || slash + 1 == path.size()) continue;
    folders[slash == 0 ? "/" : path.substr(0, slash)].insert(path.substr(slash + 1));
  }
  for (const auto& [folder, names] : folders)
    watch->Add(folder, std::vector<std::string>(names.begin(), names.end()));
  if (watch->folders.empty() && watch->polled.empty()) {
    EndFileWatch(watch);
    return nullptr;
  }
  return watch;
}

int FilesChanged(FileWatch* watch) {
  if (watch == nullptr) return 0;
  int changed = 0;
  for (auto& [path, status] : watch->polled) {
    const FileStatus now = StatusOf(path);
    if (now != status) changed = 1;
    status = now;
  }
  if (watch->fd < 0) return changed;
  alignas(struct inotify_event) char buffer[16384];
  std::vector<FileWatch::Folder> lost;  // folders removed or moved away: watched anew below
  for (;;) {
    const ssize_t length = read(watch->fd, buffer, sizeof buffer);
    if (length <= 0) break;  // EAGAIN: nothing more waits
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      // Lost events, or the folder itself gone or moved: something may have changed.
      if ((event->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0)
        changed = 1;
      const auto found = watch->folders.find(event->wd);
      if (found == watch->folders.end()) continue;
      if ((event->mask & (IN_IGNORED | IN_MOVE_SELF)) != 0) {
        // A moved folder is no longer where the files are looked for.
        if ((event->mask & IN_MOVE_SELF) != 0) inotify_rm_watch(watch->fd, event->wd);
        lost.push_back(found->second);
        watch->folders.erase(found);
        continue;
      }
      if (event->len == 0) continue;
      for (const std::string& name : found->second.names) {
        if (SameName(name.c_str(), event->name)) changed = 1;
      }
    }
  }
  // A folder made again under its name is watched again; while there is none, its files are
  // compared at each question.
  for (const FileWatch::Folder& folder : lost) watch->Add(folder.path, folder.names);
  return changed;
}

void EndFileWatch(FileWatch* watch) {
  if (watch == nullptr) return;
  if (watch->fd >= 0) close(watch->fd);
  delete watch;
}
