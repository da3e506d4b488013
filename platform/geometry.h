// Rectangle arithmetic shared by layout, pointer input and painting. Standard C++ and
// platform/handles.h only.
#pragma once

#include <cstdint>

#include "platform/handles.h"

// Geometry is 32-bit two's-complement arithmetic: what leaves the range wraps around as in
// 32-bit registers instead of being undefined.
constexpr int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Where a text drawn in rect casts its shadow: two pixels right and one down, the right edge
// kept.
constexpr Rect ShadowOf(const Rect& rect) {
  return Rect{Wrap(int64_t{rect.left} + 2), Wrap(int64_t{rect.top} + 1), rect.right,
              Wrap(int64_t{rect.bottom} + 1)};
}

// A rectangle as x, y, width and height, the form in which painting takes the hint line.
struct RectExtent {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};
// rect (right and bottom exclusive) in that form.
constexpr RectExtent ExtentOf(const Rect& rect) {
  return RectExtent{rect.left, rect.top, Wrap(int64_t{rect.right} - rect.left),
                    Wrap(int64_t{rect.bottom} - rect.top)};
}
