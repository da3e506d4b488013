// What the SDL accessibility files share: the view the core handed over, presses asked for by
// assistive technology, and the accessibility part of each turn of the event loop. No ATK here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/access.h"

// The view set by the core; null when none.
AccessView* CurrentAccessView();

// A press of the entry at index, asked for by a screen reader: carried out in the loop's next
// turn, never inside the request (a started program or a message box would keep it waiting).
void QueueAccessPress(size_t index);

// The accessibility share of one turn of the event loop, after painting: the first call starts
// looking for the accessibility bus in the background; once it is found the objects are
// registered and the bus's requests answered here. Returns the longest the loop may then sleep
// waiting for events, in milliseconds (idleMs, or less while a screen reader may ask).
uint32_t ServeAccessibility(uint32_t idleMs);

// The main window gained (true) or lost the input focus.
void AccessWindowActivated(bool active);
