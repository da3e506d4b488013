// The session file's place and names, and the restart recovery: the reload program and its
// log-on registration, written at start and removed at a normal end. Standard C++ and
// platform/*.h only.
#pragma once

// The session file's name; given bare, the INI store places it in the Windows directory.
constexpr char kSessionFileName[] = "quorel~.tmp";
// Its section of the session journal and the program's own keys.
constexpr char kSessionSection[] = "Config";

// The session file this run journals into and remembers pages in: kSessionFileName (the
// Windows directory) unless the start chose another place. Never null.
const char* SessionFile();

// Makes name the session file of this run (null: the bare kSessionFileName again).
void UseSessionFile(const char* name);

// This run keeps no session (a preview, which may run beside the menu): SessionFile() is "" from
// now on, so no level is journalled and no page or mark remembered, and ChooseSessionFile,
// RegisterRestart and UnregisterRestart do nothing (another copy's recovery stays as it is).
void KeepNoSession();

// Chooses the session file before the first level is opened. A restore form's name that names
// a session file (kSessionFileName, bare or after a separator) is used as it is, so the replay
// rewrites the journal and pages it read. Otherwise the Windows directory when the session
// file can be written there, else the same name in the per-user folder (GetPerUserDir); the
// test write is this run's "Exec". With neither, the bare name stays and nothing gets
// registered.
void ChooseSessionFile(const char* restoreName);

// Makes the menu come back after a restart, all or nothing: "Exec" (this program's full path)
// and "Workpath" (workPath, the directory the program started in) into the session file, the reload
// program written into the Windows directory or else the per-user folder, and only when both are in
// place the log-on registration that runs it with the session file's name (for every user when both
// lie in the Windows directory). When a part cannot be written nothing stays registered (an earlier
// registration is removed too), the part is reported once, and the normal end removes the rest.
void RegisterRestart(const char* workPath);

// Removes what keeps the menu coming back after a restart from every place it may be in: the
// session file and the reload program in the Windows directory and in the per-user folder,
// the session file of this run, and the log-on registration. A missing one is already gone.
void UnregisterRestart();
