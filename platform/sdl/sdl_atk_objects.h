// The main window as ATK objects: an application whose one child is a frame named after the
// window's title, whose children are the visible entries (push buttons with one action,
// "press"). Reads the access view and the main window at each request. ATK types only.
#pragma once

#include "platform/sdl/sdl_atk_library.h"

// Registers the types, makes the objects and hands the root to the AT-SPI bridge, which
// connects to the accessibility bus in $AT_SPI_BUS_ADDRESS. False when the bridge refused.
bool StartAtkObjects(const AtkLibrary& library);
// The entries shown changed: the old children are removed, the new ones added, then the
// highlighted one is told focused.
void AtkEntriesChanged();
// The highlight moved: the entry that had it loses the focused state, the new one gains it.
void AtkHighlightChanged();
// The window gained or lost the input focus (the frame's active state and window events).
void AtkWindowActivated(bool active);
