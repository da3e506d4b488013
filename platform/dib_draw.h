// Drawing a packed device-independent bitmap onto a target, and logical palettes.
// No OS headers here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/handles.h"

// Draws part of a device-independent bitmap (an info block with header and colour table, and
// the pixel rows) at its own size, colour-table entries taken as RGB values. The source
// rectangle xSrc, ySrc, width, height is measured from the bitmap's lower-left corner, for
// top-down rows too (as GDI does). bits holds only the scan lines startScan to startScan +
// scanCount - 1, counted from the bottom row: the lowest first for bottom-up rows, the highest
// first for top-down rows. The part of the rectangle outside them is not drawn. The result is
// drawn with its top-left corner at xDest, yDest and clipped to the target. Returns the number
// of scan lines drawn from, 0 on failure. bitsSize and infoSize are the sizes of the two
// buffers; a portable implementation reads nothing beyond them, the Windows one relies on the
// header instead.
int DrawDibBits(DrawTarget* target, int xDest, int yDest, uint32_t width, uint32_t height, int xSrc,
                int ySrc, uint32_t startScan, uint32_t scanCount, const void* bits, size_t bitsSize,
                const void* info, size_t infoSize);

// One entry of a logical palette.
struct PaletteColor {
  uint8_t red, green, blue, flags;
};

// Makes a logical palette of count entries; null when count is not positive or on failure.
PaletteHandle CreatePaletteFrom(const PaletteColor* colors, int count);

// Frees a palette made by CreatePaletteFrom; null is ignored.
void DeletePalette(PaletteHandle palette);

// Selects palette into target (as a background palette when forceBackground is non-zero)
// and returns the palette selected before, or null on failure. On a display without
// palettes this has no effect on drawing.
PaletteHandle SelectPaletteInto(DrawTarget* target, PaletteHandle palette, int forceBackground);

// Maps the entries of the selected palette into the display's palette; returns how many
// entries were mapped, 0 on a display without palettes.
uint32_t RealizePaletteOf(DrawTarget* target);
