// Attaching an application object to the headless window, for tests: its destroy notification
// and close request then reach the object's handlers as through the window procedure.
// Header-only, so the headless library itself never depends on the core's window events.
#pragma once

#include "app/menu_app.h"
#include "platform/headless/headless_control.h"

// app receives the notifications from now on; null: they are only recorded.
inline void HeadlessAttachApp(CMenuApp* app) {
  HeadlessWindowProcedure procedure;
  if (app != nullptr) {
    procedure.app = app;
    procedure.destroy = [](void* target) { static_cast<CMenuApp*>(target)->OnDestroy(); };
    procedure.close = [](void* target) { static_cast<CMenuApp*>(target)->OnClose(); };
  }
  HeadlessSetWindowProcedure(procedure);
}
