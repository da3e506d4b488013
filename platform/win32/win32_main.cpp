// The Windows process entry: hands the instance, command line and show command to MenuMain.
// Declares DPI awareness first, before any window exists.
#include <windows.h>

#include "platform/program_entry.h"
#include "platform/win32/win32_dpi.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR commandLine,
                   int showCommand) {
  DeclareDpiAwareness();
  return MenuMain(instance, commandLine, showCommand, CommandLineRules::Windows);
}
