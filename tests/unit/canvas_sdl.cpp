// The test canvases on SDL surfaces: an ARGB surface, and an indexed one for palettes.
// Tests only; needs SDL and the SDL drawing target.
#include <SDL.h>

#include "platform/sdl/sdl_draw_target.h"
#include "tests/unit/test_canvas.h"

struct Canvas::Pixels {
  DrawTarget target{};
};

Canvas::Canvas(int width, int height, uint32_t background) : pixels_(new Pixels) {
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_FillRect(surface, nullptr, 0xFF000000 | background);
  pixels_->target.surface = surface;
  target_ = &pixels_->target;
}

Canvas::~Canvas() {
  SDL_Surface* surface = pixels_->target.surface;
  delete pixels_;  // the target lets go of what it holds before its surface goes
  SDL_FreeSurface(surface);
}

uint32_t Canvas::At(int x, int y) const {
  const SDL_Surface* surface = pixels_->target.surface;
  const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
  return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}

struct PaletteDisplay::Pixels {
  DrawTarget target{};
};

PaletteDisplay::PaletteDisplay() : pixels_(new Pixels) {
  pixels_->target.surface = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 8, SDL_PIXELFORMAT_INDEX8);
  target_ = &pixels_->target;
}

PaletteDisplay::~PaletteDisplay() {
  SDL_Surface* surface = pixels_->target.surface;
  delete pixels_;
  SDL_FreeSurface(surface);
}

uint32_t PaletteDisplay::Entry(int index) const {
  const SDL_Color& entry = pixels_->target.surface->format->palette->colors[index];
  return uint32_t{entry.r} << 16 | uint32_t{entry.g} << 8 | entry.b;
}
