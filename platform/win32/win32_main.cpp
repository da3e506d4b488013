// The Windows process entry: hands the instance, command line and show command to MenuMain.
// Keeps library loading to the system folder first, then declares DPI awareness before any
// window exists. "--version" alone prints the version instead.
#include <windows.h>

#include "platform/program_entry.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_system_library.h"
#include "platform/win32/win32_version_line.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR commandLine,
                   int showCommand) {
  LoadLibrariesFromSystemFolderOnly();
  if (AsksForVersion(commandLine)) {
    ShowVersionLine("quorel " QUOREL_VERSION "\r\n");
    return 0;
  }
  DeclareDpiAwareness();
  return MenuMain(instance, commandLine, showCommand, CommandLineRules::Windows);
}
