// The forms of the menu program's command line, read by one pure function. Standard C++ only.
#pragma once

#include <string>

// Which system's forms apply. Windows: the forms as they are. Linux: "/" counts like "\" in the
// path form, there is no "/" restore test, and "--restore NAME" is the restore form.
enum class CommandLineRules { Windows, Linux };

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
