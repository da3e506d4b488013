// Tests of the SDL drawing backend: font sizes, text measuring and drawing with its wrapping,
// centring and clipping, colours and background modes, kept text, images, blits, the focus
// frame, the window's scale and its enlargement, and embedded resources.
// Runs without a display.
#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_resources.h"
#include "platform/sdl/sdl_scale.h"
#include "res/resource_ids.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// An image selected into an image target, filled with one colour.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height, uint32_t fill = kWhite, int32_t depth = 32)
      : image_(CreateImage(width, height, depth, nullptr)), target_(CreateImageTarget(nullptr)) {
    SelectImage(target_, image_);
    if (target_->surface != nullptr) SDL_FillRect(target_->surface, nullptr, fill);
  }
  ~Canvas() {
    SelectImage(target_, nullptr);
    DeleteImageTarget(target_);
    DeleteImage(image_);
  }
  DrawTarget* target() const { return target_; }
  int32_t width() const { return target_->surface->w; }
  int32_t height() const { return target_->surface->h; }
  uint32_t At(int32_t x, int32_t y) const {
    const auto* row = static_cast<const uint8_t*>(target_->surface->pixels) +
                      static_cast<size_t>(y) * target_->surface->pitch;
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
  }
  void Set(int32_t x, int32_t y, uint32_t rgb) {
    auto* row = static_cast<uint8_t*>(target_->surface->pixels) +
                static_cast<size_t>(y) * target_->surface->pitch;
    reinterpret_cast<uint32_t*>(row)[x] = rgb;
  }
  // The smallest rectangle (right and bottom exclusive) holding every pixel that is not
  // background; empty (all zero) when there is none.
  Rect Ink(uint32_t background = kWhite) const {
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = 0; y < height(); ++y) {
      for (int32_t x = 0; x < width(); ++x) {
        if (At(x, y) == background) continue;
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
    }
    return box.left == INT32_MAX ? Rect{0, 0, 0, 0} : box;
  }
  std::set<uint32_t> Colours() const {
    std::set<uint32_t> colours;
    for (int32_t y = 0; y < height(); ++y) {
      for (int32_t x = 0; x < width(); ++x) colours.insert(At(x, y));
    }
    return colours;
  }

 private:
  ImageHandle image_;
  DrawTarget* target_;
};

// A font made from a request and selected into a target for the length of a test.
class ScopedFont {
 public:
  ScopedFont(DrawTarget* target, int32_t height, int32_t weight = FontWeightNormal,
             int32_t italic = 0, int32_t underline = 0, int32_t quality = FontQualityPlain)
      : target_(target),
        font_(CreateFontFor(FontRequest{height, weight, italic, underline, quality})) {
    previous_ = SelectFont(target_, font_);
  }
  ~ScopedFont() {
    SelectFont(target_, previous_);
    DeleteFont(font_);
  }
  FontHandle font() const { return font_; }

 private:
  DrawTarget* target_;
  FontHandle font_;
  FontHandle previous_;
};

TextExtent Measure(DrawTarget* target, const std::string& text) {
  TextExtent extent{-1, -1};
  EXPECT_EQ(1, MeasureText(target, text.data(), static_cast<int32_t>(text.size()), &extent));
  return extent;
}

int32_t Draw(DrawTarget* target, const std::string& text, Rect rect, uint32_t format = 0) {
  return DrawTextIn(target, text.data(), static_cast<int32_t>(text.size()), rect, format);
}

// --- Fonts -----------------------------------------------------------------------------------

TEST(SdlFont, PositiveHeightIsTheCellHeightAndGlyphsStayInsideIt) {
  for (int32_t height : {8, 12, 16, 19, 24, 33, 48, 72}) {
    SCOPED_TRACE(height);
    Canvas canvas(400, 120);
    ScopedFont font(canvas.target(), height);
    ASSERT_NE(nullptr, font.font());
    EXPECT_EQ(height, Measure(canvas.target(), "Hg").cy);
    // Ascenders and descenders of the face fit in the cell.
    Draw(canvas.target(), "Hgjy|", Rect{0, 20, 400, 120});
    const Rect ink = canvas.Ink();
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 20 + height + 1);
    EXPECT_GT(ink.bottom - ink.top, height / 2);
  }
}

