// Targets of the build's own drawing code for tests, with readers of what was drawn on them.
// canvas_sdl.cpp (SDL surfaces) and canvas_gdi.cpp (GDI memory device contexts) implement
// them; the build picks one. No OS or SDL headers here.
#pragma once

#include <cstdint>

#include "platform/handles.h"

// A 32-bit drawing target of width x height filled with background (0xRRGGBB).
class Canvas {
 public:
  Canvas(int width, int height, uint32_t background = 0x123456);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  DrawTarget* target() const { return target_; }
  // The pixel at x, y (inside the canvas) as 0xRRGGBB.
  uint32_t At(int x, int y) const;

 private:
  struct Pixels;  // the backend's
  Pixels* pixels_;
  DrawTarget* target_;
};

// A 1 x 1 target on a display with a palette of 256 entries, where realising a logical palette
// shows in the display's entries. target() is null where the drawing code has no such display
// (GDI draws on the true-colour screen it is given).
class PaletteDisplay {
 public:
  PaletteDisplay();
  ~PaletteDisplay();
  PaletteDisplay(const PaletteDisplay&) = delete;
  PaletteDisplay& operator=(const PaletteDisplay&) = delete;

  DrawTarget* target() const { return target_; }
  // Entry index (0..255) of the display's palette as 0xRRGGBB.
  uint32_t Entry(int index) const;

 private:
  struct Pixels;  // the backend's
  Pixels* pixels_ = nullptr;
  DrawTarget* target_ = nullptr;
};
