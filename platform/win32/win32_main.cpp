// The Windows process entry: hands the instance, command line and show command to MenuMain.
// Nothing else lives here.
#include <windows.h>

#include "platform/program_entry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR commandLine,
                   int showCommand) {
  return MenuMain(instance, commandLine, showCommand, CommandLineRules::Windows);
}
