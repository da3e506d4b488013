// The restart recovery's files and registration: written at start, removed at a normal end.
// Core headers and platform/*.h only.
#include "session/restart_recovery.h"

#include <cstdint>
#include <cstring>

#include "app/menu_app.h"
#include "platform/copy_text.h"
#include "platform/file_system.h"
#include "platform/log_on.h"
#include "platform/profile_store.h"
#include "session/reload_image.h"

bool WindowsDirectoryFile(const char* name, char* out, size_t size) {
  if (name == nullptr || out == nullptr || size == 0) return false;
  const uint32_t length = GetWindowsDir(out, static_cast<uint32_t>(size));
  if (length == 0 || length >= size) return false;
  // "/" joins on both systems, as the INI store joins bare names.
  const size_t nameLength = std::strlen(name);
  if (length + 1 + nameLength >= size) return false;
  out[length] = '/';
  CopyText(out + length + 1, size - length - 1, name);
  return true;
}

void RegisterRestart() {
  char program[260];
  // A path that does not fit is not written cut: the reload program would start another file.
  if (GetProgramPath(program, sizeof program) == 0) program[0] = '\0';
  WriteProfileValue(kSessionSection, "Exec", program, kSessionFileName);
  WriteProfileValue(kSessionSection, "Workpath", startDirectory, kSessionFileName);
  SetLogOnCommand(kLogOnEntryName, kReloadProgramName, kSessionFileName);
  char path[260];
  if (WindowsDirectoryFile(kReloadProgramName, path, sizeof path)) {
    // A reload program that is still running keeps its file; it is the same program.
    WriteProgramFile(path, reload_program_image, reload_program_image_size);
  }
}

void UnregisterRestart() {
  char path[260];
  if (WindowsDirectoryFile(kSessionFileName, path, sizeof path)) DeleteFileAt(path);
  if (WindowsDirectoryFile(kReloadProgramName, path, sizeof path)) DeleteFileAt(path);
  RemoveLogOnCommand(kLogOnEntryName);
}
