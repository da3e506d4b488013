// Tests of the transition effects: the copies each effect makes onto the window and the pauses
// between them, on the sizes whose arithmetic is special, and that every effect leaves the
// window showing the whole composed picture.
#include <ostream>

#include "platform/draw.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

constexpr ColorRef kBackground = 0x30A050;

// One copy onto the window: x, y, width, height as asked.
struct Piece {
  int32_t x, y, width, height;
  bool operator==(const Piece& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};
void PrintTo(const Piece& p, std::ostream* out) {
  *out << "(" << p.x << ", " << p.y << ", " << p.width << ", " << p.height << ")";
}
using Pieces = std::vector<Piece>;

// What an effect did: the copies of each step (each step ends with a pause), the pauses'
// lengths, and the copies after the last pause.
struct EffectRun {
  std::vector<Pieces> steps;
  std::vector<uint32_t> pauses;
  Pieces after;
};

EffectRun Recorded() {
  EffectRun run;
  for (const HeadlessEvent& event : HeadlessEvents()) {
    if (event.kind == Kind::Blit) {
      run.after.push_back(Piece{event.x, event.y, event.width, event.height});
    } else if (event.kind == Kind::Sleep) {
      run.steps.push_back(run.after);
      run.pauses.push_back(event.milliseconds);
      run.after.clear();
    }
  }
  return run;
}

class TransitionTest : public AppTest {
 protected:
  // A menu on a background of width x height whose picture has no black pixel (white entry
  // text, no title), shown in a window still black, so any pixel left unrevealed shows.
  void ShowMenu(int32_t width, int32_t height) {
    WriteBitmap("back.bmp", width, height, kBackground);
    WriteText("menu.ini",
              "[global]\nbkBitmap=back.bmp\nDrawTitle=0\nItemFontColor=255 255 255\n"
              "ItemStartX=2\nItemStartY=2\n[menu]\nitem=Setup,open,x,,,\n");
    ASSERT_EQ(1, LoadAndApply("menu.ini"));
    SizeWindowForClient(window_, 0, 0);  // new, black pixels
    SizeWindowForClient(window_, width, height);
    HeadlessTakeEvents();
  }
  // The effect shown by the next full paint, as a session change or page turn asks for it.
  EffectRun PaintWithEffect(int32_t effect) {
    app_->RedrawWithEffect(effect);
    HeadlessTakeEvents();
    EXPECT_EQ(1, Paint());
    EXPECT_EQ(-1, app_->pendingEffect);
    return Recorded();
  }
  static std::vector<ColorRef> Picture() {
    const HeadlessWindowState window = HeadlessWindow();
    std::vector<ColorRef> pixels;
    for (int32_t y = 0; y < window.clientHeight; ++y)
      for (int32_t x = 0; x < window.clientWidth; ++x) pixels.push_back(HeadlessWindowPixel(x, y));
    return pixels;
  }
  // Pixels where the window differs from the picture a plain full paint gives.
  int32_t UnrevealedPixels() {
    const std::vector<ColorRef> shown = Picture();
    app_->pendingEffect = -1;
    EXPECT_EQ(1, Paint());
    const std::vector<ColorRef> composed = Picture();
    int32_t differing = 0;
    for (size_t i = 0; i < shown.size(); ++i) differing += shown[i] != composed[i];
    return differing;
  }
};

TEST_F(TransitionTest, StepsCopiesAndPauses) {
  const struct {
    const char* what;
    int32_t effect, width, height;
    int32_t screenWidth, screenHeight;  // 0: the default screen
    size_t steps, piecesPerStep;
    uint32_t pause;
    Pieces firstStepStart, lastStepEnd, after;
    bool stepsShowNothing;  // every copy before the last pause has no area
  } cases[] = {
      {"cells, 2 x 2 cells of a 40 x 40 screen",
       0,
       40,
       40,
       40,
       40,
       11,
       16,
       10,
       // step 0: the outline of side 0 of cell (0, 0), then the next cell to the right
       {{10, 10, 0, 1}, {10, 11, 1, -1}, {11, 9, -1, 1}, {9, 11, 1, -2}, {30, 10, 0, 1}},
       // step 10: the border of the bottom-right cell
       {{20, 20, 20, 1}, {20, 21, 1, 19}, {21, 39, 19, 1}, {39, 21, 1, 18}},
       {},
       false},
      {"cells, background larger than the screen's cell grid",
       0,
       60,
       48,
       40,
       40,
       11,
       16,
       10,
       {{10, 10, 0, 1}},
       {{39, 21, 1, 18}},
       {{40, 0, 20, 48}, {0, 40, 40, 8}},
       false},
      {"opening box, 640 x 480: s 12, steps 0 to 20",
       1,
       640,
       480,
       0,
       0,
       21,
       4,
       15,
       {{320, 240, 0, 12}, {320, 252, 16, -12}, {336, 228, -16, 12}, {304, 252, 16, -24}},
       {{0, 0, 640, 12}, {0, 12, 16, 468}, {16, 468, 624, 12}, {624, 12, 16, 456}},
       {{0, 0, 640, 480}},
       false},
      {"closing border, 640 x 480: steps 0 to 19",
       2,
       640,
       480,
       0,
       0,
       20,
       4,
       15,
       {{0, 0, 640, 12}, {0, 12, 16, 468}, {16, 468, 624, 12}, {624, 12, 16, 456}},
       {{304, 228, 32, 12}, {304, 240, 16, 12}, {320, 240, 16, 12}, {320, 240, 16, 0}},
       {},
       false},
      {"opening box, 640 x 20: s 0, nothing until the full copy",
       1,
       640,
       20,
       0,
       0,
       21,
       4,
       15,
       {{320, 10, 0, 0}},
       {{0, 10, 640, 0}, {0, 10, 16, 0}, {16, 10, 624, 0}, {624, 10, 16, 0}},
       {{0, 0, 640, 20}},
       true},
      {"closing border, 640 x 20: two columns closing in",
       2,
       640,
       20,
       0,
       0,
       20,
       4,
       15,
       {{0, 0, 640, 0}, {0, 0, 16, 20}, {16, 20, 624, 0}, {624, 0, 16, 20}},
       {{304, 0, 32, 0}, {304, 0, 16, 20}, {320, 20, 16, 0}, {320, 0, 16, 20}},
       {},
       false},
      {"interlaced lines, 10 lines: passes 2 to 7 reach past the bottom",
       3,
       40,
       10,
       0,
       0,
       8,
       2,
       50,
       {{0, 0, 40, 1}, {0, 8, 40, 1}},
       {{0, 7, 40, 1}, {0, 15, 40, 1}},
       {},
       false},
      {"opening box, narrower than 16: one full copy",
       1,
       12,
       20,
       0,
       0,
       0,
       0,
       0,
       {},
       {},
       {{0, 0, 12, 20}},
       false},
      {"closing border, narrower than 16: one full copy",
       2,
       15,
       20,
       0,
       0,
       0,
       0,
       0,
       {},
       {},
       {{0, 0, 15, 20}},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.screenWidth != 0) {
      ASSERT_TRUE(HeadlessConfigureScreen(c.screenWidth, c.screenHeight, app_->screenDepth));
    } else {
      ASSERT_TRUE(HeadlessConfigureScreen(1024, 768, app_->screenDepth));
    }
    ShowMenu(c.width, c.height);
    const EffectRun run = PaintWithEffect(c.effect);
    ASSERT_EQ(c.steps, run.steps.size());
    EXPECT_EQ(std::vector<uint32_t>(c.steps, c.pause), run.pauses);
    for (const Pieces& step : run.steps) {
      ASSERT_EQ(c.piecesPerStep, step.size());
      for (const Piece& p : step) {
        if (c.stepsShowNothing) {
          EXPECT_FALSE(p.width > 0 && p.height > 0) << testing::PrintToString(p);
        }
      }
    }
    if (c.steps != 0) {
      const Pieces& first = run.steps.front();
      const Pieces& last = run.steps.back();
      EXPECT_EQ(c.firstStepStart, Pieces(first.begin(), first.begin() + c.firstStepStart.size()));
      EXPECT_EQ(c.lastStepEnd, Pieces(last.end() - c.lastStepEnd.size(), last.end()));
    }
    EXPECT_EQ(c.after, run.after);
    EXPECT_EQ(0, UnrevealedPixels());
  }
}

TEST_F(TransitionTest, EveryEffectRevealsTheWholePicture) {
  // Odd widths of 32m + 1 with a height that is no whole number of steps leave a box one pixel
  // wide in the middle of the closing border; backgrounds beyond the 64 x 64 screen reach past
  // the cells.
  ASSERT_TRUE(HeadlessConfigureScreen(64, 64, app_->screenDepth));
  const struct {
    int32_t width, height;
  } sizes[] = {{161, 137}, {33, 91}, {33, 90}, {17, 5},  {16, 16}, {100, 37},
               {31, 70},   {15, 9},  {1, 1},   {64, 64}, {70, 3}};
  for (const auto& size : sizes) {
    ShowMenu(size.width, size.height);
    for (int32_t effect = 0; effect <= 3; ++effect) {
      SCOPED_TRACE(testing::Message()
                   << size.width << " x " << size.height << ", effect " << effect);
      SizeWindowForClient(window_, 0, 0);
      SizeWindowForClient(window_, size.width, size.height);
      PaintWithEffect(effect);
      EXPECT_EQ(0, UnrevealedPixels());
    }
  }
}

TEST_F(TransitionTest, InterlacedLinesPauseFromEightBitsPerPixel) {
  ShowMenu(40, 24);
  const struct {
    int32_t depth;
    size_t pauses;
  } cases[] = {{1, 0}, {4, 0}, {7, 0}, {8, 8}, {32, 8}};
  DrawTarget* target = GetWindowTarget(window_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.depth);
    app_->screenDepth = c.depth;
    HeadlessTakeEvents();
    app_->TransitionInterlace(target, target);
    const EffectRun run = Recorded();
    EXPECT_EQ(std::vector<uint32_t>(c.pauses, 50), run.pauses);
    // The same 8 passes of 3 lines whether or not they pause.
    Pieces all;
    for (const Pieces& step : run.steps) all.insert(all.end(), step.begin(), step.end());
    all.insert(all.end(), run.after.begin(), run.after.end());
    ASSERT_EQ(24u, all.size());
    for (size_t i = 0; i < all.size(); ++i) {
      const int32_t line = static_cast<int32_t>(i / 3 + 8 * (i % 3));
      EXPECT_EQ((Piece{0, line, 40, 1}), all[i]);
    }
  }
  ReleaseWindowTarget(window_, target);
}

TEST_F(TransitionTest, UnknownEffectCopiesNothing) {
  ShowMenu(64, 48);
  for (int32_t effect : {4, -2, 2147483647}) {
    SCOPED_TRACE(effect);
    const EffectRun run = PaintWithEffect(effect);
    EXPECT_TRUE(run.steps.empty());
    EXPECT_TRUE(run.after.empty());
    EXPECT_EQ(0x000000u, HeadlessWindowPixel(40, 40));  // the window kept what it showed
  }
}

}  // namespace
}  // namespace app_test
