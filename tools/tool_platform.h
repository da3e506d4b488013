// What the tool's entry does differently per system: one file each, tool_platform_posix.cpp
// and tool_platform_win32.cpp.
#pragma once

#include <string>

// First thing in main: on Windows, libraries the system loads later on the tool's behalf come
// from the system folder only (never a DLL planted beside the tool); nothing on Linux.
void StartToolProcess();

// What dist ships unless told otherwise. Linux: the win32 preset's quorel.exe and this build's
// portable program. Windows: the quorel.exe beside quorel-tool.exe and the folder linux beside
// the tool's folder (the release archive's windows\ and linux\).
std::string DefaultWindowsProgram();
std::string DefaultLinuxDir();
