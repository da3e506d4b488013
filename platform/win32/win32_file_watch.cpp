// FileWatch on Windows: a change notification on each folder that holds watched files (names,
// sizes, write times), after which the files' size and write time are compared with what was
// last seen, since the notification does not say which file changed. A folder that gives no
// notification (some network and disc drives, the 95 family on some file systems) has its files
// compared at every question instead. Win32 only.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/file_watch.h"

namespace {

constexpr DWORD kFolderChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// A file's size and write time; a missing file is all zeros.
struct FileStatus {
  bool present = false;
  DWORD sizeHigh = 0;
  DWORD sizeLow = 0;
  FILETIME written{};
  bool operator!=(const FileStatus& other) const {
    return present != other.present || sizeHigh != other.sizeHigh || sizeLow != other.sizeLow ||
           CompareFileTime(&written, &other.written) != 0;
  }
};

// Read through a directory search, which every Windows has (GetFileAttributesEx is missing on
// the first 95). A name with wildcards names no file the menu reads.
FileStatus StatusOf(const std::string& path) {
  FileStatus status;
  if (path.find_first_of("*?") != std::string::npos) return status;
  WIN32_FIND_DATAA data{};
  const HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return status;
  FindClose(search);
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return status;
  status.present = true;
  status.sizeHigh = data.nFileSizeHigh;
  status.sizeLow = data.nFileSizeLow;
  status.written = data.ftLastWriteTime;
  return status;
}

struct Folder {
  HANDLE notice = INVALID_HANDLE_VALUE;     // none: compared at every question
  std::map<std::string, FileStatus> files;  // full path -> status last seen
};

}  // namespace

struct FileWatch {
  std::vector<Folder> folders;
};

FileWatch* StartFileWatch(const std::vector<std::string>& paths) {
  std::map<std::string, Folder> byFolder;  // keyed by the folder's folded name
  std::map<std::string, std::string> folderNames;
  for (const std::string& path : paths) {
    const size_t separator = path.find_last_of("\\/");
    if (path.empty() || separator == std::string::npos || separator + 1 == path.size()) continue;
    // A drive's root keeps its separator ("C:\").
    const std::string folder = path.substr(0, separator == 2 ? 3 : separator);
    const std::string key = FoldedName(folder);
    folderNames[key] = folder;
    byFolder[key].files[path] = StatusOf(path);
  }
  if (byFolder.empty()) return nullptr;
  auto* watch = new FileWatch;
  for (auto& [key, folder] : byFolder) {
    folder.notice = FindFirstChangeNotificationA(folderNames[key].c_str(), FALSE, kFolderChanges);
    watch->folders.push_back(std::move(folder));
  }
  return watch;
}

int FilesChanged(FileWatch* watch) {
  if (watch == nullptr) return 0;
  int changed = 0;
  for (Folder& folder : watch->folders) {
    if (folder.notice != INVALID_HANDLE_VALUE) {
      if (WaitForSingleObject(folder.notice, 0) != WAIT_OBJECT_0) continue;
      // Armed again before the files are looked at, so a change meanwhile is not lost.
      if (!FindNextChangeNotification(folder.notice)) {
        FindCloseChangeNotification(folder.notice);
        folder.notice = INVALID_HANDLE_VALUE;
      }
    }
    for (auto& [path, status] : folder.files) {
      const FileStatus now = StatusOf(path);
      if (now != status) changed = 1;
      status = now;
    }
  }
  return changed;
}

void EndFileWatch(FileWatch* watch) {
  if (watch == nullptr) return;
  for (Folder& folder : watch->folders) {
    if (folder.notice != INVALID_HANDLE_VALUE) FindCloseChangeNotification(folder.notice);
  }
  delete watch;
}
