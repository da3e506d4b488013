// Starting a menu item's target on POSIX systems without any shell: the plan (what runs, with
// which arguments, where) apart from the start, so the plan can be checked without starting.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// What starting a target comes to.
struct LaunchPlan {
  bool direct = false;            // the target itself is run; else it goes to xdg-open
  std::vector<std::string> argv;  // argv[0]: the target's path, or "xdg-open" (found on PATH)
  std::string directory;          // where it runs; empty: the current directory
};

// Splits a parameter text into arguments: blanks (spaces, tabs) separate them, double quotes
// group blanks into one argument and are dropped themselves ("" gives an empty argument), an
// unclosed quote runs to the end. Nothing else has a meaning: no escapes, no variables.
std::vector<std::string> SplitParameters(const char* parameters);

// path with every backslash turned into "/" (definition files write Windows paths).
std::string WithForwardSlashes(const char* path);

// Whether path names a regular file (after symbolic links) that this process may execute.
bool IsExecutableFile(const char* path);

// The plan for OpenWithShell's arguments. executable: whether file is an executable regular
// file. Such a file is run directly with the split parameters for every verb but "edit"; all
// else (documents, folders, "edit") is handed to xdg-open as the one argument, the parameters
// dropped (xdg-open takes exactly one). file and directory get forward slashes.
LaunchPlan PlanLaunch(const char* verb, const char* file, const char* parameters,
                      const char* directory, bool executable);

// Starts plan detached: its own session, stdin from /dev/null, no descriptor of ours but
// stdout and stderr, default signal handling; it outlives this process. The child is reaped by
// a thread of its own, so no zombie stays. The child's process id, or -1 when it did not start;
// error (when not null) then gets the errno value of the failure (a missing directory, a file
// that cannot be executed), else 0.
pid_t StartDetached(const LaunchPlan& plan, int* error = nullptr);

// What OpenWithShell does: file (relative to the current directory) started as PlanLaunch
// plans it. "" when it started; else the text to show the user: the full path, a blank line
// and why it could not start (working folder missing, not a program this system runs, a
// program without its execute bit, no xdg-open, ...).
std::string LaunchTarget(const char* verb, const char* file, const char* parameters,
                         const char* directory);
