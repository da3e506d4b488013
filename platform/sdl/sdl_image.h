// Images of the SDL drawing backend: an owned 32-bit surface and the depth it was asked for.
// Only the SDL drawing files include this; no window or event code.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/image_limits.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_owned.h"

struct PlatformImage {
  OwnedSurface surface;              // XRGB8888 whatever the depth asked for
  int32_t bitsPerPixel = 32;         // the depth asked for, reported by TargetBitsPerPixel
  DrawTarget* selectedIn = nullptr;  // the one target it is selected into, if any
};

// Takes surface over as an image of the given depth, converted to XRGB8888. Null when surface
// is null or cannot be converted (the surface is freed either way).
ImageHandle ImageFromSurface(SDL_Surface* surface, int32_t bitsPerPixel);