TEST(SdlFont, NegativeHeightIsTheCharacterHeight) {
  // A serif face's cell is about a tenth taller than its em.
  for (int32_t em : {10, 16, 40}) {
    SCOPED_TRACE(em);
    Canvas canvas(10, 10);
    ScopedFont font(canvas.target(), -em);
    const int32_t cell = Measure(canvas.target(), "x").cy;
    EXPECT_GT(cell, em);
    EXPECT_LE(cell, em * 5 / 4 + 1);
  }
}

TEST(SdlFont, AbsurdHeightsAreLimited) {
  struct Case {
    int32_t height;
    int32_t minCell, maxCell;
  } cases[] = {
      {0, 16, 16},              // the default size
      {1, 1, 1},                //
      {100000, 2000, 2000},     // limited to the largest cell
      {INT32_MAX, 2000, 2000},  //
      {-100000, 2000, 2300},    // the character height is limited alike
      {INT32_MIN, 2000, 2300},  // no overflow in taking its size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    Canvas canvas(64, 64);
    ScopedFont font(canvas.target(), c.height);
    ASSERT_NE(nullptr, font.font());
    const TextExtent extent = Measure(canvas.target(), "W");
    EXPECT_GE(extent.cy, c.minCell);
    EXPECT_LE(extent.cy, c.maxCell);
    // Drawing a huge glyph into a small image only draws what shows.
    EXPECT_EQ(extent.cy, Draw(canvas.target(), "WWW", Rect{-10, -10, 60, 60}));
  }
}

TEST(SdlFont, StylesChangeTheGlyphs) {
  Canvas canvas(400, 60);
  int32_t normal = 0;
  {
    ScopedFont font(canvas.target(), 24);
    normal = Measure(canvas.target(), "Hello World").cx;
  }
  ScopedFont bold(canvas.target(), 24, FontWeightBold);
  EXPECT_GT(Measure(canvas.target(), "Hello World").cx, normal);
  EXPECT_EQ(24, Measure(canvas.target(), "Hello World").cy);

  // Underline draws a line under "oo", where plain glyphs leave a gap between the letters.
  auto inkBelowBaseline = [](int32_t underline) {
    Canvas c(200, 40);
    ScopedFont f(c.target(), 24, FontWeightNormal, 0, underline);
    Draw(c.target(), "oo", Rect{0, 0, 200, 40});
    return c.Ink().bottom;
  };
  EXPECT_GT(inkBelowBaseline(1), inkBelowBaseline(0));
}

TEST(SdlFont, QualityPicksPlainOrSmoothedGlyphs) {
  for (int32_t quality : {FontQualityPlain, FontQualityAntialiased}) {
    SCOPED_TRACE(quality);
    Canvas canvas(200, 40);
    ScopedFont font(canvas.target(), 24, FontWeightNormal, 0, 0, quality);
    SetBackgroundMode(canvas.target(), BackgroundTransparent);
    SetTextColour(canvas.target(), 0x000000);
    Draw(canvas.target(), "Round serif", Rect{0, 0, 200, 40});
    const size_t colours = canvas.Colours().size();
    if (quality == FontQualityPlain) {
      EXPECT_EQ(2u, colours);  // white and the text colour only
    } else {
      EXPECT_GT(colours, 4u);  // edges blend into the background
    }
  }
}

TEST(SdlFont, DeletingASelectedFontFallsBackToTheDefault) {
  Canvas canvas(10, 10);
  FontHandle font = CreateFontFor(FontRequest{40, FontWeightNormal, 0, 0, FontQualityPlain});
  SelectFont(canvas.target(), font);
  EXPECT_EQ(40, Measure(canvas.target(), "x").cy);
  DeleteFont(font);
  EXPECT_EQ(16, Measure(canvas.target(), "x").cy);
  EXPECT_EQ(nullptr, SelectFont(canvas.target(), nullptr));
}

// --- Measuring -------------------------------------------------------------------------------

