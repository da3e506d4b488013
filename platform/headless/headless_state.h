// State shared by the files of the headless backend: the screen, the one window, the answer
// queue and the record, and what the drawing part (headless_sdl.cpp or headless_gdi.cpp,
// whichever drawing code the build has) offers the rest. Only the headless files include this.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/access.h"
#include "platform/headless/headless_control.h"
#include "platform/window_events.h"

struct PlatformWindow {
  int32_t x = 0;
  int32_t y = 0;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  std::string caption;
  bool visible = false;
};

struct HeadlessState {
  int32_t screenWidth = 1024;
  int32_t screenHeight = 768;
  int32_t screenBitsPerPixel = 32;
  std::unique_ptr<PlatformWindow> window;  // the one window, once made
  std::deque<int> answers;
  std::vector<HeadlessEvent> events;
  std::vector<std::string> shownMessages;
  WindowEvents* receiver = nullptr;  // receives destroy notifications and close requests
  bool otherCopyRunning = false;     // the single-instance guard is held elsewhere
  bool guardHeld = false;
  int quitCode = -1;                 // the exit code posted; -1 while none
  bool recordBlits = true;           // copies onto the window are recorded
  std::vector<uintptr_t> heldKeys;   // keys held down, as IsKeyHeld answers
  AccessView* accessView = nullptr;  // what the program offers assistive technology
};

HeadlessState& Headless();

// The window that handle names, or null when it is not the headless window.
PlatformWindow* KnownWindow(WindowHandle handle);

void Record(HeadlessEvent event);

// --- The drawing part: pixels of the client area and the screen, and their targets ---------

// Gives the window's client area width x height fresh pixels (none when either is 0 or the
// area is too large for an image); what was drawn is gone. Targets held on the window draw on
// the new pixels.
void ResizeClientPixels(int32_t width, int32_t height);
// The window is gone: targets still held on it draw on nothing.
void DropClientPixels();
// The screen's size or depth changed: targets on the old screen draw on nothing, and every
// target reports the new depth where the drawing code lets it.
void ScreenChanged();

// A new target on the window's client area (onWindow) or on the screen, whose pixels are made
// when first asked; null when none can be made. Copies onto the targets are passed to
// RecordWindowBlit from then on.
DrawTarget* NewHeadlessTarget(bool onWindow);
// Whether target was handed out on the window and is still held.
bool IsWindowTarget(DrawTarget* target);
// Records a copy onto target when it is on the window and copies are recorded; copies between
// images are not the window's.
void RecordWindowBlit(DrawTarget* target, int32_t x, int32_t y, int32_t width, int32_t height);

// Whether targets can draw and report bitsPerPixel (1..32) as the screen's depth.
bool DrawsAtDepth(int32_t bitsPerPixel);

// Whether the program carries resource number id of the kind.
enum class HeadlessResource { Cursor, Wave };
bool HasProgramResource(HeadlessResource kind, int id);
