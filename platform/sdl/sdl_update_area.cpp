// Keeping the invalid parts of a window as a short list of rectangles.
#include "platform/sdl/sdl_update_area.h"

#include <cstdint>

namespace {

int64_t AreaOf(const SDL_Rect& rect) { return int64_t{rect.w} * rect.h; }

bool Covers(const SDL_Rect& outer, const SDL_Rect& inner) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

SDL_Rect BoundingBox(const SDL_Rect& a, const SDL_Rect& b) {
  SDL_Rect box;
  SDL_UnionRect(&a, &b, &box);
  return box;
}

void RemoveAt(UpdateArea* area, int index) {
  area->rects[index] = area->rects[area->count - 1];
  --area->count;
}

}  // namespace

void AddToUpdateArea(UpdateArea* area, const SDL_Rect& rect) {
  if (rect.w <= 0 || rect.h <= 0) return;
  SDL_Rect adding = rect;
  // Merging can make a box that covers or joins further rectangles: look again until none.
  for (bool changed = true; changed;) {
    changed = false;
    for (int i = 0; i < area->count; ++i) {
      const SDL_Rect& held = area->rects[i];
      if (Covers(held, adding)) return;
      const SDL_Rect box = BoundingBox(held, adding);
      if (Covers(adding, held) || AreaOf(box) <= AreaOf(held) + AreaOf(adding)) {
        adding = box;
        RemoveAt(area, i);
        changed = true;
        break;
      }
    }
  }
  if (area->count == UpdateArea::kMaxRects) {
    int best = 0;
    int64_t bestGrowth = INT64_MAX;
    for (int i = 0; i < area->count; ++i) {
      const int64_t growth = AreaOf(BoundingBox(area->rects[i], adding)) - AreaOf(area->rects[i]);
      if (growth < bestGrowth) best = i, bestGrowth = growth;
    }
    adding = BoundingBox(area->rects[best], adding);
    RemoveAt(area, best);
    // The larger box may now reach others; it is added anew with the same rules.
    AddToUpdateArea(area, adding);
    return;
  }
  area->rects[area->count++] = adding;
}
