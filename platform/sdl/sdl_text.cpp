// Text on SDL surfaces with the contract of GetTextExtentPoint32A, DrawTextA (formats 0,
// DT_WORDBREAK, DT_CENTER), SetTextColor and SetBkMode. Needs SDL and SDL_ttf; no video.
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_font.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/sdl/sdl_text_runs.h"

namespace {

// Texts are UTF-8, as SDL_ttf takes them.
std::string Utf8Of(const char* text, size_t begin, size_t end) {
  if (end <= begin) return std::string();
  return std::string(text + begin, end - begin);
}

// The bytes of text that are drawn: count of them (a negative count: up to the NUL), but
// never past a NUL, which no text of this system carries inside.
size_t TextLength(const char* text, int32_t count) {
  if (text == nullptr) return 0;
  if (count < 0) return std::strlen(text);
  return strnlen(text, static_cast<size_t>(count));
}

int64_t WidthOf(TTF_Font* font, const std::string& utf8) {
  if (utf8.empty()) return 0;
  int width = 0;
  int height = 0;
  if (TTF_SizeUTF8(font, utf8.c_str(), &width, &height) != 0) return 0;
  return width;
}

// The width of utf8 drawn run by run, each in its own font.
int64_t WidthOf(PlatformFont* font, const std::string& utf8) {
  int64_t width = 0;
  for (const TextRun& run : RunsOf(font, utf8)) width += WidthOf(run.ttf, std::string(run.text));
  return width;
}

int64_t WidthOf(PlatformFont* font, const char* text, size_t begin, size_t end) {
  return begin < end ? WidthOf(font, Utf8Of(text, begin, end)) : 0;
}

struct Line {
  size_t begin;
  size_t end;
};

// The lines of text in the order drawn, at most maxLines of them. CR, LF and CR LF end a
// line. With word breaks a line ends before the word that would reach past width; the spaces
// at such a break are dropped, and a word wider than width has a line of its own (and is
// clipped there, not broken).
std::vector<Line> BreakLines(PlatformFont* font, const char* text, size_t length, bool wordBreak,
                             int64_t width, size_t maxLines) {
  std::vector<Line> lines;
  size_t paragraph = 0;
  while (lines.size() < maxLines) {
    size_t end = paragraph;
    while (end < length && text[end] != '\r' && text[end] != '\n') ++end;
    size_t start = paragraph;
    while (lines.size() < maxLines) {
      if (!wordBreak) {
        lines.push_back(Line{start, end});
        break;
      }
      Line line{start, start};
      int64_t lineWidth = 0;
      bool hasWord = false;
      size_t at = start;
      size_t next = end;  // where the following line starts; end: the paragraph is done
      while (true) {
        const size_t spaces = at;
        while (at < end && text[at] == ' ') ++at;
        if (at == end) {
          line.end = end;
          break;
        }
        const size_t word = at;
        while (at < end && text[at] != ' ') ++at;
        const int64_t wider =
            lineWidth + WidthOf(font, text, spaces, word) + WidthOf(font, text, word, at);
        if (hasWord && wider > width) {
          line.end = spaces;
          next = word;
          break;
        }
        lineWidth = wider;
        hasWord = true;
        line.end = at;
      }
      lines.push_back(line);
      if (next == end) break;
      start = next;
    }
    if (end >= length) break;
    paragraph = end + (text[end] == '\r' && end + 1 < length && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

// Bytes of the first count characters of utf8 from offset.
size_t Utf8Bytes(const std::string& utf8, size_t offset, int count) {
  size_t at = offset;
  for (int i = 0; i < count && at < utf8.size(); ++i) {
    ++at;
    while (at < utf8.size() && (static_cast<uint8_t>(utf8[at]) & 0xC0) == 0x80) ++at;
  }
  return at - offset;
}

// Widest piece of a line rendered at once: a long line is rendered in pieces, and pieces
// that cannot be seen are not rendered, so nothing of the size of a whole long line is made.
constexpr int kPiecePixels = 2048;

// Draws one run of UTF-8 in ttf with its line's cell's top-left corner at x, y, clipped to the
// surface's clip rectangle; returns x past the run (or past the clip, where drawing stopped).
int64_t DrawRun(DrawTarget* target, const PlatformFont& font, const TextRun& run, int64_t x,
                int64_t y) {
  SDL_Surface* surface = target->surface;
  const SDL_Rect& clip = surface->clip_rect;
  const int64_t clipRight = int64_t{clip.x} + clip.w;
  const int64_t margin = font.cellHeight;  // room for glyphs that reach past their advance
  const std::string utf8(run.text);
  size_t at = 0;
  while (at < utf8.size() && x < clipRight + margin) {
    int extent = 0;
    int count = 0;
    if (TTF_MeasureUTF8(run.ttf, utf8.c_str() + at, kPiecePixels, &extent, &count) != 0) {
      return clipRight + margin;
    }
    const std::string piece = utf8.substr(at, Utf8Bytes(utf8, at, std::max(count, 1)));
    const int64_t width = WidthOf(run.ttf, piece);
    if (x + width + margin > clip.x && x < clipRight + margin) {
      SDL_Rect where{static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                     font.cellHeight};
      if (target->backgroundMode == BackgroundOpaque) {
        // The box behind the text in the background colour, white in a new device context.
        SDL_FillRect(surface, &where, SDL_MapRGB(surface->format, 255, 255, 255));
      }
      const ColorRef colour = target->textColour;
      const SDL_Color sdlColour{static_cast<Uint8>(colour), static_cast<Uint8>(colour >> 8),
                                static_cast<Uint8>(colour >> 16), 255};
      // Null when rendering gives nothing.
      const OwnedSurface glyphs(font.antialiased
                                    ? TTF_RenderUTF8_Blended(run.ttf, piece.c_str(), sdlColour)
                                    : TTF_RenderUTF8_Solid(run.ttf, piece.c_str(), sdlColour));
      SDL_Rect glyphsAt = where;
      glyphsAt.y += run.rise;
      if (glyphs) SDL_BlitSurface(glyphs.get(), nullptr, surface, &glyphsAt);
    }
    at += piece.size();
    x += width;
  }
  return x;
}

// Draws one line of UTF-8, run by run, with its cell's top-left corner at x, y.
void DrawLine(DrawTarget* target, PlatformFont* font, const std::string& utf8, int64_t x,
              int64_t y) {
  for (const TextRun& run : RunsOf(font, utf8)) x = DrawRun(target, *font, run, x, y);
}

}  // namespace

int MeasureText(DrawTarget* target, const char* text, int32_t count, TextExtent* extent) {
  if (target == nullptr || extent == nullptr || count < 0) return 0;
  if (text == nullptr && count > 0) return 0;
  PlatformFont* font = FontOf(target);
  if (font == nullptr) return 0;
  const size_t length = TextLength(text, count);
  extent->cx = static_cast<int32_t>(std::min<int64_t>(WidthOf(font, text, 0, length), INT32_MAX));
  extent->cy = font->cellHeight;
  return 1;
}

int32_t DrawTextIn(DrawTarget* target, const char* text, int32_t count, const Rect& rect,
                   uint32_t format) {
  if (target == nullptr || text == nullptr) return 0;
  PlatformFont* font = FontOf(target);
  if (font == nullptr) return 0;
  const size_t length = TextLength(text, count);
  if (length == 0) return 0;

  // Lines are laid out while their top is above the rectangle's bottom (always one), so a
  // long text in a small rectangle costs no more than what shows.
  const int64_t lineHeight = std::max<int32_t>(font->cellHeight, 1);
  const int64_t rows = (int64_t{rect.bottom} - rect.top + lineHeight - 1) / lineHeight;
  const size_t maxLines =
      static_cast<size_t>(std::clamp<int64_t>(rows, 1, static_cast<int64_t>(length) + 1));
  const int64_t width = int64_t{rect.right} - rect.left;
  const std::vector<Line> lines =
      BreakLines(font, text, length, (format & TextWordBreak) != 0, width, maxLines);

  // The visible part: the rectangle (right and bottom exclusive) within the surface's clip.
  SDL_Surface* surface = target->surface;
  if (surface != nullptr) {
    const SDL_Rect& clip = surface->clip_rect;
    const int64_t left = std::max<int64_t>(rect.left, clip.x);
    const int64_t top = std::max<int64_t>(rect.top, clip.y);
    const int64_t right = std::min<int64_t>(rect.right, int64_t{clip.x} + clip.w);
    const int64_t bottom = std::min<int64_t>(rect.bottom, int64_t{clip.y} + clip.h);
    if (left < right && top < bottom) {
      ClipGuard restore(surface);
      const SDL_Rect visible{static_cast<int>(left), static_cast<int>(top),
                             static_cast<int>(right - left), static_cast<int>(bottom - top)};
      SDL_SetClipRect(surface, &visible);
      // A line whose cell ends above the surface is left out. Glyphs may reach below their
      // cell, so a line above the clip alone is still drawn: a text drawn in parts, clip by
      // clip, gives the same pixels as when it is drawn whole.
      const int64_t firstRow = std::max<int64_t>(rect.top, 0);
      int64_t y = rect.top;
      for (const Line& line : lines) {
        // Glyphs are drawn from the line's top down: from here on nothing reaches the clip.
        if (y >= bottom) break;
        const std::string utf8 = Utf8Of(text, line.begin, line.end);
        if (y + lineHeight > firstRow && !utf8.empty()) {
          int64_t x = rect.left;
          if ((format & TextCenter) != 0) {
            x = (int64_t{rect.left} + rect.right - WidthOf(font, utf8)) / 2;
          }
          DrawLine(target, font, utf8, x, y);
        }
        y += lineHeight;
      }
    }
  }
  return static_cast<int32_t>(std::min<int64_t>(lineHeight * lines.size(), INT32_MAX));
}

void DrawTextAt(DrawTarget* target, int32_t x, int32_t y, const char* text) {
  if (target == nullptr || target->surface == nullptr || text == nullptr) return;
  // One line from x, y, clipped by the surface alone.
  const SDL_Surface* surface = target->surface;
  const int64_t right = std::max<int64_t>(int64_t{surface->w}, x + int64_t{1});
  const int64_t bottom = std::max<int64_t>(int64_t{surface->h}, y + int64_t{1});
  const Rect rect{x, y, static_cast<int32_t>(std::min<int64_t>(right, INT32_MAX)),
                  static_cast<int32_t>(std::min<int64_t>(bottom, INT32_MAX))};
  DrawTextIn(target, text, -1, rect, 0);
}

ColorRef SetTextColour(DrawTarget* target, ColorRef colour) {
  if (target == nullptr) return 0xFFFFFFFF;  // CLR_INVALID
  const ColorRef previous = target->textColour;
  target->textColour = colour & 0x00FFFFFF;
  return previous;
}

int32_t SetBackgroundMode(DrawTarget* target, int32_t mode) {
  if (target == nullptr) return 0;
  if (mode != BackgroundTransparent && mode != BackgroundOpaque) return 0;
  const int32_t previous = target->backgroundMode;
  target->backgroundMode = mode;
  return previous;
}
