// The dotted focus frame on SDL surfaces: every other pixel of a rectangle's outline inverted,
// as the system draws it on Windows, within the target's clip rectangle. SDL only.
#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "platform/draw.h"
#include "platform/sdl/sdl_draw_target.h"

namespace {

// Inverts the pixel at x, y when it lies on the frame's dots and inside clip.
void InvertDot(SDL_Surface* surface, const SDL_Rect& clip, int64_t x, int64_t y) {
  if ((x + y) % 2 != 0) return;  // the dots sit where x + y is even, whatever the rectangle
  if (x < clip.x || y < clip.y || x >= int64_t{clip.x} + clip.w || y >= int64_t{clip.y} + clip.h)
    return;
  const int bytes = surface->format->BytesPerPixel;
  auto* pixel = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + x * bytes;
  for (int i = 0; i < bytes; ++i) pixel[i] = static_cast<uint8_t>(~pixel[i]);
}

}  // namespace

void DrawFocusFrame(DrawTarget* target, const Rect& rect) {
  if (target == nullptr || target->surface == nullptr) return;
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  SDL_Surface* surface = target->surface;
  // Only the part of the outline on the surface is walked, however large the rectangle.
  const SDL_Rect clip = surface->clip_rect;
  const int64_t left = rect.left, top = rect.top;
  const int64_t right = int64_t{rect.right} - 1, bottom = int64_t{rect.bottom} - 1;
  const int64_t fromX = std::max<int64_t>(left, clip.x);
  const int64_t toX = std::min<int64_t>(right, int64_t{clip.x} + clip.w - 1);
  const int64_t fromY = std::max<int64_t>(top, clip.y);
  const int64_t toY = std::min<int64_t>(bottom, int64_t{clip.y} + clip.h - 1);
  if (SDL_LockSurface(surface) != 0) return;
  for (int64_t x = fromX; x <= toX; ++x) {
    InvertDot(surface, clip, x, top);
    if (bottom != top) InvertDot(surface, clip, x, bottom);
  }
  // The corners belong to the rows above.
  for (int64_t y = std::max(fromY, top + 1); y <= std::min(toY, bottom - 1); ++y) {
    InvertDot(surface, clip, left, y);
    if (right != left) InvertDot(surface, clip, right, y);
  }
  SDL_UnlockSurface(surface);
}
