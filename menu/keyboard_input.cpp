// CMenuApp's keyboard input: the keys move the one highlight the pointer also moves (Tab through
// the visible list, the arrows within the item grid, Home and End), and Enter, Space, the page
// keys, Backspace, Alt+Left and Escape do what a click on the matching entry does.
// Core headers and platform/*.h only.
#include <cstdint>
#include <vector>

#include "app/menu_app.h"
#include "platform/keys.h"
#include "platform/sound.h"
#include "res/resource_ids.h"

namespace {

bool IsButton(const CMenuPage& page, const CMenuItem* entry) {
  return entry == &page.backwardButton || entry == &page.forwardButton ||
         entry == &page.exitButton || entry == &page.returnButton;
}

// The visible list as it stands: the page's items first (in grid order), then its buttons.
struct Shown {
  std::vector<CMenuItem*> entries;
  size_t items = 0;  // how many of the entries are items

  explicit Shown(const CMenuPage& page) {
    for (const VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
      if (node->entry == nullptr) continue;
      entries.push_back(node->entry);
      if (!IsButton(page, node->entry)) items = entries.size();
    }
  }
  // Where entry stands in the list; entries.size() when it is not shown.
  size_t IndexOf(const CMenuItem* entry) const {
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i] == entry) return i;
    return entries.size();
  }
  bool Contains(const CMenuItem* entry) const { return IndexOf(entry) < entries.size(); }
};

// The item an arrow key leads to from item index at (of count items, filled column by column,
// rows to a column); at (unchanged) where it leads nowhere. Up and Down stay in the column, Left
// and Right keep the row, or take the last item of a shorter column; at the page's edges
// nothing moves (the arrows never turn the page).
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

bool IsRepeat(intptr_t flags) { return (flags & KeyFlagRepeat) != 0; }

}  // namespace

int CMenuApp::OnKey(uint32_t message, uintptr_t key, intptr_t flags) {
  if (message == KeyMessageSystemDown) {
    // Of the keys with Alt only Alt+Left is the menu's; the rest (Alt+F4, the system menu)
    // take their default course, busy or not.
    if (key != KeyLeft) return 0;
    if (busy == 0 && !IsRepeat(flags) && sessionIndex >= 1) ClickByKey(&page.returnButton);
    return 1;
  }
  if (message != KeyMessageDown || busy != 0) return 1;

  const Shown shown(page);
  const size_t count = shown.entries.size();
  const size_t at = shown.IndexOf(page.hoveredItem);  // count: nothing highlighted
  switch (key) {
    case KeyTab: {
      if (count == 0) return 1;
      const bool backwards = IsKeyHeld(KeyShift) != 0;
      size_t next = 0;
      if (at == count) {
        next = backwards ? count - 1 : 0;
      } else {
        next = backwards ? (at + count - 1) % count : (at + 1) % count;
      }
      HighlightByKey(shown.entries[next]);
      return 1;
    }
    case KeyHome:
    case KeyEnd:
      if (count != 0) HighlightByKey(shown.entries[key == KeyHome ? 0 : count - 1]);
      return 1;
    case KeyUp:
    case KeyDown:
    case KeyLeft:
    case KeyRight: {
      if (shown.items == 0) return 1;
      // From no item (nothing highlighted, or a button) the arrows start on the first item.
      if (at >= shown.items) {
        HighlightByKey(shown.entries[0]);
        return 1;
      }
      const int32_t rows = settings.itemsPerColumn < 1 ? 1 : settings.itemsPerColumn;
      HighlightByKey(shown.entries[GridStep(at, shown.items, static_cast<size_t>(rows), key)]);
      return 1;
    }
    case KeyEnter:
    case KeySpace:
      if (at < count && !IsRepeat(flags)) ClickByKey(shown.entries[at]);
      return 1;
    case KeyPageDown:
    case KeyPageUp: {
      // Only where the button is shown, so the keys reach no page the buttons cannot.
      CMenuItem* button = key == KeyPageDown ? &page.forwardButton : &page.backwardButton;
      if (shown.Contains(button)) ClickByKey(button);
      return 1;
    }
    case KeyBackspace:
      if (!IsRepeat(flags) && sessionIndex >= 1) ClickByKey(&page.returnButton);
      return 1;
    case KeyEscape:
      // The return button's deed below the first level; the exit question on it.
      if (!IsRepeat(flags)) ClickByKey(sessionIndex >= 1 ? &page.returnButton : &page.exitButton);
      return 1;
    default:
      return 1;
  }
}

void CMenuApp::HighlightByKey(CMenuItem* entry) {
  CMenuItem* const old = page.hoveredItem;
  const bool firstKey = page.focusShown == 0;
  page.focusShown = 1;
  if (entry != old) {
    page.hoveredItem = entry;
    PlayMenuSound(SoundResourceName(IDW_HOVER), SoundResource | SoundAsync);
    InvalidateEntry(*entry);
    InvalidateHint();
    if (old != nullptr) InvalidateEntry(*old);
  } else if (firstKey) {
    InvalidateEntry(*entry);  // the focus frame joins the highlight
  }
  // The pointer no longer names the highlighted entry: a click needs a move first, so it never
  // starts the keyboard's entry where the pointer rests on another one.
  ChangeCursor(arrowCursor);
}

void CMenuApp::ClickByKey(CMenuItem* entry) {
  // The first key may be this one: the frame joins the entry the pointer highlighted.
  if (page.focusShown == 0 && page.hoveredItem != nullptr) InvalidateEntry(*page.hoveredItem);
  page.focusShown = 1;
  const int32_t level = sessionIndex;
  const int32_t shownPage = page.currentPage;
  ClickEntry(entry);
  ChangeCursor(arrowCursor);
  const Shown shown(page);
  const bool changed = sessionIndex != level || page.currentPage != shownPage;
  if (!changed && shown.Contains(page.hoveredItem)) return;
  // A new page or level starts on its first entry, without a sound of its own over the page
  // sound; the change repaints the whole window. An entry no longer shown gives way too.
  page.hoveredItem = shown.entries.empty() ? nullptr : shown.entries[0];
  if (changed) return;
  if (page.hoveredItem != nullptr) InvalidateEntry(*page.hoveredItem);
  InvalidateHint();
}