TEST(SdlText, MeasureCountsCharacters) {
  Canvas canvas(10, 10);
  ScopedFont font(canvas.target(), 20);
  DrawTarget* target = canvas.target();
  TextExtent extent{-1, -1};
  ASSERT_EQ(1, MeasureText(target, "Hello", 0, &extent));
  EXPECT_EQ(0, extent.cx);
  EXPECT_EQ(20, extent.cy);
  ASSERT_EQ(1, MeasureText(target, "Hello", 3, &extent));
  EXPECT_EQ(Measure(target, "Hel").cx, extent.cx);
  EXPECT_EQ(0, MeasureText(target, "Hello", -1, &extent));
  EXPECT_EQ(0, MeasureText(target, nullptr, 2, &extent));
  EXPECT_EQ(0, MeasureText(target, "Hello", 5, nullptr));
  EXPECT_EQ(0, MeasureText(nullptr, "Hello", 5, &extent));
  // A count past the end stops at the NUL.
  ASSERT_EQ(1, MeasureText(target, "Hel\0lo", 6, &extent));
  EXPECT_EQ(Measure(target, "Hel").cx, extent.cx);
}

TEST(SdlText, TextIsUtf8) {
  Canvas canvas(10, 10);
  ScopedFont font(canvas.target(), 20);
  EXPECT_GT(Measure(canvas.target(), "Caf\xC3\xA9").cx, Measure(canvas.target(), "Caf").cx);
  // Curly quotes (U+201C, U+201D) are two three-byte sequences, two characters.
  EXPECT_GT(Measure(canvas.target(), "\xE2\x80\x9Cq\xE2\x80\x9D").cx,
            Measure(canvas.target(), "q").cx + 4);
}

// Characters the menu's font lacks (Japanese here) are drawn and measured with the face
// fontconfig picks for them: two captions of the same length give different pictures (no
// boxes), sit on the line's baseline inside its cell, and take the width they are measured at.
TEST(SdlText, CharactersTheFontLacksComeFromAFallbackFace) {
  const char* const kJapanese[] = {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",   // 日本語
                                   "\xE8\xA8\xAD\xE5\xAE\x9A\xE7\x94\xBB"};  // 設定画
  if (CanDrawCharacter(0x65E5) == 0) GTEST_SKIP() << "no installed font has Japanese characters";
  std::vector<uint32_t> pixels[2];
  for (int i = 0; i < 2; ++i) {
    Canvas canvas(200, 60);
    ScopedFont font(canvas.target(), 24);
    const std::string text = std::string("A") + kJapanese[i] + "b";
    const TextExtent extent = Measure(canvas.target(), text);
    EXPECT_GT(extent.cx, Measure(canvas.target(), "Ab").cx + 3 * 12);
    Draw(canvas.target(), text, Rect{10, 10, 190, 34});
    const Rect ink = canvas.Ink();
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 34);
    EXPECT_LE(ink.right, 10 + extent.cx + 2);
    EXPECT_GE(ink.right, 10 + extent.cx - 4);
    for (int32_t y = 0; y < canvas.height(); ++y) {
      for (int32_t x = 0; x < canvas.width(); ++x) pixels[i].push_back(canvas.At(x, y));
    }
  }
  EXPECT_NE(pixels[0], pixels[1]);
  EXPECT_EQ(0, CanDrawCharacter(0x10FFFD));  // private use: no face has it
}

// --- Drawing ---------------------------------------------------------------------------------

TEST(SdlText, FormatZeroIsOneLineCutAtTheRectangle) {
  Canvas canvas(200, 80);
  ScopedFont font(canvas.target(), 20);
  const std::string text = "An entry text wider than its rectangle";
  ASSERT_GT(Measure(canvas.target(), text).cx, 100);
  EXPECT_EQ(20, Draw(canvas.target(), text, Rect{10, 10, 100, 25}));
  const Rect ink = canvas.Ink();
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 10);
  EXPECT_EQ(100, ink.right);  // glyphs run up to the right edge and are cut there
  EXPECT_LE(ink.bottom, 25);
}

TEST(SdlText, WordBreakWrapsInsideTheRectangle) {
  Canvas canvas(300, 300);
  ScopedFont font(canvas.target(), 20);
  const std::string text = "one two three four five six seven";
  const Rect rect{20, 10, 120, 290};
  const int32_t height = Draw(canvas.target(), text, rect, TextWordBreak);
  EXPECT_GE(height, 3 * 20);
  EXPECT_EQ(0, height % 20);  // whole lines at the cell height
  const Rect ink = canvas.Ink();
  EXPECT_GE(ink.left, rect.left);
  EXPECT_LE(ink.right, rect.right);
  EXPECT_LE(ink.bottom, rect.top + height);
  EXPECT_GT(ink.bottom, rect.top + height - 20);  // the last line has ink
}

