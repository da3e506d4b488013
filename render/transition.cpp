// The transition effects: the composed off-screen image revealed in the window piece by piece,
// with pauses between the pieces (cells, opening box, closing border, interlaced lines).
// Core headers and platform/*.h only.
#include "render/transition.h"

#include <algorithm>
#include <cstdint>

#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/geometry.h"
#include "platform/window.h"

namespace {

constexpr int64_t kCellSide = 20;       // effect 0 divides the screen into cells of this side
constexpr int64_t kCellSteps = 11;      // outline sides 0, 2, ..., 20
constexpr int64_t kBoxStride = 16;      // effects 1 and 2 move this far sideways per step
constexpr int64_t kLineStride = 8;      // effect 3 copies every eighth line per pass
constexpr uint32_t kCellPause = 10;     // milliseconds after each step of effect 0
constexpr uint32_t kBoxPause = 15;      // after each step of effects 1 and 2
constexpr uint32_t kLinePause = 50;     // after each pass of effect 3
constexpr int32_t kLinePauseDepth = 8;  // effect 3 pauses only from this depth on

// One piece: the same rectangle of the image to the same place in the window. Pieces of zero
// or negative extent are passed on as they come (the drawing code decides what they show).
// Arithmetic is 64-bit; the window's coordinates are 32-bit as in 32-bit registers.
void Copy(DrawTarget* window, DrawTarget* image, int64_t x, int64_t y, int64_t width,
          int64_t height) {
  BlitImage(window, Wrap(x), Wrap(y), Wrap(width), Wrap(height), image, Wrap(x), Wrap(y));
}

// Effects 1 and 2 step kBoxStride sideways and s up and down, s being the height over the number
// of kBoxStride-wide columns. With no whole column there is no box: the whole picture is copied
// at once and the result is false.
bool BoxStep(DrawTarget* window, DrawTarget* image, int64_t width, int64_t height, int64_t* s) {
  if (width < kBoxStride) {
    Copy(window, image, 0, 0, width, height);
    return false;
  }
  *s = height / (width / kBoxStride);
  return true;
}

// The ring of one step of effects 1 and 2: of the box at x, y, the top s rows, the left
// kBoxStride columns below them, the bottom s rows right of those and the right columns between.
void CopyRing(DrawTarget* window, DrawTarget* image, int64_t x, int64_t y, int64_t width,
              int64_t height, int64_t s) {
  Copy(window, image, x, y, width, s);                                             // top
  Copy(window, image, x, y + s, kBoxStride, height - s);                           // left
  Copy(window, image, x + kBoxStride, y + height - s, width - kBoxStride, s);      // bottom
  Copy(window, image, x + width - kBoxStride, y + s, kBoxStride, height - 2 * s);  // right
}

}  // namespace

void RevealPicture(int32_t effect, DrawTarget* windowTarget, DrawTarget* imageTarget,
                   const TransitionFrame& frame) {
  switch (effect) {
    case EffectCells:
      RevealCells(windowTarget, imageTarget, frame);
      break;
    case EffectOpenBox:
      RevealOpenBox(windowTarget, imageTarget, frame);
      break;
    case EffectCloseBorder:
      RevealCloseBorder(windowTarget, imageTarget, frame);
      break;
    case EffectInterlace:
      RevealInterlace(windowTarget, imageTarget, frame);
      break;
    default:
      break;  // no such effect: nothing is copied
  }
}

