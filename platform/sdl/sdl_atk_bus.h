// Where the accessibility bus (AT-SPI2) of this desktop session is, asked of the session bus
// through libdbus loaded at run time. SDL's loader only; no D-Bus headers.
#pragma once

#include <string>

// The accessibility bus's address: $AT_SPI_BUS_ADDRESS when set, else the answer of the
// session bus's org.a11y.Bus (which starts the bus where it is installed); empty when there is
// no session bus ($DBUS_SESSION_BUS_ADDRESS unset: nothing is launched), no libdbus, or when
// either bus does not answer. Waits for the buses as long as they take (a stopped bus: for
// ever): call it off the main thread.
std::string FindAccessibilityBus();