TEST(SdlText, LineBreaks) {
  struct Case {
    const char* text;
    int32_t width;
    uint32_t format;
    int32_t lines;
  } cases[] = {
      {"one", 300, TextWordBreak, 1},
      {"a\r\nb\nc\rd", 300, 0, 4},                        // CR LF, LF and CR each end a line
      {"one two", 300, TextWordBreak, 1},                 // fits
      {"one two", 300, 0, 1},                             // no wrapping without the flag
      {"one two", 1, TextWordBreak, 2},                   // a word per line
      {"Supercalifragilistic ab", 30, TextWordBreak, 2},  // a long word is not broken
      {"   ", 300, TextWordBreak, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Canvas canvas(300, 200);
    ScopedFont font(canvas.target(), 16);
    EXPECT_EQ(16 * c.lines, Draw(canvas.target(), c.text, Rect{0, 0, c.width, 200}, c.format));
  }
}

TEST(SdlText, LinesBelowTheRectangleAreNotLaidOut) {
  Canvas canvas(100, 100);
  ScopedFont font(canvas.target(), 10);
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "word ";
  // Five lines reach into a rectangle 45 pixels high; the rest is neither drawn nor counted.
  EXPECT_EQ(50, Draw(canvas.target(), text, Rect{0, 0, 60, 45}, TextWordBreak));
  EXPECT_LE(canvas.Ink().bottom, 45);
}

TEST(SdlText, CentreCentresEachLine) {
  Canvas canvas(300, 100);
  ScopedFont font(canvas.target(), 20);
  Draw(canvas.target(), "Hi", Rect{0, 0, 300, 40}, TextCenter);
  Rect ink = canvas.Ink();
  EXPECT_NEAR(150, (ink.left + ink.right) / 2, 3);

  Canvas wrapped(300, 100);
  ScopedFont wrappedFont(wrapped.target(), 20);
  Draw(wrapped.target(), "Hi Hi", Rect{100, 0, 140, 100}, TextCenter | TextWordBreak);
  ink = wrapped.Ink();
  EXPECT_NEAR(120, (ink.left + ink.right) / 2, 3);
  EXPECT_GT(ink.bottom, 20);  // two lines, each centred
}

TEST(SdlText, DrawingStaysInsideTheSurface) {
  Canvas canvas(50, 30);
  ScopedFont font(canvas.target(), 30);
  const Rect rects[] = {{-1000000, -5, 40, 40},
                        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                        {40, 20, 1000, 1000},
                        {60, 0, 100, 30},
                        {10, 10, 0, 0}};
  for (const Rect& rect : rects) {
    for (uint32_t format : {0u, TextWordBreak, TextCenter | TextWordBreak}) {
      EXPECT_GE(Draw(canvas.target(), "Wide words drawn off the edges", rect, format), 30);
    }
  }
  EXPECT_EQ(0, Draw(canvas.target(), "", Rect{0, 0, 50, 30}));
  EXPECT_EQ(0, DrawTextIn(canvas.target(), nullptr, 3, Rect{0, 0, 50, 30}, 0));
}

TEST(SdlText, ColourAndBackgroundMode) {
  Canvas canvas(200, 40, 0x000000);
  ScopedFont font(canvas.target(), 24);
  EXPECT_EQ(0u, SetTextColour(canvas.target(), 0x0000FF));  // red as 0x00BBGGRR
  EXPECT_EQ(0x0000FFu, SetTextColour(canvas.target(), 0x0000FF));
  EXPECT_EQ(BackgroundOpaque, SetBackgroundMode(canvas.target(), BackgroundTransparent));
  Draw(canvas.target(), "Ink", Rect{0, 0, 200, 40});
  EXPECT_EQ((std::set<uint32_t>{0x000000, 0xFF0000}), canvas.Colours());  // XRGB pixels

  Canvas opaque(200, 40, 0x000000);
  ScopedFont opaqueFont(opaque.target(), 24);
  SetTextColour(opaque.target(), 0x0000FF);
  Draw(opaque.target(), "Ink", Rect{0, 0, 200, 40});
  EXPECT_EQ(1u, opaque.Colours().count(kWhite));  // the box behind the text
  EXPECT_EQ(0, SetBackgroundMode(opaque.target(), 3));
}

// --- Images and blits ------------------------------------------------------------------------

TEST(SdlImage, CreationRefusesWhatCannotBe) {
  struct Case {
    int32_t width, height, depth;
    bool made;
  } cases[] = {
      {1, 1, 32, true},   {640, 480, 4, true}, {0, 10, 32, false},      {10, -1, 32, false},
      {10, 10, 0, false}, {10, 10, 33, false}, {100000, 10, 32, false}, {30000, 30000, 32, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "@" << c.depth);
    ImageHandle image = CreateImage(c.width, c.height, c.depth, nullptr);
    EXPECT_EQ(c.made, image != nullptr);
    DeleteImage(image);
  }
}

TEST(SdlImage, TargetsReportTheDepthAskedFor) {
  Canvas canvas(4, 4, kWhite, 4);
  EXPECT_EQ(4, TargetBitsPerPixel(canvas.target()));
  DrawTarget* other = CreateImageTarget(canvas.target());
  EXPECT_EQ(4, TargetBitsPerPixel(other));  // compatible with a 4-bit target
  ImageHandle deep = CreateImage(2, 2, 16, nullptr);
  SelectImage(other, deep);
  EXPECT_EQ(16, TargetBitsPerPixel(other));
  DeleteImageTarget(other);
  DeleteImage(deep);
}

TEST(SdlImage, InitialBitsAtThirtyTwoBits) {
  const uint32_t bits[] = {0x112233, 0x445566, 0x778899, 0xAABBCC};
  ImageHandle image = CreateImage(2, 2, 32, bits);
  DrawTarget* target = CreateImageTarget(nullptr);
  SelectImage(target, image);
  Canvas canvas(2, 2);
  BlitImage(canvas.target(), 0, 0, 2, 2, target, 0, 0);
  EXPECT_EQ(0x112233u, canvas.At(0, 0));
  EXPECT_EQ(0xAABBCCu, canvas.At(1, 1));
  DeleteImageTarget(target);
  DeleteImage(image);
}

TEST(SdlImage, SelectingFollowsTheDeviceContextRules) {
  ImageHandle first = CreateImage(3, 3, 32, nullptr);
  ImageHandle second = CreateImage(5, 5, 32, nullptr);
  DrawTarget* a = CreateImageTarget(nullptr);
  DrawTarget* b = CreateImageTarget(nullptr);
  EXPECT_EQ(nullptr, SelectImage(a, first));
  EXPECT_EQ(nullptr, SelectImage(b, first));  // in one target at a time
  EXPECT_EQ(first, SelectImage(a, second));
  EXPECT_EQ(nullptr, SelectImage(b, first));  // free again
  // Deleting a selected image leaves its target drawing on nothing.
  DeleteImage(first);
  {
    ScopedFont font(b, 12);
    EXPECT_EQ(12, Draw(b, "nothing to draw on", Rect{0, 0, 10, 10}));
    EXPECT_EQ(0, BlitImage(a, 0, 0, 5, 5, b, 0, 0));
  }
  DeleteImageTarget(a);  // lets go of second
  DeleteImage(second);
  DeleteImageTarget(b);
}

TEST(SdlImage, BlitIsClippedOnBothSides) {
  struct Case {
    int32_t x, y, width, height, xSrc, ySrc;
    int32_t probeX, probeY;  // a target pixel
    int32_t fromX, fromY;    // the source pixel it must show, or -1: untouched
  } cases[] = {
      {0, 0, 8, 8, 0, 0, 3, 4, 3, 4},      // whole
      {5, 5, 8, 8, 0, 0, 11, 11, 6, 6},    // runs off the target's right and bottom
      {-3, -2, 8, 8, 0, 0, 0, 0, 3, 2},    // starts left of and above the target
      {0, 0, 20, 20, 0, 0, 9, 9, -1, -1},  // beyond the source: left as it was
      {0, 0, 8, 8, -2, -1, 0, 0, -1, -1},  // from left of the source
      {0, 0, 8, 8, -2, -1, 2, 1, 0, 0},    //
      {2, 2, 4, 4, 6, 6, 3, 3, 7, 7},      // a corner of the source
      {0, 0, 0, 5, 0, 0, 0, 0, -1, -1},    // nothing
      {INT32_MAX - 2, 0, 8, 8, 0, 0, 0, 0, -1, -1},
      {0, 0, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, 0, 0, -1, -1},
  };
  Canvas source(8, 8);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) source.Set(x, y, static_cast<uint32_t>(x << 16 | y << 8 | 1));
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.width << "x" << c.height
                                    << " from " << c.xSrc << "," << c.ySrc);
    Canvas target(12, 12, 0xABCDEF);
    EXPECT_EQ(1, BlitImage(target.target(), c.x, c.y, c.width, c.height, source.target(), c.xSrc,
                           c.ySrc));
    const uint32_t expected = c.fromX < 0 ? 0xABCDEF : source.At(c.fromX, c.fromY);
    EXPECT_EQ(expected, target.At(c.probeX, c.probeY));
  }
}

