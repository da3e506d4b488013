// The window services on a window without a screen: screen metrics as configured, and every
// move, size, show, caption and repaint request recorded. The client area's pixels and the
// targets on them belong to the drawing part. No OS headers, no SDL.
#include <algorithm>

#include "platform/headless/headless_state.h"
#include "platform/image_limits.h"
#include "platform/keys.h"
#include "platform/window.h"

int IsKeyHeld(uintptr_t key) {
  const std::vector<uintptr_t>& keys = Headless().heldKeys;
  return std::find(keys.begin(), keys.end(), key) != keys.end() ? 1 : 0;
}

int32_t ScreenWidth() { return Headless().screenWidth; }
int32_t ScreenHeight() { return Headless().screenHeight; }

int GetWindowBounds(WindowHandle window, Rect* bounds) {
  if (KnownWindow(window) == nullptr || bounds == nullptr) return 0;
  *bounds = HeadlessWindow().bounds;
  return 1;
}

void MoveWindowToTop(WindowHandle window, int32_t x, int32_t y) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  known->x = x;
  known->y = y;
  known->visible = true;
  HeadlessEvent event{HeadlessEvent::Kind::Move};
  event.x = x;
  event.y = y;
  Record(event);
}

void SizeWindowForClient(WindowHandle window, int32_t width, int32_t height) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  HeadlessEvent event{HeadlessEvent::Kind::Size};
  event.width = width;
  event.height = height;
  Record(event);
  // A window cannot be sized below nothing, nor beyond what an image may be.
  width = std::clamp<int32_t>(width, 0, kMaxImageSide);
  height = std::clamp<int32_t>(height, 0, kMaxImageSide);
  if (width == known->clientWidth && height == known->clientHeight) return;
  known->clientWidth = width;
  known->clientHeight = height;
  // The client area is new: what was drawn is gone, as after a repaint request.
  ResizeClientPixels(width, height);
}

void ShowWindowNow(WindowHandle window) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  known->visible = true;
  Record(HeadlessEvent{HeadlessEvent::Kind::Show});
}

void SetWindowCaption(WindowHandle window, const char* caption) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  known->caption = caption != nullptr ? caption : "";
  HeadlessEvent event{HeadlessEvent::Kind::Caption};
  event.text = known->caption;
  Record(event);
}

// No time passes here: a test calls OnTimer itself.
int StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t milliseconds) {
  (void)id;
  (void)milliseconds;
  return KnownWindow(window) != nullptr ? 1 : 0;
}

void InvalidateArea(WindowHandle window, const Rect* rect) {
  if (KnownWindow(window) == nullptr) return;
  HeadlessEvent event{HeadlessEvent::Kind::Invalidate};
  if (rect == nullptr) {
    event.wholeArea = true;
  } else {
    event.x = rect->left;
    event.y = rect->top;
    event.width = rect->right - rect->left;
    event.height = rect->bottom - rect->top;
  }
  Record(event);
}
