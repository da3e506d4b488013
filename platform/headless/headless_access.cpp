// Assistive technology without a screen: the view is kept for tests to read, and each notice
// recorded. No OS headers, no SDL.
#include "platform/access.h"
#include "platform/headless/headless_state.h"

void SetAccessView(AccessView* view) { Headless().accessView = view; }

AccessView* HeadlessAccessView() { return Headless().accessView; }

void AccessHighlightChanged(WindowHandle window) {
  if (KnownWindow(window) != nullptr) Record(HeadlessEvent{HeadlessEvent::Kind::AccessHighlight});
}

void AccessEntriesChanged(WindowHandle window) {
  if (KnownWindow(window) != nullptr) Record(HeadlessEvent{HeadlessEvent::Kind::AccessEntries});
}
