// The session file's place and names, and the clean-up of a normal end of the program.
// Standard C++ and platform/*.h only.
#pragma once

#include <cstddef>

// The session file, a bare name that the INI store places in the Windows directory.
constexpr char kSessionFileName[] = "quorel~.tmp";
// Its section of the session journal and the program's own keys.
constexpr char kSessionSection[] = "Config";

// The full path of name in the Windows directory into out; false when it cannot be formed
// or does not fit.
bool WindowsDirectoryFile(const char* name, char* out, size_t size);

// Removes what keeps the menu coming back after a restart: the session file in the Windows
// directory. Results are not looked at: a missing file is already gone.
void UnregisterRestart();
