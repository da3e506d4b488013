// The restart recovery's files and registration: written at start, removed at a normal end.
// Core headers and platform/*.h only.
#include "session/restart_recovery.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/log_on.h"
#include "platform/profile_store.h"
#include "session/reload_image.h"

namespace {

// The reload program reads "Exec" into 1,024 characters: a longer path could not start it.
constexpr uint32_t kExecSize = 1024;

std::string& SessionFileText() {
  static std::string name = kSessionFileName;
  return name;
}

bool& NoSession() {
  static bool none = false;
  return none;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// name is the session file's own name, alone or after a folder: only such a file is written
// and deleted as the session file, never another file a command line happens to name.
bool NamesSessionFile(const char* name) {
  const size_t length = std::strlen(name);
  const size_t own = sizeof kSessionFileName - 1;
  if (length < own || std::strcmp(name + length - own, kSessionFileName) != 0) return false;
  return length == own || IsSeparator(name[length - own - 1]);
}

// A folder asked of the system by size first, so no length limits it (Linux paths may be long).
template <typename Query>
std::string AskFolder(Query query) {
  const uint32_t needed = query(nullptr, 0);
  if (needed == 0) return std::string();
  std::string folder(needed, '\0');
  const uint32_t length = query(&folder[0], needed);
  if (length == 0 || length >= needed) return std::string();
  folder.resize(length);
  return folder;
}

// name in folder, joined with the system's separator ('\\' on Windows even after a drive root,
// as the 95 family wants); empty when folder is.
std::string FileInFolder(const std::string& folder, const char* name) {
  if (folder.empty()) return std::string();
  return folder + kPathSeparator + name;
}

// The Windows directory (its Linux stand-in as it is, backslashes and all), or "" when it
// cannot be had.
std::string WindowsDirectory() { return AskFolder(GetWindowsDir); }

std::string PerUserDirectory(int create) {
  return AskFolder([create](char* out, uint32_t size) { return GetPerUserDir(out, size, create); });
}

// The session file as a path, for the report.
std::string SessionFilePath() {
  const char* name = SessionFile();
  return std::strcmp(name, kSessionFileName) == 0 ? FileInFolder(WindowsDirectory(), name)
                                                  : std::string(name);
}

void Report(const std::string& what, const char* reason = nullptr) {
  ReportRecoveryOff(what.c_str(), reason);
}

// Writes the reload program into folder; its path, or "" when that failed.
std::string WriteReloadProgram(const std::string& folder) {
  std::string path = FileInFolder(folder, kReloadProgramName);
  if (!path.empty() &&
      !WriteProgramFile(path.c_str(), reload_program_image, reload_program_image_size)) {
    path.clear();
  }
  return path;
}

}  // namespace

const char* SessionFile() { return NoSession() ? "" : SessionFileText().c_str(); }

void UseSessionFile(const char* name) {
  SessionFileText() = name != nullptr && name[0] != '\0' ? name : kSessionFileName;
}

void KeepNoSession() { NoSession() = true; }

void ChooseSessionFile(const char* restoreName) {
  if (NoSession()) return;
  if (restoreName != nullptr && NamesSessionFile(restoreName)) {
    UseSessionFile(restoreName);
    return;
  }
  UseSessionFile(nullptr);
  char program[kExecSize];
  if (GetProgramPath(program, sizeof program) == 0) program[0] = '\0';
  if (WriteProfileValue(kSessionSection, "Exec", program, kSessionFileName)) return;
  const std::string path = FileInFolder(PerUserDirectory(1), kSessionFileName);
  // The restore form names the file on the menu's command line, where a comma would make it
  // the form that opens a definition file: no recovery rather than a wrong one.
  if (path.empty() || path.find(',') != std::string::npos) return;
  if (WriteProfileValue(kSessionSection, "Exec", program, path.c_str())) {
    UseSessionFile(path.c_str());
  }
}

void RegisterRestart(const char* workPath) {
  if (NoSession()) return;
  const char* session = SessionFile();
  char program[kExecSize];
  bool complete = GetProgramPath(program, sizeof program) != 0;
  if (!complete) {
    Report("Exec (the program's own path)");
  } else if (std::strpbrk(program, "\r\n") != nullptr ||
             (workPath != nullptr && std::strpbrk(workPath, "\r\n") != nullptr)) {
    // One line per value: the session file cannot keep such a path, so no recovery.
    complete = false;
    Report(SessionFilePath(), "the path of the menu's folder or program holds a line break");
  } else if (!WriteProfileValue(kSessionSection, "Exec", program, session) ||
             !WriteProfileValue(kSessionSection, "Workpath", workPath, session)) {
    complete = false;
    Report(SessionFilePath());
  }

  // The Windows directory first, as every release before UAC has it; where it refuses a program
  // file (a standard user on current Windows), the user's own folder.
  std::string reload;
  bool inWindowsDirectory = false;
  if (complete) {
    const std::string windows = MakeWindowsDir() ? WindowsDirectory() : std::string();
    reload = WriteReloadProgram(windows);
    inWindowsDirectory = !reload.empty();
    if (reload.empty()) reload = WriteReloadProgram(PerUserDirectory(1));
    if (reload.empty()) {
      complete = false;
      Report(FileInFolder(windows, kReloadProgramName));
    }
  }

  if (complete) {
    // Machine-wide only when both files lie where every user's log-on finds them.
    const bool everyUser = inWindowsDirectory && std::strcmp(session, kSessionFileName) == 0;
    const char* command = inWindowsDirectory ? kReloadProgramName : reload.c_str();
    if (SetLogOnCommand(kLogOnEntryName, command, session, everyUser ? 1 : 0) == LogOnNowhere) {
      complete = false;
      Report("the log-on registration " + std::string(kLogOnEntryName));
    }
  }

  // Each step above runs only when the ones before it succeeded: one report at most.
  if (!complete) {
    // No registration that names what is not there, nor an earlier one that would bring back
    // a stale session; the session file stays for this run and goes at its end.
    RemoveLogOnCommand(kLogOnEntryName);
    if (!reload.empty()) DeleteFileAt(reload.c_str());
  }
}

void UnregisterRestart() {
  if (NoSession()) return;
  const std::string folders[] = {WindowsDirectory(), PerUserDirectory(0)};
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    DeleteFileAt(FileInFolder(folder, kSessionFileName).c_str());
    DeleteFileAt(FileInFolder(folder, kReloadProgramName).c_str());
  }
  if (std::strcmp(SessionFile(), kSessionFileName) != 0) DeleteFileAt(SessionFile());
  RemovePerUserDir();
  RemoveLogOnCommand(kLogOnEntryName);
}
