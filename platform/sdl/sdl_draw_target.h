// DrawTarget of the SDL backend: an SDL surface standing in for a device context.
// Only the SDL drawing files and the backends built on them include this; the core sees
// DrawTarget as an opaque type.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/handles.h"

struct DrawTarget {
  SDL_Surface* surface;                     // drawn on; not owned (an image target's is the
                                            // selected image's; null: nothing to draw on)
  PaletteHandle selectedPalette = nullptr;  // null: the default palette
  ImageHandle selectedImage = nullptr;      // image targets only; null: none selected
  FontHandle selectedFont = nullptr;        // null: the default font
  ColorRef textColour = 0;                  // 0x00BBGGRR; black, as a new device context
  int32_t backgroundMode = 2;               // BackgroundOpaque, as a new device context
  int32_t bitsPerPixel = 0;                 // depth reported when no image says otherwise;
                                            // 0: the surface's own
  bool isImageTarget = false;               // made by CreateImageTarget

  // Lets go of the selected image and font, so that deleting either later cannot reach a
  // target that is gone. A target is not to be copied once something is selected into it.
  ~DrawTarget();
};

// Lets go of what target holds selected (see ~DrawTarget); for backends that reuse a target.
void DetachTarget(DrawTarget* target);

// Targets handed out on a window's or the screen's surface (GetDC), owned until taken back.
using HandedTargets = std::vector<std::unique_ptr<DrawTarget>>;
// A new target on surface reporting bitsPerPixel, kept in targets; null when out of memory.
DrawTarget* HandOutTarget(HandedTargets* targets, SDL_Surface* surface, int32_t bitsPerPixel);
// Removes target from targets and frees it; false when it was not handed out from there.
bool TakeBackTarget(HandedTargets* targets, DrawTarget* target);

// Sees every copy asked of BlitImage, before any check or clipping, so that a backend without
// a screen can record what reaches its window; null (the default): nothing sees them.
using BlitObserver = void (*)(DrawTarget* target, int32_t x, int32_t y, int32_t width,
                              int32_t height);
extern BlitObserver blitObserver;
