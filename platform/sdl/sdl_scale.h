// The whole-number scale of the Linux window on screens of high density: which factor the
// desktop asks for, the largest that fits the screen, and the nearest-neighbour enlargement of
// the menu's picture onto the window. SDL only; no display needed.
#pragma once

#include <SDL.h>

#include "portable/window_scale.h"

// The factor asked for: quorelScale (QUOREL_SCALE) when it is a whole number from 1 to 4; else
// gdkScale (GDK_SCALE) when it is a whole number of at least 1 (4 at most is taken); else the
// X resources' "Xft.dpi" (xResources: the resource database as text, as RESOURCE_MANAGER holds
// it) divided by 96, rounded down, from 1 to 4 (ScaleForDpi); else 1. FittingScale
// (portable/window_scale.h) then cuts it to the screen. Null or malformed values are skipped.
int WantedScale(const char* quorelScale, const char* gdkScale, const char* xResources);

// Copies area of picture onto window enlarged scale times, each pixel a scale x scale block at
// scale times its place, cut to window. Both surfaces of the same 32-bit format; false (nothing
// copied) otherwise, or when a surface cannot be locked.
bool EnlargeArea(SDL_Surface* picture, const SDL_Rect& area, SDL_Surface* window, int scale);
