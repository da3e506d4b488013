// An ARGB surface filled with a background colour, as the target of drawing in tests, with
// a reader of its pixels. Tests only; needs SDL.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/sdl/sdl_draw_target.h"

struct Canvas {
  Canvas(int w, int h, uint32_t background = 0x123456) {
    target.surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(target.surface, nullptr, 0xFF000000 | background);
  }
  ~Canvas() { SDL_FreeSurface(target.surface); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // The pixel at x, y as 0xRRGGBB.
  uint32_t At(int x, int y) const {
    const auto* row =
        static_cast<const uint8_t*>(target.surface->pixels) + y * target.surface->pitch;
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
  }
  DrawTarget target{};
};
