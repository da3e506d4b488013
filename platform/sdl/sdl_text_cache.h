// What text drawing on SDL surfaces keeps from one call to the next, per font: the lines a text
// breaks into, the pieces and widths of a line, and the rendered glyphs of a piece in one
// colour. Bounded in memory; a font's entries go with the font. Needs SDL and SDL_ttf only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/sdl/sdl_owned.h"

// What an entry is found by: the font's serial number, two numbers whose meaning depends on
// the cache, and the text.
struct TextCacheKey {
  uint64_t font;
  int64_t first;
  int64_t second;
  std::string text;

  bool operator==(const TextCacheKey& other) const {
    return font == other.font && first == other.first && second == other.second &&
           text == other.text;
  }
};

struct TextCacheKeyHash {
  size_t operator()(const TextCacheKey& key) const;
};

// Entries in the order last used, dropped from the least recently used one while their bytes
// exceed the budget. An entry larger than a quarter of the budget is not kept at all, so one
// huge text cannot push out everything else.
template <typename Value>
class BoundedTextCache {
 public:
  explicit BoundedTextCache(size_t budget) : budget_(budget) {}
  BoundedTextCache(const BoundedTextCache&) = delete;
  BoundedTextCache& operator=(const BoundedTextCache&) = delete;

  // The entry for key, now the most recently used; null when there is none.
  Value* Find(const TextCacheKey& key) {
    auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->value;
  }

  // Whether an entry for key counted as bytes would be kept: not when it is larger than a
  // quarter of the budget.
  bool Fits(const TextCacheKey& key, size_t bytes) const {
    return EntryBytes(key, bytes) <= budget_ / 4;
  }

  // Keeps value for key, which must not be there yet and must fit, and returns it; older
  // entries go while the budget is exceeded. The pointer stays valid until the next Keep or
  // ForgetFont on this cache.
  Value* Keep(TextCacheKey key, Value value, size_t bytes) {
    bytes = EntryBytes(key, bytes);
    while (!entries_.empty() && bytes_ + bytes > budget_) Drop(std::prev(entries_.end()));
    entries_.push_front(Entry{std::move(key), std::move(value), bytes});
    index_.emplace(entries_.front().key, entries_.begin());
    bytes_ += bytes;
    return &entries_.front().value;
  }

  // Drops every entry of a font.
  void ForgetFont(uint64_t font) {
    for (auto at = entries_.begin(); at != entries_.end();) {
      const auto next = std::next(at);
      if (at->key.font == font) Drop(at);
      at = next;
    }
  }

  size_t bytes() const { return bytes_; }
  size_t count() const { return entries_.size(); }

 private:
  struct Entry {
    TextCacheKey key;
    Value value;
    size_t bytes;
  };

  static size_t EntryBytes(const TextCacheKey& key, size_t bytes) {
    return bytes + key.text.size() + sizeof(Entry) + 64;
  }

  void Drop(typename std::list<Entry>::iterator at) {
    bytes_ -= at->bytes;
    index_.erase(at->key);
    entries_.erase(at);
  }

  size_t budget_;
  size_t bytes_ = 0;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<TextCacheKey, typename std::list<Entry>::iterator, TextCacheKeyHash> index_;
};

// One line of a laid-out text: its bytes in the text and the same as UTF-8.
struct LaidOutLine {
  size_t begin;
  size_t end;
  std::string utf8;
};

// A piece of a line rendered at once: its UTF-8 bytes and its width.
struct TextPiece {
  size_t bytes;
  int64_t width;
};

// A line of UTF-8 text in one font: its width, and its pieces as far as they were needed.
struct LineRun {
  bool widthKnown = false;
  int64_t width = 0;
  std::vector<TextPiece> pieces;  // in order, from the line's start
  size_t divided = 0;             // bytes of the line that pieces cover
  bool failed = false;            // the piece after the last one could not be measured
};

// The caches of text drawing. Budgets: laid-out texts and lines 512 KiB each, rendered glyphs
// 4 MiB; a font's entries are dropped when the font is deleted.
struct TextCaches {
  // Key: font, (word breaks ? width : -1), most lines; the text's bytes.
  BoundedTextCache<std::vector<LaidOutLine>> layouts{512 * 1024};
  // Key: font, 0, 0; the line in UTF-8.
  BoundedTextCache<LineRun> lines{512 * 1024};
  // Key: font, colour, 0; the piece in UTF-8. A null surface: rendering gave nothing.
  BoundedTextCache<OwnedSurface> glyphs{4 * 1024 * 1024};
};
TextCaches& TextCache();

// Drops every entry kept for the font with this serial number.
void ForgetFontText(uint64_t font);
