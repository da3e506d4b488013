// The Windows process entry: hands the instance, command line (as UTF-8, from the wide command
// line on the NT family) and show command to MenuMain. Keeps library loading to the system
// folder first, then declares DPI awareness before any window exists. "--version" alone
// prints the version instead.
#include <windows.h>

#include <string>

#include "platform/program_entry.h"
#include "platform/win32/win32_argument_text.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_system_library.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_version_line.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/,
                   int showCommand) {
  LoadLibrariesFromSystemFolderOnly();
  // The text after the program's name, as the start-up code hands it to WinMain.
  const std::string line = WideSystem() ? Utf8OfWide(QUOREL_WIDE("kernel32.dll", GetCommandLineW)())
                                        : Utf8OfAnsi(GetCommandLineA());
  const char* arguments = ReloadArgumentText(line.c_str());
  if (AsksForVersion(arguments)) {
    ShowVersionLine("quorel " QUOREL_VERSION "\r\n");
    return 0;
  }
  DeclareDpiAwareness();
  return MenuMain(instance, arguments, showCommand, CommandLineRules::Windows);
}
