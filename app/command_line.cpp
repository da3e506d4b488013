// The command-line forms of the menu program, tested in order on the whole text.
// Standard C++ and the core's own headers only.
#include "app/command_line.h"

#include <cstring>

#include "profile/expand.h"

namespace {

constexpr char kDefaultDefinition[] = ".\\Quorel.ini";
constexpr char kLinuxRestore[] = "--restore ";

// Leading and trailing blanks and tabs cut off; quotation marks stay.
std::string Trimmed(const std::string& text) {
  std::string copy = SkipLeading(text.c_str(), ' ', '\t');
  TrimTrailing(&copy[0], ' ', '\t');
  return std::string(copy.c_str());
}

}  // namespace

StartRequest ParseCommandLine(const char* commandLine, const char* startDirectory,
                              CommandLineRules rules) {
  const std::string text = commandLine != nullptr ? commandLine : "";
  const std::string start = startDirectory != nullptr ? startDirectory : "";
  const bool linux = rules == CommandLineRules::Linux;
  StartRequest request;
  request.definitionFile = kDefaultDefinition;
  request.workingDirectory = start;
  if (text.empty()) return request;

  if (linux && text.compare(0, std::strlen(kLinuxRestore), kLinuxRestore) == 0) {
    request.restore = true;
    request.sessionFile = text.substr(std::strlen(kLinuxRestore));
    request.definitionFile.clear();
    request.workingDirectory.clear();
    return request;
  }

  const size_t comma = text.find(',');
  if (comma != std::string::npos) {
    request.definitionFile = Trimmed(text.substr(0, comma));
    request.workingDirectory = Trimmed(text.substr(comma + 1));
    return request;
  }

  if (!linux && text.find('/') != std::string::npos) {
    // The name always starts at the second character, whatever stands first.
    request.restore = true;
    request.sessionFile = text.substr(1);
    request.definitionFile.clear();
    request.workingDirectory.clear();
    return request;
  }

  // A path names the directory of the default definition file; the file name plays no part.
  const std::string trimmed = Trimmed(text);
  const size_t separator = trimmed.find_last_of(linux ? "\\/" : "\\");
  if (separator != std::string::npos) {
    request.workingDirectory = trimmed.substr(0, separator);
    // On Linux a file directly under the root names the root, not an empty directory.
    if (linux && separator == 0 && trimmed[0] == '/') request.workingDirectory = "/";
  }
  return request;
}
