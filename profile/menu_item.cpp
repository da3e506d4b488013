// CMenuItem: owned strings, release, and the parser of item definition lines.
// Standard library, the profile reader and platform/*.h only.
#include "profile/menu_item.h"

#include <cstring>

#include "platform/ascii_case.h"
#include "platform/copy_text.h"
#include "platform/draw.h"
#include "profile/expand.h"

bool IsLinkVerb(const char* verb) { return verb != nullptr && SameName(verb, "LINK"); }

CMenuItem::CMenuItem() : type(ItemOrdinary), left(0), top(0), right(0), bottom(0), next(nullptr) {
  Clear();
}

CMenuItem::~CMenuItem() { Release(); }

void CMenuItem::Clear() {
  flags = 0;
  text = nullptr;
  textLength = 0;
  target = nullptr;
  verb = nullptr;
  workDir = nullptr;
  parameters = nullptr;
  hint = nullptr;
  bitmap = nullptr;
  visited = 0;
}

void CMenuItem::FreeStrings() {
  FreeString(&text);
  FreeString(&target);
  FreeString(&verb);
  FreeString(&workDir);
  FreeString(&parameters);
  FreeString(&hint);
}

int CMenuItem::Release() {
  FreeStrings();
  if (bitmap != nullptr) {
    DeleteImage(bitmap);
    bitmap = nullptr;
  }
  visited = 0;
  return 1;
}

int CMenuItem::ReplaceString(char** slot, uint32_t size) {
  if (slot == nullptr) return 0;
  FreeString(slot);
  *slot = new char[size > 0 ? size : 1];
  (*slot)[0] = '\0';
  return 1;
}

void CMenuItem::FreeString(char** slot) {
  if (slot == nullptr) return;
  char* old = *slot;
  *slot = nullptr;
  delete[] old;
}

void CMenuItem::StoreString(char** slot, uint32_t flag, const char* value, uint32_t length) {
  ReplaceString(slot, length + 1);
  CopyTextN(*slot, length + 1, value, length);
  flags |= flag;
}

// Expands one field and stores it when the expansion is not empty; returns its count.
int CMenuItem::StoreExpanded(char** slot, uint32_t flag, const char* field, CProfile& profile) {
  char expanded[kFieldSize];
  const uint32_t count = profile.ExpandText(expanded, kFieldSize, field);
  if (count != 0) StoreString(slot, flag, expanded, count);
  return static_cast<int>(count);
}

int CMenuItem::ParseLine(int32_t itemType, char* line, CProfile& profile) {
  if (line == nullptr) return 0;
  next = nullptr;
  type = itemType;
  flags = 0;
  // A record parsed again describes only the new line.
  FreeStrings();
  textLength = 0;

  // Field 1, the caption: trimmed on the right only when a ',' ends it; ExpandText drops its
  // leading spaces. An empty caption ends the parse with no strings at all.
  char* comma = std::strchr(line, ',');
  if (comma != nullptr) {
    *comma = '\0';
    TrimTrailing(line, ' ', '\t');
  }
  const int captionLength = StoreExpanded(&text, ItemHasText, line, profile);
  if (captionLength == 0) return 1;
  textLength = captionLength;
  if (comma == nullptr) return 1;

  // Fields 2 to 5 count only when a ',' follows them. An empty verb ends the parse; empty
  // target, parameters and working directory are just skipped.
  char* field = comma + 1;
  comma = std::strchr(field, ',');
  if (comma == nullptr) return 1;
  *comma = '\0';
  TrimTrailing(field, ' ', '\t');
  if (StoreExpanded(&verb, ItemHasVerb, SkipLeading(field, ' ', '\t'), profile) == 0) return 1;

  struct Slot {
    char** slot;
    uint32_t flag;
  };
  const Slot middle[] = {{&target, ItemHasTarget}, {&parameters, ItemHasParameters}};
  for (const Slot& s : middle) {
    field = comma + 1;
    comma = std::strchr(field, ',');
    if (comma == nullptr) return 1;
    *comma = '\0';
    TrimTrailing(field, ' ', '\t');
    StoreExpanded(s.slot, s.flag, SkipLeading(field, ' ', '\t'), profile);
  }

  // Field 5, the working directory: after the right trim, one run of leading dots, then one
  // run of backslashes, then blanks are removed (".\disk1" becomes "disk1", "..\..\x" "..\x").
  field = comma + 1;
  comma = std::strchr(field, ',');
  if (comma == nullptr) return 1;
  *comma = '\0';
  TrimTrailing(field, ' ', '\t');
  field = SkipLeading(field, '.', '\0');
  field = SkipLeading(field, '\\', '\0');
  field = SkipLeading(field, ' ', '\t');
  StoreExpanded(&workDir, ItemHasWorkDir, field, profile);

  // Field 6, the hint: the rest of the line, cut at a further ',' (and then trimmed on the
  // right); without one its trailing blanks stay.
  field = comma + 1;
  comma = std::strchr(field, ',');
  if (comma != nullptr) {
    *comma = '\0';
    TrimTrailing(field, ' ', '\t');
  }
  StoreExpanded(&hint, ItemHasHint, SkipLeading(field, ' ', '\t'), profile);
  return 1;
}
