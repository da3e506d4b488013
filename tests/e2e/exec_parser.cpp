// Prints the argument vector of the Desktop Entry Exec value given as its one argument, each
// argument followed by a NUL byte, for the end-to-end run to start the autostart entry's command
// as a launcher would. Exits with 1, saying why, when the value breaks the rules.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/desktop_exec.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s EXEC-VALUE\n", argv[0]);
    return 2;
  }
  std::vector<std::string> args;
  if (!quorel_test::ParseExecValue(argv[1], &args)) {
    std::fprintf(stderr, "not a valid Exec value: %s\n", argv[1]);
    return 1;
  }
  for (const std::string& arg : args) std::fwrite(arg.c_str(), 1, arg.size() + 1, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