TEST(SdlImage, BlitWithinOneImageMayOverlap) {
  Canvas canvas(6, 1);
  for (int32_t x = 0; x < 6; ++x) canvas.Set(x, 0, static_cast<uint32_t>(x + 1));
  ASSERT_EQ(1, BlitImage(canvas.target(), 1, 0, 5, 1, canvas.target(), 0, 0));
  for (int32_t x = 1; x < 6; ++x) EXPECT_EQ(static_cast<uint32_t>(x), canvas.At(x, 0));
}

TEST(SdlImage, FocusFrameInvertsEveryOtherPixelOfTheOutlineWithinTheClip) {
  Canvas canvas(12, 8, 0x204060);
  DrawFocusFrame(canvas.target(), Rect{2, 1, 9, 6});  // outline 2..8 x 1..5
  int inverted = 0;
  for (int32_t y = 0; y < canvas.height(); ++y) {
    for (int32_t x = 0; x < canvas.width(); ++x) {
      const bool outline =
          (x == 2 || x == 8) && y >= 1 && y <= 5 ? true : (y == 1 || y == 5) && x >= 2 && x <= 8;
      const bool dot = outline && (x + y) % 2 == 0;
      EXPECT_EQ(dot ? 0xDFBF9Fu : 0x204060u, canvas.At(x, y)) << x << "," << y;
      inverted += dot;
    }
  }
  EXPECT_EQ(10, inverted);
  // Twice is nothing; an empty rectangle and one far off the surface draw nothing.
  DrawFocusFrame(canvas.target(), Rect{2, 1, 9, 6});
  DrawFocusFrame(canvas.target(), Rect{5, 5, 5, 9});
  DrawFocusFrame(canvas.target(), Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  LimitDrawing(canvas.target(), nullptr);
  const Rect untouched = canvas.Ink(0x204060);
  EXPECT_EQ(untouched.right, untouched.left);
  // Only the part inside the clip rectangle changes.
  const Rect clip{0, 0, 4, 8};
  LimitDrawing(canvas.target(), &clip);
  DrawFocusFrame(canvas.target(), Rect{2, 1, 9, 6});
  LimitDrawing(canvas.target(), nullptr);
  const Rect clipped = canvas.Ink(0x204060);
  EXPECT_EQ((std::vector<int32_t>{2, 1, 4, 6}),
            (std::vector<int32_t>{clipped.left, clipped.top, clipped.right, clipped.bottom}));
}

// --- The window's scale ------------------------------------------------------------------------

TEST(SdlScale, TheFactorComesFromTheFirstSourceThatGivesOne) {
  const char* dpi192 = "Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n";
  const struct {
    const char* quorel;
    const char* gdk;
    const char* resources;
    int scale;
  } cases[] = {
      {nullptr, nullptr, nullptr, 1},
      {"2", "3", dpi192, 2},
      {"4", nullptr, nullptr, 4},
      {"5", "3", nullptr, 3},     // beyond 4: the next source
      {"0", nullptr, dpi192, 2},  // below 1: the next source
      {"two", nullptr, nullptr, 1},
      {" 2 ", nullptr, nullptr, 2},
      {"2x", nullptr, nullptr, 1},
      {nullptr, "3", dpi192, 3},
      {nullptr, "8", nullptr, 4},  // at most 4
      {nullptr, "", dpi192, 2},
      {nullptr, nullptr, "Xft.dpi: 144.5\n", 1},  // 144 / 96, rounded down
      {nullptr, nullptr, "Xft.dpi:\t96", 1},
      {nullptr, nullptr, "Xft.dpi:\t50", 1},  // at least 1
      {nullptr, nullptr, "Xft.dpi:\t960", 4},
      {nullptr, nullptr, "Xft.dpi:\tmany\n", 1},
      {nullptr, nullptr, "Xft.dpix:\t192\nXXft.dpi:\t192\n", 1},  // other keys
      {nullptr, nullptr, "", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.quorel ? c.quorel : "-") + "|" + (c.gdk ? c.gdk : "-") + "|" +
                 (c.resources ? c.resources : "-"));
    EXPECT_EQ(c.scale, WantedScale(c.quorel, c.gdk, c.resources));
  }
}

