// What the menu window offers assistive technology (screen readers): a read-only view of the
// entries shown, which each window backend turns into its platform's accessibility objects,
// and the notices the program gives when the highlight or the entries change. No OS headers.
#pragma once

#include <cstddef>

#include "platform/handles.h"

// One entry shown in the window, as a screen reader is told it. The texts are the core's
// (UTF-8), valid until the program's next event.
struct AccessEntry {
  const char* name = "";         // the caption; a page button's hint, else its own short name
  const char* description = "";  // the item's hint; empty when there is none
  Rect rect{};                   // client coordinates (right and bottom exclusive)
  bool visited = false;          // the item was started before
  bool highlighted = false;      // the one highlight that the pointer and the keyboard move
};

// The entries in the order of the visible list (the items of the page, then its buttons): the
// order Tab walks. None while the menu is busy loading a level.
class AccessView {
 public:
  virtual ~AccessView() = default;
  virtual size_t EntryCount() const = 0;
  // The entry at index; false (entry untouched) beyond the count.
  virtual bool EntryAt(size_t index, AccessEntry* entry) const = 0;
  // Does what a click on the entry at index does (the same path as Enter); nothing beyond the
  // count or while the menu is busy.
  virtual void Press(size_t index) = 0;
};

// Sets the view that the main window's accessibility objects read (null: none; they then show
// no entries). Implemented by each window backend.
void SetAccessView(AccessView* view);
// The highlight moved (to another entry or to none).
void AccessHighlightChanged(WindowHandle window);
// Other entries are shown (a page turn, another level): the list changed, then the highlight.
void AccessEntriesChanged(WindowHandle window);
