// Fonts made from a FontRequest with the size rules of CreateFontA, on SDL_ttf faces.
// Needs SDL_ttf and the face lookup only; works without SDL video.
#include "platform/sdl/sdl_font.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/draw.h"
#include "platform/sdl/sdl_font_face.h"

namespace {

// Opens face so that its em is emPixels (1/72 pixel steps: with 1 dot per inch the point
// size counts 72nds of a pixel).
int PointsOfEm(double emPixels) {
  return std::max(1, static_cast<int>(std::lround(emPixels * 72)));
}

TTF_Font* OpenAtEm(const FontFace& face, double emPixels) {
  return TTF_OpenFontIndexDPI(face.path.c_str(), PointsOfEm(emPixels), face.index, 1, 1);
}

int CellOf(TTF_Font* font) { return TTF_FontAscent(font) - TTF_FontDescent(font); }

// The largest size at which font's cell is at most cell pixels, starting near the size the
// face's ratio gives. Cells grow with the size, so a bisection finds it. Returns that size.
int FitCell(TTF_Font* font, const FontFace& face, int32_t cell) {
  int low = 1;
  int high = static_cast<int>(std::lround(cell / face.cellPerEm * 72)) + 72;
  while (low < high) {
    const int middle = low + (high - low + 1) / 2;
    if (TTF_SetFontSizeDPI(font, middle, 1, 1) == 0 && CellOf(font) <= cell) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  TTF_SetFontSizeDPI(font, low, 1, 1);
  return low;
}

PlatformFont* MakeFont(const FontRequest& request) {
  const bool bold = request.weight >= 600;  // FW_SEMIBOLD and up pick the bold face
  const bool italic = request.italic != 0;
  const FontFace* face = FindFontFace(bold, italic);
  if (face == nullptr) return nullptr;

  // > 0: the cell height; < 0: the character (em) height; 0: the default cell height.
  const int64_t asked = request.height;
  const int64_t pixels = std::min<int64_t>(asked < 0 ? -asked : asked, kMaxFontPixels);
  int32_t cell = 0;
  int points = 0;
  OwnedTtfFont ttf;
  if (asked < 0) {
    ttf.reset(OpenAtEm(*face, static_cast<double>(pixels)));
    points = PointsOfEm(static_cast<double>(pixels));
    cell = static_cast<int32_t>(std::max<long>(1, std::lround(pixels * face->cellPerEm)));
  } else {
    cell = asked == 0 ? kDefaultFontPixels : static_cast<int32_t>(pixels);
    ttf.reset(OpenAtEm(*face, cell / face->cellPerEm));
    if (ttf) points = FitCell(ttf.get(), *face, cell);
  }
  if (!ttf) return nullptr;

  int style = TTF_STYLE_NORMAL;
  if (face->synthesiseBold) style |= TTF_STYLE_BOLD;
  if (face->synthesiseItalic) style |= TTF_STYLE_ITALIC;
  if (request.underline != 0) style |= TTF_STYLE_UNDERLINE;
  TTF_SetFontStyle(ttf.get(), style);

  PlatformFont* font = new (std::nothrow) PlatformFont;
  if (font == nullptr) return nullptr;
  font->ttf = std::move(ttf);
  font->points = points;
  font->style = style;
  // Fallback faces are regular ones: they get bold and italic drawn as asked.
  font->fallbackStyle = (bold ? TTF_STYLE_BOLD : 0) | (italic ? TTF_STYLE_ITALIC : 0) |
                        (request.underline != 0 ? TTF_STYLE_UNDERLINE : 0);
  font->cellHeight = cell;
  // ANTIALIASED_QUALITY, and the ClearType qualities after it, smooth the glyphs.
  font->antialiased = request.quality >= FontQualityAntialiased && request.quality <= 6;
  return font;
}

}  // namespace

FontHandle CreateFontFor(const FontRequest& request) { return MakeFont(request); }

void DeleteFont(FontHandle font) {
  if (font == nullptr) return;
  for (DrawTarget* target : font->selectedIn) target->selectedFont = nullptr;
  delete font;
}

FontHandle SelectFont(DrawTarget* target, FontHandle font) {
  if (target == nullptr) return nullptr;
  FontHandle previous = target->selectedFont;
  if (previous == font) return previous;
  if (previous != nullptr) ForgetFontTarget(previous, target);
  target->selectedFont = font;
  if (font != nullptr) font->selectedIn.push_back(target);
  return previous;
}

void ForgetFontTarget(PlatformFont* font, DrawTarget* target) {
  auto& targets = font->selectedIn;
  targets.erase(std::remove(targets.begin(), targets.end(), target), targets.end());
}

PlatformFont* FontOf(DrawTarget* target) {
  if (target != nullptr && target->selectedFont != nullptr) return target->selectedFont;
  // A new device context draws in the system's default font; this stands in for it.
  static PlatformFont* defaultFont =
      MakeFont(FontRequest{0, FontWeightNormal, 0, 0, FontQualityPlain});
  return defaultFont;
}
