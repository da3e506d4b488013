// The session file's place and names, and the restart recovery: the reload program and its
// log-on registration, written at start and removed at a normal end. Standard C++ and
// platform/*.h only.
#pragma once

#include <cstddef>

// The session file, a bare name that the INI store places in the Windows directory.
constexpr char kSessionFileName[] = "quorel~.tmp";
// Its section of the session journal and the program's own keys.
constexpr char kSessionSection[] = "Config";

// The full path of name in the Windows directory into out; false when it cannot be formed
// or does not fit.
bool WindowsDirectoryFile(const char* name, char* out, size_t size);

// Makes the menu come back after a restart: "Exec" (this program's full path) and "Workpath"
// (startDirectory) into the session file, the reload program registered to run at the next
// log-on with the session file's name, and the reload program written into the Windows
// directory. Nothing is reported: whatever cannot be done means no recovery.
void RegisterRestart();

// Removes what keeps the menu coming back after a restart: the session file and the reload
// program in the Windows directory, and the log-on registration. A missing one is already gone.
void UnregisterRestart();
