// Running the reload program once at the next log-on: its registration and removal, the
// per-user folder that takes the restart files when the Windows directory refuses them, and
// the one report of a recovery that could not be set up. No OS headers here.
#pragma once

#include <cstdint>

// Name of the registration: the Run value on Windows, the autostart entry's file name (with
// ".desktop") on Linux.
constexpr char kLogOnEntryName[] = "QuorelReload";

// File name of the reload program ("pindrel.exe" on Windows, "pindrel" on Linux).
extern const char kReloadProgramName[];

// Where SetLogOnCommand put the registration.
enum LogOnPlace { LogOnNowhere = 0, LogOnMachine = 1, LogOnUser = 2 };

// Registers program to run with argument at the next log-on under name, replacing an earlier
// registration. program is kReloadProgramName alone (it lies in the Windows directory) or a
// full path; argument is passed whole (blanks included).
// Windows: REG_SZ value name of the Run key (Software\Microsoft\Windows\CurrentVersion\Run),
// data "program argument" for the bare name, "\"program\" argument" for a full path. With
// forEveryUser (both files lie in the Windows directory) HKLM is tried first, and a value left
// under HKCU is then removed; otherwise, or when HKLM cannot be opened for writing, HKCU (its
// key created when missing), and a value under HKLM is removed where that is allowed. So one
// registration exists.
// Linux: the autostart entry whose Exec runs the program by its full path (a bare name is
// joined to the Windows-directory stand-in as it is) with argument as one argument, quoted by
// the Desktop Entry rules; forEveryUser plays no part.
// Returns where it was registered; LogOnNowhere leaves no registration of name at all.
LogOnPlace SetLogOnCommand(const char* name, const char* program, const char* argument,
                           int forEveryUser);

// Removes the registration name from every place SetLogOnCommand may have put it (on Windows
// HKLM and HKCU). A missing registration is no error.
void RemoveLogOnCommand(const char* name);

// The user's own folder for the reload program and the session file when the Windows
// directory refuses them: on Windows %LOCALAPPDATA%\Quorel (created when create is 1), or the
// user's temporary folder where that variable does not exist; on Linux there is none (the
// Windows-directory stand-in is the user's own already). Returns its length (no separator at
// the end), the size needed when out is too small, or 0 when there is none.
uint32_t GetPerUserDir(char* out, uint32_t size, int create);

// Removes the folder of GetPerUserDir when it is empty and the program's own (never the
// temporary folder).
void RemovePerUserDir();

// Says, where the system has a place for it (standard error on Linux, nowhere on Windows),
// that the restart recovery is off because what could not be written, and why: reason, or
// when it is null the system's last error. Call it right after the failed write.
void ReportRecoveryOff(const char* what, const char* reason = nullptr);
