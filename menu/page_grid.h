// The grid a page is laid out in, and how many pages a list of items fills: the one statement
// of both for the layout, the keyboard, the pointer, the checker and the previews. Standard
// library and profile/ only.
#pragma once

#include <cstdint>

#include "profile/menu_settings.h"

// Columns of rows, each at least 1: fewer than one column or one row per column cannot be laid
// out (the layout divides by both, and no page would ever complete), so such settings count
// as 1.
struct PageGrid {
  int32_t columns;
  int32_t rows;  // per column

  // Items on a full page, exactly (columns x rows may pass 32 bits).
  int64_t PerPage() const { return int64_t{columns} * rows; }
  // Pages itemCount items fill; a list without items still shows one page.
  int32_t PageCount(int32_t itemCount) const {
    if (itemCount <= 0) return 1;
    return static_cast<int32_t>((int64_t{itemCount} + PerPage() - 1) / PerPage());
  }
};

// The grid of columns x rowsPerColumn as a definition file gives them.
constexpr PageGrid GridOf(int32_t columns, int32_t rowsPerColumn) {
  return PageGrid{columns < 1 ? 1 : columns, rowsPerColumn < 1 ? 1 : rowsPerColumn};
}
// The grid of settings (MenuItemColumons, MenuItemsPerColumn).
inline PageGrid GridOf(const MenuSettings& settings) {
  return GridOf(settings.columns, settings.itemsPerColumn);
}
