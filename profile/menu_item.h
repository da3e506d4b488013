// CMenuItem: one menu entry or page button, its owned strings, the item definition line, its
// rectangle tests and its drawing. Standard library, profile/ and platform/*.h only.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "profile/profile.h"

struct TextStyle;

enum ItemType : int32_t {
  ItemOrdinary = 0,
  ItemExitReturn = 1,
  ItemPageBackward = 2,
  ItemPageForward = 3,
};

// Which strings an item holds.
enum ItemFlag : uint32_t {
  ItemHasText = 1,
  ItemHasVerb = 2,
  ItemHasTarget = 4,
  ItemHasWorkDir = 8,
  ItemHasParameters = 16,
  ItemHasHint = 32,
};

// How CMenuItem::Paint colours a caption.
enum ItemPaintState : int32_t {
  ItemStateNormal = 0,
  ItemStateHovered = 1,  // the highlighted entry: under the pointer or the keyboard's
  ItemStateVisited = 2,
};

// One text as painting draws it: count characters of text (-1: up to the NUL) in rect (right
// and bottom exclusive), its shadow first when shadow is set. A null text draws nothing.
struct TextDraw {
  const char* text;
  int32_t count;
  Rect rect;
  bool shadow;
};

// Whether an item's verb opens its target as a new menu level: "LINK" in any letter case. A
// missing verb does not.
bool IsLinkVerb(const char* verb);

class CMenuItem {
 public:
  // Each field of a definition line is expanded into this many bytes.
  static constexpr uint32_t kFieldSize = 1024;

  // Starts empty: no strings, no bitmap, zero rectangle, not linked.
  CMenuItem();
  // Releases the strings and the bitmap, as Release does.
  ~CMenuItem();

  CMenuItem(const CMenuItem&) = delete;
  CMenuItem& operator=(const CMenuItem&) = delete;

  // Forgets strings and bitmap without freeing them (for a freshly allocated record); leaves
  // type, rectangle and next alone.
  void Clear();
  // Frees the six strings and the bitmap (each set to null) and clears visited; flags and
  // textLength stay. Returns 1.
  int Release();
  // Frees the string in slot, then stores a new block of size bytes there (its first byte
  // NUL). Returns 1; a null slot gives 0.
  int ReplaceString(char** slot, uint32_t size);
  // Frees the string in slot, if any, and sets the slot to null.
  void FreeString(char** slot);
  // Fills the record from one item line: caption, verb, target, parameters, working directory,
  // hint, comma separated, each expanded through profile. The line is cut in place. 0 when
  // line is null (the record is untouched), else 1.
  int ParseLine(int32_t itemType, char* line, CProfile& profile);

  // 1 when (x, y) lies in the rectangle, bounds included, else 0.
  int ContainsPoint(int32_t x, int32_t y) const;
  // 1 when the region x, y, width, height (its last column x + width - 1) meets the rectangle.
  int Intersects(int32_t x, int32_t y, int32_t width, int32_t height) const;
  // Draws the entry: its picture copied opaquely at the rectangle, then its caption (shadow
  // first when the style asks) in the colour of an ItemPaintState; any other state keeps the
  // target's colour. 0 when there is no caption, else 1.
  int Paint(DrawTarget* dc, const TextStyle& style, int32_t state) const;
  // What Paint draws: the area its picture covers (the whole rectangle; right and bottom
  // exclusive), and its caption in style.
  Rect PictureArea() const;
  TextDraw CaptionDraw(const TextStyle& style) const;

  uint32_t flags;
  int32_t type;
  char* text;  // owned; blocks of exactly length + 1 bytes
  int32_t textLength;
  char* target;
  char* verb;
  char* workDir;
  char* parameters;
  char* hint;
  int32_t left;  // the rectangle includes all four bounds
  int32_t top;
  int32_t right;
  int32_t bottom;
  ImageHandle bitmap;  // owned; released with DeleteImage; freed with DeleteImage
  uint8_t visited;
  CMenuItem* next;  // the page's list owns the items

 private:
  // Frees the six owned strings, each slot set to null.
  void FreeStrings();
  void StoreString(char** slot, uint32_t flag, const char* value, uint32_t length);
  int StoreExpanded(char** slot, uint32_t flag, const char* field, CProfile& profile);
};
