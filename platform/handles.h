// Opaque handles and small plain types that the core passes through the seam: windows,
// drawing targets, images, fonts, palettes, cursors, rectangles and colours.
// Each backend defines the structures; the core only holds pointers to them.
#pragma once

#include <cstdint>

struct PlatformWindow;
using WindowHandle = PlatformWindow*;

// Something to draw on: a window's or an off-screen image's device context.
struct DrawTarget;

struct PlatformPalette;
using PaletteHandle = PlatformPalette*;

// An image at the display's depth (a device-dependent bitmap).
struct PlatformImage;
using ImageHandle = PlatformImage*;

struct PlatformFont;
using FontHandle = PlatformFont*;

struct PlatformCursor;
using CursorHandle = PlatformCursor*;

// A colour as 0x00BBGGRR (red in the lowest byte).
using ColorRef = uint32_t;

// A rectangle; whether right and bottom are inside depends on the operation.
struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
