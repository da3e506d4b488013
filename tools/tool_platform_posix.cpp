// The tool's entry on Linux: the programs dist ships come from the build trees.
#include "tools/tool_platform.h"

void StartToolProcess() {}

std::string DefaultWindowsProgram() { return QUOREL_DIST_EXE; }
std::string DefaultLinuxDir() { return QUOREL_DIST_LINUX; }
