// The headless window's pixels on SDL surfaces: the client area's and the screen's pixels, the
// targets handed out on them, and resources found in the embedded table. One of the two places
// where the headless backend meets a drawing backend (the SDL drawing here). No video.
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "platform/headless/headless_state.h"
#include "platform/image_limits.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/sdl/sdl_resources.h"
#include "platform/window.h"

namespace {

struct Pixels {
  OwnedSurface client;          // the window's client area; null while it is empty
  OwnedSurface screen;          // made when the screen's target is first asked
  HandedTargets windowTargets;  // on the window, handed out
  HandedTargets screenTargets;  // on the screen, handed out
};

Pixels& State() {
  static Pixels pixels;
  return pixels;
}

SDL_Surface* NewSurface(int32_t width, int32_t height) {
  return SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
}

}  // namespace

DrawTarget* NewHeadlessTarget(bool onWindow) {
  Pixels& pixels = State();
  const HeadlessState& state = Headless();
  blitObserver = &RecordWindowBlit;
  if (onWindow)
    return HandOutTarget(&pixels.windowTargets, pixels.client.get(), state.screenBitsPerPixel);
  if (!pixels.screen) pixels.screen.reset(NewSurface(state.screenWidth, state.screenHeight));
  return HandOutTarget(&pixels.screenTargets, pixels.screen.get(), state.screenBitsPerPixel);
}

bool IsWindowTarget(DrawTarget* target) {
  const HandedTargets& onWindow = State().windowTargets;
  return std::any_of(onWindow.begin(), onWindow.end(),
                     [target](const auto& held) { return held.get() == target; });
}

void ReleaseWindowTarget(WindowHandle window, DrawTarget* target) {
  (void)window;  // a target is found by itself, whichever window it was asked for
  if (target == nullptr) return;
  Pixels& pixels = State();
  if (!TakeBackTarget(&pixels.windowTargets, target)) TakeBackTarget(&pixels.screenTargets, target);
}

void ResizeClientPixels(int32_t width, int32_t height) {
  Pixels& pixels = State();
  pixels.client.reset();
  if (width > 0 && height > 0 && int64_t{width} * height <= kMaxImagePixels) {
    pixels.client.reset(NewSurface(width, height));
  }
  for (auto& target : pixels.windowTargets) target->surface = pixels.client.get();
}

void DropClientPixels() {
  Pixels& pixels = State();
  for (auto& target : pixels.windowTargets) target->surface = nullptr;
  pixels.client.reset();
}

void ScreenChanged() {
  Pixels& pixels = State();
  const int32_t depth = Headless().screenBitsPerPixel;
  for (auto& target : pixels.screenTargets) {
    target->surface = nullptr;
    target->bitsPerPixel = depth;
  }
  for (auto& target : pixels.windowTargets) target->bitsPerPixel = depth;
  pixels.screen.reset();
}

// Images and targets keep the depth they are given; their pixels are 32-bit whatever it is.
bool DrawsAtDepth(int32_t) { return true; }

bool HasProgramResource(HeadlessResource kind, int id) {
  const ResourceKind found =
      kind == HeadlessResource::Cursor ? ResourceKind::Cursor : ResourceKind::Wave;
  return FindEmbeddedResource(found, id).data != nullptr;
}

SDL_Surface* HeadlessWindowSurface() { return State().client.get(); }

HeadlessPicture HeadlessWindowPicture() {
  HeadlessPicture picture;
  const SDL_Surface* surface = State().client.get();
  if (surface == nullptr) return picture;
  picture.width = surface->w;
  picture.height = surface->h;
  picture.rgb.reserve(static_cast<size_t>(surface->w) * surface->h);
  for (int y = 0; y < surface->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch);
    for (int x = 0; x < surface->w; ++x) picture.rgb.push_back(row[x] & 0xFFFFFF);
  }
  return picture;
}

int32_t HeadlessNativeDepth() { return 32; }

ColorRef HeadlessWindowPixel(int32_t x, int32_t y) {
  const SDL_Surface* surface = State().client.get();
  if (surface == nullptr || x < 0 || y < 0 || x >= surface->w || y >= surface->h) {
    return kHeadlessNoPixel;
  }
  const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
  const uint32_t rgb = reinterpret_cast<const uint32_t*>(row)[x];
  return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}
