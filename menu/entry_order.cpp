// The keyboard's order of the visible list and the arrows' steps in the item grid.
// Core headers and platform/*.h only.
#include "menu/entry_order.h"

#include "platform/keys.h"

namespace {

bool IsButton(const CMenuPage& page, const CMenuItem* entry) {
  return entry == &page.backwardButton || entry == &page.forwardButton ||
         entry == &page.exitButton || entry == &page.returnButton;
}

}  // namespace

ShownEntries::ShownEntries(const CMenuPage& page) {
  for (const VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
    if (node->entry == nullptr) continue;
    entries.push_back(node->entry);
    if (!IsButton(page, node->entry)) items = entries.size();
  }
}

size_t ShownEntries::IndexOf(const CMenuItem* entry) const {
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i] == entry) return i;
  return entries.size();
}

size_t GridStep(size_t at, size_t count, size_t rows, uintptr_t key) {
  const size_t row = at % rows;
  const size_t column = at / rows;
  switch (key) {
    case KeyUp:
      return row > 0 ? at - 1 : at;
    case KeyDown:
      return row + 1 < rows && at + 1 < count ? at + 1 : at;
    case KeyLeft:
      return column > 0 ? at - rows : at;
    case KeyRight: {
      const size_t next = (column + 1) * rows;
      if (next >= count) return at;
      return at + rows < count ? at + rows : count - 1;
    }
    default:
      return at;
  }
}
