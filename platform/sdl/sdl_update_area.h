// The area of a window waiting to be painted, kept as a few rectangles rather than one box (as
// Windows keeps an update region): a hover invalidates an entry and the hint line far below
// it, and one box around both would repaint and copy everything between them.
#pragma once

#include <SDL.h>

struct UpdateArea {
  static constexpr int kMaxRects = 8;
  SDL_Rect rects[kMaxRects]{};
  int count = 0;  // rects[0..count) are disjoint enough to be painted one by one
};

// Adds rect (non-empty, client coordinates) to area. A rectangle already covered adds nothing;
// one that covers others replaces them; two whose bounding box is no larger than both together
// become that box; when the list is full the new rectangle joins the one it grows least.
void AddToUpdateArea(UpdateArea* area, const SDL_Rect& rect);
