// The headless backend's state, its control functions for tests and quorel-tool, and the
// window's targets with the record of copies onto them. Needs the drawing part for pixels and
// targets only; no video, no audio.
#include "platform/headless/headless_state.h"

#include <algorithm>
#include <utility>

#include "platform/window.h"

HeadlessState& Headless() {
  static HeadlessState state;
  return state;
}

PlatformWindow* KnownWindow(WindowHandle handle) {
  PlatformWindow* window = Headless().window.get();
  return handle != nullptr && handle == window ? window : nullptr;
}

void Record(HeadlessEvent event) { Headless().events.push_back(std::move(event)); }

void RecordWindowBlit(DrawTarget* target, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!Headless().recordBlits || !IsWindowTarget(target)) return;
  HeadlessEvent event{HeadlessEvent::Kind::Blit};
  event.x = x;
  event.y = y;
  event.width = width;
  event.height = height;
  Record(event);
}

DrawTarget* GetWindowTarget(WindowHandle window) {
  if (window != nullptr && KnownWindow(window) == nullptr) return nullptr;
  return NewHeadlessTarget(window != nullptr);
}

bool HeadlessConfigureScreen(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (width < 1 || width > 16384 || height < 1 || height > 16384) return false;
  if (bitsPerPixel < 1 || bitsPerPixel > 32 || !DrawsAtDepth(bitsPerPixel)) return false;
  HeadlessState& state = Headless();
  state.screenWidth = width;
  state.screenHeight = height;
  state.screenBitsPerPixel = bitsPerPixel;
  ScreenChanged();
  return true;
}

WindowHandle HeadlessCreateWindow() {
  HeadlessState& state = Headless();
  if (!state.window) state.window = std::make_unique<PlatformWindow>();
  return state.window.get();
}

void HeadlessDestroyWindow() {
  DropClientPixels();
  Headless().window.reset();
}

HeadlessWindowState HeadlessWindow() {
  const PlatformWindow* window = Headless().window.get();
  if (window == nullptr) return HeadlessWindowState{false, Rect{0, 0, 0, 0}, 0, 0, "", false};
  const Rect bounds{window->x, window->y, window->x + window->clientWidth + 2 * kHeadlessFrameX,
                    window->y + window->clientHeight + kHeadlessFrameTop + kHeadlessFrameBottom};
  return HeadlessWindowState{
      true, bounds, window->clientWidth, window->clientHeight, window->caption, window->visible};
}

void HeadlessQueueAnswer(int result) { Headless().answers.push_back(result); }

const std::vector<HeadlessEvent>& HeadlessEvents() { return Headless().events; }

std::vector<HeadlessEvent> HeadlessTakeEvents() {
  std::vector<HeadlessEvent> events;
  events.swap(Headless().events);
  return events;
}

std::vector<std::string> TakeShownMessages() {
  std::vector<std::string> shown;
  shown.swap(Headless().shownMessages);
  return shown;
}

void HeadlessReset() {
  HeadlessDestroyWindow();
  HeadlessConfigureScreen(1024, 768, 32);
  HeadlessState& state = Headless();
  state.answers.clear();
  state.events.clear();
  state.shownMessages.clear();
  state.receiver = nullptr;
  state.otherCopyRunning = false;
  state.guardHeld = false;
  state.quitCode = -1;
  state.recordBlits = true;
  state.heldKeys.clear();
  state.accessView = nullptr;
}

void HeadlessHoldKey(uintptr_t key, bool held) {
  std::vector<uintptr_t>& keys = Headless().heldKeys;
  keys.erase(std::remove(keys.begin(), keys.end(), key), keys.end());
  if (held) keys.push_back(key);
}

void HeadlessRecordBlits(bool on) { Headless().recordBlits = on; }
