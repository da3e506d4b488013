// The order the keyboard walks the visible list in, and where an arrow key leads within the
// item grid. Core headers only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "menu/menu_page.h"

// The visible list as it stands: the page's items first (in grid order), then its buttons.
struct ShownEntries {
  std::vector<CMenuItem*> entries;
  size_t items = 0;  // how many of the entries are items

  explicit ShownEntries(const CMenuPage& page);
  // Where entry stands in the list; entries.size() when it is not shown.
  size_t IndexOf(const CMenuItem* entry) const;
  bool Contains(const CMenuItem* entry) const { return IndexOf(entry) < entries.size(); }
};

// The item an arrow key (KeyUp, KeyDown, KeyLeft, KeyRight) leads to from item index at (of
// count items, filled column by column, rows to a column); at (unchanged) where it leads
// nowhere. Up and Down stay in the column, Left and Right keep the row, or take the last item
// of a shorter column; at the page's edges nothing moves (the arrows never turn the page).
size_t GridStep(size_t at, size_t count, size_t rows, uintptr_t key);
