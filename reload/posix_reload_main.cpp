// pindrel on Linux: run once at log-on, starts the menu program in the restore form and removes
// its own autostart entry. POSIX backend only (INI store, autostart entry, start without shell).
#include <cstdio>
#include <exception>
#include <string>

#include "platform/log_on.h"
#include "platform/posix/posix_launch.h"
#include "platform/profile_store.h"

namespace {

void Reload(int argc, char** argv) {
  // The argument text: the arguments joined with single blanks, leading blanks skipped as the
  // Windows start-up code skips them after the program's name. A name with blanks stays one.
  std::string argument;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) argument += ' ';
    argument += argv[i];
  }
  argument.erase(0, argument.find_first_not_of(" \t"));
  if (argument.empty()) return;

  char exec[1024];
  char workpath[1024];
  ReadProfileString("Config", "Exec", "", exec, sizeof(exec), argument.c_str());
  ReadProfileString("Config", "Workpath", "", workpath, sizeof(workpath), argument.c_str());
  // Removed before the start, so it cannot remove the menu program's new registration.
  RemoveLogOnCommand(kLogOnEntryName);

  LaunchPlan plan;
  plan.direct = true;
  plan.argv = {exec, "--restore", argument};
  plan.directory = workpath;
  // A missing session file or "Exec" leaves an empty program, which StartDetached refuses.
  StartDetached(plan);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::fputs("pindrel " QUOREL_VERSION "\n", stdout);
    return 0;
  }
  // Exit code 0 whatever happens: nothing waits for this program's answer.
  try {
    Reload(argc, argv);
  } catch (const std::exception&) {
  }
  return 0;
}