TEST(SdlScale, TheLargestFactorThatFitsTheScreen) {
  const struct {
    int wanted, width, height, screenWidth, screenHeight, scale;
  } cases[] = {
      {2, 640, 480, 1920, 1080, 2}, {3, 640, 480, 1920, 1080, 2}, {4, 640, 480, 3840, 2160, 4},
      {2, 640, 480, 1280, 960, 2},  {2, 640, 480, 1279, 960, 1},  {1, 640, 480, 3840, 2160, 1},
      {2, 640, 480, 0, 0, 1},       {9, 100, 100, 4000, 4000, 4}, {2, 4096, 4096, 1920, 1080, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.scale, FittingScale(c.wanted, c.width, c.height, c.screenWidth, c.screenHeight))
        << c.wanted << " " << c.width << "x" << c.height << " on " << c.screenWidth << "x"
        << c.screenHeight;
  }
}

// The Windows build's choice (portable/window_scale.h): QUOREL_SCALE over the window's DPI.
TEST(SdlScale, WindowsTakesQuorelScaleElseTheDpi) {
  const struct {
    const char* quorel;
    int dpi, scale;
  } cases[] = {
      {nullptr, 96, 1}, {nullptr, 144, 1}, {nullptr, 192, 2}, {nullptr, 288, 3}, {nullptr, 960, 4},
      {nullptr, 0, 1},  {nullptr, -5, 1},  {"1", 192, 1},     {"3", 96, 3},      {" 4", 96, 4},
      {"5", 192, 2},    {"0", 288, 3},     {"", 192, 2},      {"2.5", 96, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.scale, WantedWindowsScale(c.quorel, c.dpi))
        << (c.quorel != nullptr ? c.quorel : "-") << " at " << c.dpi;
  }
}

