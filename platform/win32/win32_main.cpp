// The Windows process entry: hands the instance, command line and show command to MenuMain.
// Keeps library loading to the system folder first, then declares DPI awareness before any
// window exists.
#include <windows.h>

#include "platform/program_entry.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR commandLine,
                   int showCommand) {
  LoadLibrariesFromSystemFolderOnly();
  DeclareDpiAwareness();
  return MenuMain(instance, commandLine, showCommand, CommandLineRules::Windows);
}
