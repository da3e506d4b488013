// The window's update area: few rectangles, never less than what was invalidated.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/sdl/sdl_update_area.h"

namespace {

std::vector<SDL_Rect> Build(const std::vector<SDL_Rect>& added) {
  UpdateArea area;
  for (const SDL_Rect& rect : added) AddToUpdateArea(&area, rect);
  return std::vector<SDL_Rect>(area.rects, area.rects + area.count);
}

bool Same(const SDL_Rect& a, const SDL_Rect& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

bool Inside(int x, int y, const SDL_Rect& rect) {
  return x >= rect.x && y >= rect.y && x < rect.x + rect.w && y < rect.y + rect.h;
}

TEST(UpdateArea, KeepsFarApartChangesApartAndJoinsWhatTouches) {
  struct Case {
    const char* name;
    std::vector<SDL_Rect> added;
    std::vector<SDL_Rect> kept;  // in any order
  };
  const Case cases[] = {
      {"an entry and the hint line",
       {{100, 100, 200, 20}, {0, 900, 1920, 40}},
       {{100, 100, 200, 20}, {0, 900, 1920, 40}}},
      {"a covered rectangle adds nothing", {{0, 0, 100, 100}, {10, 10, 5, 5}}, {{0, 0, 100, 100}}},
      {"a covering one replaces those it covers",
       {{10, 10, 5, 5}, {50, 50, 5, 5}, {0, 0, 100, 100}},
       {{0, 0, 100, 100}}},
      {"neighbours in a row become their box", {{0, 0, 10, 10}, {10, 0, 10, 10}}, {{0, 0, 20, 10}}},
      {"a joined box joins further ones",
       {{0, 0, 10, 10}, {20, 0, 10, 10}, {10, 0, 10, 10}},
       {{0, 0, 30, 10}}},
      {"empty rectangles are ignored", {{0, 0, 0, 10}, {5, 5, 10, -1}}, {}},
  };
  for (const Case& c : cases) {
    const std::vector<SDL_Rect> kept = Build(c.added);
    ASSERT_EQ(c.kept.size(), kept.size()) << c.name;
    for (const SDL_Rect& want : c.kept) {
      bool found = false;
      for (const SDL_Rect& have : kept) found = found || Same(want, have);
      EXPECT_TRUE(found) << c.name << ": " << want.x << "," << want.y << " " << want.w << "x"
                         << want.h;
    }
  }
}

// Many scattered changes: the list stays bounded and still covers every changed pixel.
TEST(UpdateArea, ScatteredChangesStayBoundedAndCovered) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    std::vector<SDL_Rect> added(30);
    for (SDL_Rect& rect : added) {
      rect = SDL_Rect{static_cast<int>(random() % 60), static_cast<int>(random() % 60),
                      1 + static_cast<int>(random() % 8), 1 + static_cast<int>(random() % 8)};
    }
    const std::vector<SDL_Rect> kept = Build(added);
    ASSERT_LE(kept.size(), size_t{UpdateArea::kMaxRects});
    for (const SDL_Rect& rect : added) {
      for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
          bool covered = false;
          for (const SDL_Rect& have : kept) covered = covered || Inside(x, y, have);
          ASSERT_TRUE(covered) << "round " << round << ": pixel " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
