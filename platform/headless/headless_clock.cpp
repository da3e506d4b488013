// Pauses without a screen: recorded with their length, never waited for, so that transition
// effects run at once and tests see their pace. No OS headers, no SDL.
#include "platform/clock.h"
#include "platform/headless/headless_state.h"

void SleepMs(uint32_t milliseconds) {
  HeadlessEvent event{HeadlessEvent::Kind::Sleep};
  event.milliseconds = milliseconds;
  Record(event);
}