// The screen, not the window, is cut into cells; each fills from its centre by square outlines
// one pixel thick, sides 0 to 20, all cells a step at a time.
void RevealCells(DrawTarget* windowTarget, DrawTarget* imageTarget, const TransitionFrame& frame) {
  const int64_t screenWidth = ScreenWidth();
  const int64_t screenHeight = ScreenHeight();
  for (int64_t t = 0; t < kCellSteps; ++t) {
    const int64_t n = 2 * t;
    for (int64_t j = 0; kCellSide * j < screenHeight; ++j) {
      for (int64_t i = 0; kCellSide * i < screenWidth; ++i) {
        const int64_t x = kCellSide / 2 - t + kCellSide * i;
        const int64_t y = kCellSide / 2 - t + kCellSide * j;
        Copy(windowTarget, imageTarget, x, y, n, 1);                  // top
        Copy(windowTarget, imageTarget, x, y + 1, 1, n - 1);          // left
        Copy(windowTarget, imageTarget, x + 1, y + n - 1, n - 1, 1);  // bottom
        Copy(windowTarget, imageTarget, x + n - 1, y + 1, 1, n - 2);  // right
      }
    }
    SleepMs(kCellPause);
  }
  // A background larger than the screen reaches past the cell grid; that part would keep the
  // previous picture where the window shows it (a window wider than the screen is centred at
  // a negative position), so it is copied at once.
  const int64_t width = frame.width;
  const int64_t height = frame.height;
  const int64_t gridWidth =
      std::max<int64_t>(0, (screenWidth + kCellSide - 1) / kCellSide) * kCellSide;
  const int64_t gridHeight =
      std::max<int64_t>(0, (screenHeight + kCellSide - 1) / kCellSide) * kCellSide;
  if (width > gridWidth) Copy(windowTarget, imageTarget, gridWidth, 0, width - gridWidth, height);
  if (height > gridHeight) {
    Copy(windowTarget, imageTarget, 0, gridHeight, std::min(width, gridWidth), height - gridHeight);
  }
}

// A box grows from the centre, 16 pixels to each side and s up and down per step; each step
// copies the ring between the box and the one before. The whole picture follows at the end.
void RevealOpenBox(DrawTarget* windowTarget, DrawTarget* imageTarget,
                   const TransitionFrame& frame) {
  const int64_t width = frame.width;
  const int64_t height = frame.height;
  int64_t s = 0;
  if (!BoxStep(windowTarget, imageTarget, width, height, &s)) return;
  for (int64_t k = 0;; ++k) {
    const int64_t n = width / 2 - kBoxStride * k;
    const int64_t y = height / 2 - s * k;
    if (n < 0 || y < 0) break;
    CopyRing(windowTarget, imageTarget, n, y, 2 * kBoxStride * k, 2 * s * k, s);
    SleepMs(kBoxPause);
  }
  Copy(windowTarget, imageTarget, 0, 0, width, height);
}

// A frame closes in from the border, 16 pixels from the sides and s from the top and bottom
// per step; each step copies the ring between the box and the next smaller one.
void RevealCloseBorder(DrawTarget* windowTarget, DrawTarget* imageTarget,
                       const TransitionFrame& frame) {
  const int64_t width = frame.width;
  const int64_t height = frame.height;
  int64_t s = 0;
  if (!BoxStep(windowTarget, imageTarget, width, height, &s)) return;
  int64_t k = 0;
  for (;; ++k) {
    CopyRing(windowTarget, imageTarget, kBoxStride * k, s * k, width - 2 * kBoxStride * k,
             height - 2 * s * k, s);
    SleepMs(kBoxPause);
    if (!(kBoxStride * (k + 1) < width / 2)) break;
  }
  // An odd width leaves a box one pixel wide in the middle that no ring covers (when the
  // height is not a whole number of steps): copy what is left, so no part of the window keeps
  // the previous picture.
  const int64_t restWidth = width - 2 * kBoxStride * (k + 1);
  const int64_t restHeight = height - 2 * s * (k + 1);
  if (restWidth > 0 && restHeight > 0) {
    Copy(windowTarget, imageTarget, kBoxStride * (k + 1), s * (k + 1), restWidth, restHeight);
  }
}

// Every eighth line, eight passes, each starting one line lower. The last pass may reach past
// the picture's bottom; those copies show nothing.
void RevealInterlace(DrawTarget* windowTarget, DrawTarget* imageTarget,
                     const TransitionFrame& frame) {
  const int64_t width = frame.width;
  const int64_t rows = (int64_t{frame.height} + kLineStride - 1) / kLineStride;
  for (int64_t pass = 0; pass < kLineStride; ++pass) {
    for (int64_t j = 0; j < rows; ++j) {
      Copy(windowTarget, imageTarget, 0, pass + kLineStride * j, width, 1);
    }
    // Palette screens (fewer than 8 bits) pause nowhere.
    if (frame.screenDepth >= kLinePauseDepth) SleepMs(kLinePause);
  }
}
