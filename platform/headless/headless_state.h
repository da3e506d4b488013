// State shared by the files of the headless backend: the screen, the one window, the targets
// handed out, the answer queue and the record. Only the headless files include this.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_control.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_owned.h"

struct PlatformWindow {
  int32_t x = 0;
  int32_t y = 0;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  std::string caption;
  bool visible = false;
  OwnedSurface surface;  // the client area; null while it is empty
};

struct HeadlessState {
  int32_t screenWidth = 1024;
  int32_t screenHeight = 768;
  int32_t screenBitsPerPixel = 32;
  OwnedSurface screenSurface;              // made when the screen's target is first asked
  std::unique_ptr<PlatformWindow> window;  // the one window, once made
  std::vector<std::unique_ptr<DrawTarget>> windowTargets;  // on the window, handed out
  std::vector<std::unique_ptr<DrawTarget>> screenTargets;  // on the screen, handed out
  std::deque<int> answers;
  std::vector<HeadlessEvent> events;
  std::vector<std::string> shownMessages;
  CMenuApp* app = nullptr;          // receives destroy notifications and close requests
  bool otherCopyRunning = false;    // the single-instance guard is held elsewhere
  bool guardHeld = false;
  int quitCode = -1;                // the exit code posted; -1 while none
};

HeadlessState& Headless();

// The window that handle names, or null when it is not the headless window.
PlatformWindow* KnownWindow(WindowHandle handle);

void Record(HeadlessEvent event);
