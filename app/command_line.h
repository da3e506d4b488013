// The forms of the menu program's command line, read by one pure function. Standard C++ and
// platform/*.h only.
#pragma once

#include <string>

#include "platform/program_entry.h"

// What the command line asks for at start-up.
struct StartRequest {
  bool restore = false;          // replay the journal of sessionFile
  std::string sessionFile;       // restore form only, not trimmed
  std::string definitionFile;    // text given to OpenMenu
  std::string workingDirectory;  // text given to OpenMenu
};

// Reads commandLine (without the program's own name); startDirectory stands in where the
// forms give the start directory. A null command line reads as empty.
StartRequest ParseCommandLine(const char* commandLine, const char* startDirectory,
                              CommandLineRules rules);
