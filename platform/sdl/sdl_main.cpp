// The Linux process entry: --help and --version, else the arguments joined with single blanks
// into the command line that MenuMain reads. Nothing else lives here; no SDL.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/program_entry.h"

namespace {

constexpr char kUsage[] =
    "Usage: quorel [DIR/FILE | NAME,DIR | --restore NAME | --preview FILE]\n"
    "A start-up menu for discs, sticks and folders, defined by an INI file.\n"
    "\n"
    "  quorel                 opens ./Quorel.ini\n"
    "  quorel DIR/FILE        opens Quorel.ini in DIR (the file name plays no part)\n"
    "  quorel NAME,DIR        opens the definition file NAME in DIR\n"
    "  quorel --restore NAME  replays the session file NAME, as after a restart\n"
    "  quorel --preview FILE  shows FILE for its author: read again within half a second of\n"
    "                         every save of a file it read (the last good state stays while\n"
    "                         one cannot be read), a click prints what it would start as one\n"
    "                         JSON line instead of starting it; no session file, no log-on\n"
    "                         entry, and it may run beside the menu\n"
    "  quorel --help          shows this text\n"
    "  quorel --version       shows the version\n"
    "\n"
    "Environment:\n"
    "  QUOREL_WINDIR   where the session file and the reload program are kept\n"
    "                  (default $XDG_STATE_HOME/quorel, i.e. ~/.local/state/quorel)\n"
    "  QUOREL_COUNTRY  the country code that picks the String.<code> sections\n"
    "                  (default: the territory of the locale)\n"
    "  QUOREL_WINVER   the Windows release to preview a menu for, as id.major.minor\n"
    "                  (for example 1.4.10 for Windows 98, 2.5.1 for Windows XP)\n";

constexpr char kVersion[] = "quorel " QUOREL_VERSION "\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs(kVersion, stdout);
    return 0;
  }
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return MenuMain(nullptr, commandLine.c_str(), 1, CommandLineRules::Linux);
}
