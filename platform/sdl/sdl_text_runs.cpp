// Splitting text into runs by font, and the fallback fonts each menu font opens as needed.
// Needs SDL_ttf and the face lookup only.
#include "platform/sdl/sdl_text_runs.h"

#include <string>

#include "platform/draw.h"

#include "platform/sdl/sdl_font_face.h"
#include "portable/code_page.h"

namespace {

// The font for code: font's own when it has the character (or nothing has it), else the
// fallback face's, opened once per menu font at its size, with its bold, italic and underline
// drawn as the menu font's request asks.
TTF_Font* FontFor(PlatformFont* font, uint32_t code) {
  if (code < 0x80 || TTF_GlyphIsProvided32(font->ttf.get(), code) != 0) return font->ttf.get();
  const FontFace* face = FallbackFaceFor(code);
  if (face == nullptr) return font->ttf.get();
  const std::string key = face->path + '#' + std::to_string(face->index);
  auto found = font->fallbacks.find(key);
  if (found == font->fallbacks.end()) {
    OwnedTtfFont opened(TTF_OpenFontIndexDPI(face->path.c_str(), font->points, face->index, 1, 1));
    if (opened) TTF_SetFontStyle(opened.get(), font->fallbackStyle);
    found = font->fallbacks.emplace(key, std::move(opened)).first;
  }
  return found->second ? found->second.get() : font->ttf.get();
}

}  // namespace

std::vector<TextRun> RunsOf(PlatformFont* font, std::string_view utf8) {
  std::vector<TextRun> runs;
  TTF_Font* own = font->ttf.get();
  const int ascent = TTF_FontAscent(own);
  size_t start = 0;
  TTF_Font* current = own;
  for (size_t at = 0; at < utf8.size();) {
    const size_t length = Utf8SequenceLength(utf8, at);
    // A byte that starts no sequence is drawn by the menu's font (as U+FFFD).
    TTF_Font* wanted = length == 0 ? own : FontFor(font, Utf8CodePoint(utf8, at, length));
    if (wanted != current) {
      if (at > start) {
        runs.push_back({utf8.substr(start, at - start), current,
                        current == own ? 0 : ascent - TTF_FontAscent(current)});
      }
      start = at;
      current = wanted;
    }
    at += length == 0 ? 1 : length;
  }
  if (utf8.size() > start) {
    runs.push_back(
        {utf8.substr(start), current, current == own ? 0 : ascent - TTF_FontAscent(current)});
  }
  return runs;
}

int CanDrawCharacter(uint32_t code) { return FallbackFaceFor(code) != nullptr ? 1 : 0; }
