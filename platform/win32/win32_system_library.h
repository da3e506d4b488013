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
