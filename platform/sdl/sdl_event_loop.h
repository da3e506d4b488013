// What the SDL event loop offers the other SDL window files: the create notification, the end
// of the desktop session (signals, the display going away) and the note that a modal box is
// open. SDL only by name; no core headers.
#pragma once

#include "platform/handles.h"

// The window was made: the create notification goes to the application (WM_CREATE).
void NotifyWindowCreated(WindowHandle window);

// SIGTERM and SIGHUP, and the X display going away, end the session: the application is told
// (OnEndSession) and the program ends without destroying its window, so the restart recovery
// stays in place. Installed once; call after the video subsystem is up.
void WatchForSessionEnd();

// While one lives, a modal box runs its own loop that cannot be woken: a session end then ends
// the process (and the box's helper process) at once. The first one installs the signal
// handlers when no window has been made yet.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};