TEST(SdlScale, EnlargingCopiesEachPixelAsABlock) {
  Canvas picture(3, 2);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x)
      picture.Set(x, y, static_cast<uint32_t>(0x10 * (y * 3 + x + 1)));
  Canvas window(7, 4, 0x777777);  // one column wider than 3 x 2: it stays as it was
  SDL_Surface* to = window.target()->surface;
  // Only the area asked for: the right column of the picture first.
  ASSERT_TRUE(EnlargeArea(picture.target()->surface, SDL_Rect{2, 0, 1, 2}, to, 2));
  EXPECT_EQ(0x777777u, window.At(0, 0));
  EXPECT_EQ(0x30u, window.At(5, 1));
  ASSERT_TRUE(EnlargeArea(picture.target()->surface, SDL_Rect{0, 0, 3, 2}, to, 2));
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(picture.At(x / 2, y / 2), window.At(x, y)) << x << "," << y;
    EXPECT_EQ(0x777777u, window.At(6, y));
  }
  // An area beyond the picture copies nothing; the window's edge cuts a larger factor.
  ASSERT_TRUE(EnlargeArea(picture.target()->surface, SDL_Rect{5, 5, 3, 3}, to, 2));
  ASSERT_TRUE(EnlargeArea(picture.target()->surface, SDL_Rect{0, 0, 3, 2}, to, 4));
  EXPECT_EQ(0x20u, window.At(6, 3));
}

