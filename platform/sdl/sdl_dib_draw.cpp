// Drawing device-independent bitmaps onto SDL surfaces, and logical palettes, with the
// contract of the Win32 calls they stand in for. Needs SDL; no other OS headers.
#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

#include "platform/dib_draw.h"
#include "portable/dib_decoder.h"
#include "platform/sdl/sdl_draw_target.h"

struct PlatformPalette {
  std::vector<PaletteColor> colors;
};

namespace {

// Stands for the stock palette that a target holds before anything is selected into it.
PlatformPalette& DefaultPalette() {
  static PlatformPalette palette;
  return palette;
}

// Palettes made and not yet deleted: a target may still name a palette deleted while
// selected, and must then not touch it.
std::unordered_set<const PlatformPalette*>& LivePalettes() {
  static std::unordered_set<const PlatformPalette*> live;
  return live;
}

bool IsLive(const PlatformPalette* palette) {
  return palette == &DefaultPalette() || LivePalettes().count(palette) > 0;
}

void StorePixel(uint8_t* p, int bytes, Uint32 value) {
  switch (bytes) {
    case 1:
      *p = static_cast<uint8_t>(value);
      break;
    case 2: {
      const Uint16 v = static_cast<Uint16>(value);
      std::memcpy(p, &v, 2);
      break;
    }
    case 3:
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
      p[0] = static_cast<uint8_t>(value >> 16);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value);
#else
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
#endif
      break;
    case 4:
      std::memcpy(p, &value, 4);
      break;
    default:
      break;
  }
}

// [from, to) narrowed to [low, high).
void Narrow(int64_t* from, int64_t* to, int64_t low, int64_t high) {
  *from = std::max(*from, low);
  *to = std::min(*to, high);
}

}  // namespace

int DrawDibBits(DrawTarget* target, int xDest, int yDest, uint32_t width, uint32_t height, int xSrc,
                int ySrc, uint32_t startScan, uint32_t scanCount, const void* bits, size_t bitsSize,
                const void* info, size_t infoSize) {
  if (target == nullptr || target->surface == nullptr) return 0;
  DibLayout layout;
  if (!ReadDibLayout(info, infoSize, &layout)) return 0;
  SDL_Surface* surface = target->surface;
  const int64_t imageHeight = layout.height;

  // The scan lines handed over that exist in the image.
  const int64_t bandStart = startScan;
  const int64_t bandEnd = std::min<int64_t>(bandStart + scanCount, imageHeight);
  if (bandStart >= bandEnd) return 0;
  const int lines = static_cast<int>(bandEnd - bandStart);

  // Work in display rows (0 at the top). ySrc and the scan lines count from the bottom row,
  // for top-down images too, as GDI counts them.
  const int64_t sourceTop = imageHeight - ySrc - static_cast<int64_t>(height);
  int64_t top = sourceTop;
  int64_t bottom = sourceTop + height;
  Narrow(&top, &bottom, 0, imageHeight);
  Narrow(&top, &bottom, imageHeight - bandEnd, imageHeight - bandStart);
  int64_t left = xSrc;
  int64_t right = static_cast<int64_t>(xSrc) + width;
  Narrow(&left, &right, 0, layout.width);

  // Clip to the surface: destination = xDest + (x - xSrc), yDest + (row - sourceTop).
  const SDL_Rect& clip = surface->clip_rect;
  const int64_t shiftX = static_cast<int64_t>(xDest) - xSrc;
  const int64_t shiftY = static_cast<int64_t>(yDest) - sourceTop;
  Narrow(&left, &right, clip.x - shiftX, static_cast<int64_t>(clip.x) + clip.w - shiftX);
  Narrow(&top, &bottom, clip.y - shiftY, static_cast<int64_t>(clip.y) + clip.h - shiftY);
  if (left >= right || top >= bottom) return lines;

  const DibRect area{static_cast<int32_t>(left), static_cast<int32_t>(top),
                     static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
  std::vector<uint32_t> pixels(static_cast<size_t>(area.width) * area.height);
  // The decoder counts a top-down image's scan lines from its top row, where the band's first
  // stored row lies.
  const uint32_t firstScan =
      layout.topDown ? static_cast<uint32_t>(imageHeight - bandEnd) : startScan;
  DecodeDibArea(layout, static_cast<const uint8_t*>(bits), bitsSize, firstScan,
                layout.topDown ? static_cast<uint32_t>(lines) : scanCount, area, pixels.data());

  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return 0;
  const int bytes = surface->format->BytesPerPixel;
  for (int32_t j = 0; j < area.height; ++j) {
    uint8_t* line = static_cast<uint8_t*>(surface->pixels) +
                    static_cast<size_t>(area.y + j + shiftY) * surface->pitch;
    const uint32_t* source = pixels.data() + static_cast<size_t>(j) * area.width;
    for (int32_t i = 0; i < area.width; ++i) {
      const uint32_t pixel = source[i];
      if ((pixel & kDibPixelSet) == 0) continue;  // left as the target had it
      const Uint32 value = SDL_MapRGB(surface->format, static_cast<Uint8>(pixel >> 16),
                                      static_cast<Uint8>(pixel >> 8), static_cast<Uint8>(pixel));
      StorePixel(line + static_cast<size_t>(area.x + i + shiftX) * bytes, bytes, value);
    }
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  return lines;
}

PaletteHandle CreatePaletteFrom(const PaletteColor* colors, int count) {
  if (colors == nullptr || count <= 0) return nullptr;
  PlatformPalette* palette = new (std::nothrow) PlatformPalette;
  if (palette == nullptr) return nullptr;
  palette->colors.assign(colors, colors + count);
  LivePalettes().insert(palette);
  return palette;
}

void DeletePalette(PaletteHandle palette) {
  if (palette == nullptr || palette == &DefaultPalette()) return;
  if (LivePalettes().erase(palette) > 0) delete palette;
}

PaletteHandle SelectPaletteInto(DrawTarget* target, PaletteHandle palette, int forceBackground) {
  (void)forceBackground;  // no other window competes for a display palette here
  if (target == nullptr || palette == nullptr || !IsLive(palette)) return nullptr;
  PaletteHandle previous = target->selectedPalette;
  if (previous == nullptr || !IsLive(previous)) previous = &DefaultPalette();
  target->selectedPalette = palette == &DefaultPalette() ? nullptr : palette;
  return previous;
}

uint32_t RealizePaletteOf(DrawTarget* target) {
  if (target == nullptr || target->surface == nullptr) return 0;
  SDL_Palette* display = target->surface->format->palette;
  const PlatformPalette* selected = target->selectedPalette;
  if (display == nullptr || selected == nullptr || !IsLive(selected)) return 0;
  // An indexed surface takes the palette's colours into its own entries.
  const int count = std::min<int>(display->ncolors, static_cast<int>(selected->colors.size()));
  std::vector<SDL_Color> entries(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const PaletteColor& c = selected->colors[static_cast<size_t>(i)];
    entries[static_cast<size_t>(i)] = SDL_Color{c.red, c.green, c.blue, 255};
  }
  if (count == 0 || SDL_SetPaletteColors(display, entries.data(), 0, count) != 0) return 0;
  return static_cast<uint32_t>(count);
}
