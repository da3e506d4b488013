// OpenWithShell on POSIX systems: the target started as posix_launch plans it, and what could
// not start shown in a message box naming the file and the reason, as the Windows shell
// reports a program it cannot start. POSIX launch code and the message-box seam only.
#include <string>

#include "platform/message_box.h"
#include "platform/posix/posix_launch.h"
#include "platform/shell.h"

void OpenWithShell(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory) {
  const std::string failure = LaunchTarget(verb, file, parameters, directory);
  if (failure.empty()) return;
  // The caption names the file, as the shell's own boxes do.
  const std::string name = failure.substr(0, failure.find('\n'));
  const size_t slash = name.rfind('/');
  const std::string caption = slash == std::string::npos ? name : name.substr(slash + 1);
  ShowMessageBox(owner, failure.c_str(), caption.c_str(), MessageOk | MessageIconError);
}
