// --version of the Windows programs, which have no console of their own: the line goes to the
// standard output they were given (a pipe, a file, Wine's terminal), else to the console of the
// command prompt that started them, else into a message box. Win32 calls only (the reload
// program links no C runtime), AttachConsole taken at run time (the 95 family lacks it).
#pragma once

#include <windows.h>

#include "platform/win32/win32_system_library.h"

inline void ShowVersionLine(const char* line) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    using Attach = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kParentProcess = static_cast<DWORD>(-1);  // ATTACH_PARENT_PROCESS
    const auto attach = SystemFunction<Attach>(GetModuleHandleA("kernel32.dll"), "AttachConsole");
    if (attach != nullptr && attach(kParentProcess)) {
      out = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    }
  }
  DWORD written = 0;
  if (out == nullptr || out == INVALID_HANDLE_VALUE ||
      !WriteFile(out, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr)) {
    MessageBoxA(nullptr, line, "Quorel", MB_OK | MB_ICONINFORMATION);
  }
}

// True when the command line, blanks around it aside, is exactly "--version".
inline bool AsksForVersion(const char* commandLine) {
  while (*commandLine == ' ' || *commandLine == '\t') ++commandLine;
  const char* const kOption = "--version";
  int i = 0;
  for (; kOption[i] != '\0'; ++i) {
    if (commandLine[i] != kOption[i]) return false;
  }
  for (; commandLine[i] != '\0'; ++i) {
    if (commandLine[i] != ' ' && commandLine[i] != '\t') return false;
  }
  return true;
}
