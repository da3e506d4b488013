// Message boxes without a screen: answered from the queue the caller fills (else the default
// button) and recorded. Needs nothing beyond the headless state.
#include "platform/headless/headless_state.h"
#include "platform/message_box.h"

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  HeadlessState& state = Headless();
  HeadlessEvent event{HeadlessEvent::Kind::MessageBox};
  event.text = text != nullptr ? text : "";
  event.caption = caption != nullptr ? caption : "Error";  // MessageBoxA's caption for null
  event.hasOwner = owner != nullptr;
  event.style = style;
  if (!state.answers.empty()) {
    event.result = state.answers.front();
    state.answers.pop_front();
  } else {
    // Closing a box without choosing: OK for an OK box, No for a yes/no box.
    event.result = (style & 0xF) == MessageYesNo ? ResultNo : ResultOk;
  }
  state.shownMessages.push_back(event.caption + "|" + event.text);
  const int result = event.result;
  Record(event);
  return result;
}
