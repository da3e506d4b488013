// The window services on a window without a screen: an off-screen client surface, screen
// metrics as configured, and every move, size, show, caption and repaint request recorded.
// Needs SDL surfaces only; no video.
#include <algorithm>
#include <memory>
#include <new>

#include "platform/headless/headless_state.h"
#include "platform/sdl/sdl_image.h"
#include "platform/window.h"

namespace {

SDL_Surface* NewSurface(int32_t width, int32_t height) {
  return SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
}

DrawTarget* HandOut(std::vector<std::unique_ptr<DrawTarget>>* targets, SDL_Surface* surface) {
  auto target = std::unique_ptr<DrawTarget>(new (std::nothrow) DrawTarget{});
  if (!target) return nullptr;
  target->surface = surface;
  target->bitsPerPixel = Headless().screenBitsPerPixel;
  targets->push_back(std::move(target));
  return targets->back().get();
}

// Removes target from targets and frees it; false when it was not handed out from there.
bool TakeBack(std::vector<std::unique_ptr<DrawTarget>>* targets, DrawTarget* target) {
  auto found = std::find_if(targets->begin(), targets->end(),
                            [target](const auto& held) { return held.get() == target; });
  if (found == targets->end()) return false;
  targets->erase(found);
  return true;
}

}  // namespace

DrawTarget* GetWindowTarget(WindowHandle window) {
  HeadlessState& state = Headless();
  if (window == nullptr) {
    if (!state.screenSurface)
      state.screenSurface.reset(NewSurface(state.screenWidth, state.screenHeight));
    return HandOut(&state.screenTargets, state.screenSurface.get());
  }
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return nullptr;
  return HandOut(&state.windowTargets, known->surface.get());
}

void ReleaseWindowTarget(WindowHandle window, DrawTarget* target) {
  (void)window;  // a target is found by itself, whichever window it was asked for
  if (target == nullptr) return;
  HeadlessState& state = Headless();
  if (!TakeBack(&state.windowTargets, target)) TakeBack(&state.screenTargets, target);
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
  known->surface.reset();
  if (width > 0 && height > 0 && int64_t{width} * height <= kMaxImagePixels) {
    known->surface.reset(NewSurface(width, height));
  }
  for (auto& target : Headless().windowTargets) target->surface = known->surface.get();
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