// --- Embedded resources ----------------------------------------------------------------------

TEST(SdlResources, ButtonPicturesAre32By24AndDistinct) {
  std::set<std::string> pictures;
  for (int id : {IDB_BACKWARD, IDB_FORWARD, IDB_EXIT, IDB_RETURN}) {
    SCOPED_TRACE(id);
    ImageHandle image = LoadImageResource(id);
    ASSERT_NE(nullptr, image);
    DrawTarget* target = CreateImageTarget(nullptr);
    SelectImage(target, image);
    ASSERT_EQ(32, target->surface->w);
    ASSERT_EQ(24, target->surface->h);
    Canvas copy(32, 24, 0);
    BlitImage(copy.target(), 0, 0, 32, 24, target, 0, 0);
    std::string pixels;
    for (int32_t y = 0; y < 24; ++y) {
      for (int32_t x = 0; x < 32; ++x) pixels += std::to_string(copy.At(x, y)) + ",";
    }
    EXPECT_GE(copy.Colours().size(), 3u);
    pictures.insert(pixels);
    DeleteImageTarget(target);
    DeleteImage(image);
  }
  EXPECT_EQ(4u, pictures.size());
  EXPECT_EQ(nullptr, LoadImageResource(IDC_HAND));  // a cursor is no bitmap
}

TEST(SdlResources, CursorPicturesHaveAlphaAndAnOpaqueHotSpot) {
  for (int id : {IDC_HAND, IDC_PRESS}) {
    SCOPED_TRACE(id);
    const EmbeddedResource cursor = FindEmbeddedResource(ResourceKind::Cursor, id);
    ASSERT_NE(nullptr, cursor.data);
    SDL_Surface* loaded =
        SDL_LoadBMP_RW(SDL_RWFromConstMem(cursor.data, static_cast<int>(cursor.size)), 1);
    ASSERT_NE(nullptr, loaded);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    ASSERT_NE(nullptr, argb);
    EXPECT_EQ(32, argb->w);
    EXPECT_EQ(32, argb->h);
    auto alpha = [argb](int x, int y) {
      const auto* row = static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch;
      return reinterpret_cast<const uint32_t*>(row)[x] >> 24;
    };
    EXPECT_EQ(0u, alpha(0, 0));
    EXPECT_EQ(255u, alpha(cursor.hotX, cursor.hotY));
    SDL_FreeSurface(argb);
  }
  EXPECT_EQ(12, FindEmbeddedResource(ResourceKind::Cursor, IDC_HAND).hotX);
  EXPECT_EQ(7, FindEmbeddedResource(ResourceKind::Cursor, IDC_PRESS).hotY);
}

TEST(SdlResources, SoundsAreShort22kHzClips) {
  for (int id : {IDW_CLICK, IDW_PAGE, IDW_HOVER}) {
    SCOPED_TRACE(id);
    const EmbeddedResource wave = FindEmbeddedResource(ResourceKind::Wave, id);
    ASSERT_NE(nullptr, wave.data);
    SDL_AudioSpec spec{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    ASSERT_NE(nullptr, SDL_LoadWAV_RW(SDL_RWFromConstMem(wave.data, static_cast<int>(wave.size)), 1,
                                      &spec, &samples, &length));
    EXPECT_EQ(22050, spec.freq);
    EXPECT_EQ(1, spec.channels);
    EXPECT_EQ(AUDIO_S16LSB, spec.format);
    EXPECT_GT(length, 0u);
    EXPECT_LT(length / 2, 22050u * 3 / 10);  // under 0.3 s
    SDL_FreeWAV(samples);
  }
}

TEST(SdlResources, IconsAndMissingNumbers) {
  EXPECT_NE(nullptr, FindEmbeddedResource(ResourceKind::Icon, IDI_APP).data);
  EXPECT_NE(nullptr, FindEmbeddedResource(ResourceKind::Icon, IDI_APP_SMALL).data);
  EXPECT_EQ(nullptr, FindEmbeddedResource(ResourceKind::Wave, 140).data);
  EXPECT_EQ(nullptr, FindEmbeddedResource(ResourceKind::Bitmap, IDW_CLICK).data);
  EXPECT_EQ(nullptr, LoadImageResource(0));
}

}  // namespace
