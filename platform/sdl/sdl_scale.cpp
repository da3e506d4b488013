// Choosing the window's scale factor and enlarging the picture onto it. SDL only.
#include "platform/sdl/sdl_scale.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "portable/window_scale.h"

namespace {

// The dots per inch of "Xft.dpi:" in the resource text (decimals dropped); -1 when absent.
int XftDpi(const char* resources) {
  if (resources == nullptr) return -1;
  static const char kKey[] = "Xft.dpi:";
  for (const char* line = resources; *line != '\0';) {
    const char* end = std::strchr(line, '\n');
    const size_t length = end != nullptr ? static_cast<size_t>(end - line) : std::strlen(line);
    if (length > sizeof kKey - 1 && std::strncmp(line, kKey, sizeof kKey - 1) == 0) {
      const char* value = line + sizeof kKey - 1;
      while (*value == ' ' || *value == '\t') ++value;
      int dpi = 0;
      int digits = 0;
      for (; value < line + length && *value >= '0' && *value <= '9' && digits < 6; ++value) {
        dpi = dpi * 10 + (*value - '0');
        ++digits;
      }
      return digits > 0 ? dpi : -1;
    }
    if (end == nullptr) break;
    line = end + 1;
  }
  return -1;
}

}  // namespace

int WantedScale(const char* quorelScale, const char* gdkScale, const char* xResources) {
  const int own = OwnScale(quorelScale);
  if (own > 0) return own;
  const int gdk = WholeNumberIn(gdkScale);
  if (gdk >= 1) return std::min(gdk, kLargestScale);
  return ScaleForDpi(XftDpi(xResources));
}

bool EnlargeArea(SDL_Surface* picture, const SDL_Rect& area, SDL_Surface* window, int scale) {
  if (picture == nullptr || window == nullptr || scale < 1) return false;
  if (picture->format->format != window->format->format || picture->format->BytesPerPixel != 4)
    return false;
  SDL_Rect from;
  const SDL_Rect whole{0, 0, picture->w, picture->h};
  if (SDL_IntersectRect(&area, &whole, &from) != SDL_TRUE) return true;
  if (SDL_LockSurface(picture) != 0) return false;
  if (SDL_LockSurface(window) != 0) {
    SDL_UnlockSurface(picture);
    return false;
  }
  for (int y = from.y; y < from.y + from.h; ++y) {
    const auto* source = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(picture->pixels) + static_cast<size_t>(y) * picture->pitch);
    for (int dy = 0; dy < scale; ++dy) {
      const int64_t row = int64_t{y} * scale + dy;
      if (row >= window->h) break;
      auto* target = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(window->pixels) +
                                                 static_cast<size_t>(row) * window->pitch);
      for (int x = from.x; x < from.x + from.w; ++x) {
        for (int dx = 0; dx < scale; ++dx) {
          const int64_t column = int64_t{x} * scale + dx;
          if (column < window->w) target[column] = source[x];
        }
      }
    }
  }
  SDL_UnlockSurface(window);
  SDL_UnlockSurface(picture);
  return true;
}
