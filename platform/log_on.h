// Running the reload program once at the next log-on: its registration and removal.
// No OS headers here.
#pragma once

// Name of the registration: the Run value on Windows, the autostart entry's file name (with
// ".desktop") on Linux.
constexpr char kLogOnEntryName[] = "QuorelReload";

// File name of the reload program in the Windows directory ("pindrel.exe" on Windows,
// "pindrel" on Linux).
extern const char kReloadProgramName[];

// Registers program (a bare file name in the Windows directory) to run with argument at the
// next log-on under name, replacing an earlier registration. Windows: REG_SZ value name of
// HKLM\Software\Microsoft\Windows\CurrentVersion\Run with the data "program argument"; when
// that key cannot be opened for writing, the same value under HKCU. Linux: the autostart entry
// whose Exec runs the program by its full path with argument as one argument, quoted by the
// Desktop Entry rules. Nothing is reported: no registration means no restart recovery.
void SetLogOnCommand(const char* name, const char* program, const char* argument);

// Removes the registration name from every place SetLogOnCommand may have put it (on Windows
// HKLM and HKCU). A missing registration is no error.
void RemoveLogOnCommand(const char* name);
