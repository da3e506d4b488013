// OpenWithShell without a shell: each hand-over is recorded with what it was given, and nothing
// starts. Needs nothing beyond the headless state.
#include <optional>
#include <string>

#include "platform/headless/headless_state.h"
#include "platform/shell.h"

namespace {

std::optional<std::string> Given(const char* text) {
  return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace

void OpenWithShell(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory) {
  HeadlessEvent event{HeadlessEvent::Kind::Shell};
  event.hasOwner = owner != nullptr;
  event.verb = Given(verb);
  event.file = file != nullptr ? file : "";
  event.parameters = Given(parameters);
  event.directory = Given(directory);
  Record(event);
}
