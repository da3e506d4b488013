// Loading a DLL of the system folder at run time, by its full path: a DLL of the same name
// beside the program (on a disc, in Downloads) is never loaded. Only platform/win32 includes it.
#pragma once

#include <windows.h>

// The DLL fileName ("oleacc.dll") from the system folder (GetSystemDirectoryA); null when it is
// missing there (the caller then goes without what it offers). Never freed: it serves until the
// process ends.
HMODULE LoadSystemLibrary(const char* fileName);

// The function name of module as type Function; null when module is null or lacks it.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // GetProcAddress hands every function back as one type; the caller names the real one.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Where the system offers it (Windows 8, and 7 and Vista with the 2011 update), limits the
// libraries loaded later, by the system on the program's behalf too, to the system folder and
// full paths. Called first in each program's entry (inline: the reload program links no more).
inline void LoadLibrariesFromSystemFolderOnly() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (const auto set = SystemFunction<SetDirectories>(GetModuleHandleA("kernel32.dll"),
                                                      "SetDefaultDllDirectories")) {
    set(kSearchSystem32);
  }
}
