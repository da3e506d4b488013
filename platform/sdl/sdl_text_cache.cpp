// The caches of text drawing and how their keys are hashed. Needs SDL and SDL_ttf only.
#include "platform/sdl/sdl_text_cache.h"

#include <functional>

size_t TextCacheKeyHash::operator()(const TextCacheKey& key) const {
  size_t hash = std::hash<std::string>()(key.text);
  for (const uint64_t part :
       {key.font, static_cast<uint64_t>(key.first), static_cast<uint64_t>(key.second)}) {
    hash ^= std::hash<uint64_t>()(part) + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
  }
  return hash;
}

TextCaches& TextCache() {
  // Made on first use and never destroyed: the application object deletes its fonts (and so
  // reaches here) from its destructor at exit, after statics made later than it are gone.
  static TextCaches* const caches = new TextCaches;
  return *caches;
}

void ForgetFontText(uint64_t font) {
  TextCaches& caches = TextCache();
  caches.layouts.ForgetFont(font);
  caches.lines.ForgetFont(font);
  caches.glyphs.ForgetFont(font);
}
