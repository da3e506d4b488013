// The menu as assistive technology sees it: the read-only view of the visible entries (the
// list the keyboard walks) handed to the window backend, and the notices of its changes, given
// after each window event. Core headers and platform/*.h only.
#pragma once

#include "app/menu_app.h"
#include "platform/access.h"
#include "platform/window_events.h"

// Makes app's entries the window backend's accessibility view and returns the receiver of the
// window's events to install: it hands each event to app, then tells the backend when the
// highlight or the entries shown changed. A second call replaces the first one's (for app).
WindowEvents* WatchEntries(CMenuApp& app);

// A page button's own short name ("Next page", ...), for one that has no hint; null for an
// entry that is no page button of page.
const char* PageButtonName(const CMenuPage& page, const CMenuItem* entry);
