// What the tool's entry does differently per system: one file each, tool_platform_posix.cpp
// and tool_platform_win32.cpp.
#pragma once

#include <string>
#include <vector>

// First thing in main: on Windows, libraries the system loads later on the tool's behalf come
// from the system folder only (never a DLL planted beside the tool); nothing on Linux.
void StartToolProcess();

// The command line's arguments, the program's name first, in the core's text: as given on
// Linux, UTF-8 of the wide command line on Windows (names beyond the ANSI code page reach it).
std::vector<std::string> ToolArguments(int argc, char** argv);

// What dist ships unless told otherwise: the release archive's programs when the tool lies in an
// unpacked one (windows\quorel.exe and linux/portable/, the folder dist copies as linux/).
// Linux outside a release: the win32 preset's quorel.exe and this build's portable program.
std::string DefaultWindowsProgram();
std::string DefaultLinuxDir();
