// Fuzzes the command-line forms under both systems' rules: any text gives one request, the
// restore form names the session file and nothing else. Input: the command-line text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/command_line.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The system hands over a C string: the text ends at the first NUL.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string line = text.substr(0, text.find('\0'));
  for (CommandLineRules rules : {CommandLineRules::Windows, CommandLineRules::Linux}) {
    const StartRequest request = ParseCommandLine(line.c_str(), "C:\\start", rules);
    if (request.restore) {
      Check(request.definitionFile.empty() && request.workingDirectory.empty());
      if (rules == CommandLineRules::Windows) {
        Check(line.find(',') == std::string::npos && line.find('/') != std::string::npos);
        Check(request.sessionFile == line.substr(1));
      } else {
        Check(line.rfind("--restore ", 0) == 0 && request.sessionFile == line.substr(10));
      }
    } else {
      Check(request.sessionFile.empty());
    }
  }
  return 0;
}
