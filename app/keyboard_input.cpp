// CMenuApp's keyboard input: the keys move the one highlight the pointer also moves (Tab through
// the visible list, the arrows within the item grid, Home and End), and Enter, Space, the page
// keys, Backspace, Alt+Left and Escape do what a click on the matching entry does.
// Core headers and platform/*.h only.
#include <cstdint>

#include "app/menu_app.h"
#include "menu/entry_order.h"
#include "menu/page_grid.h"
#include "platform/keys.h"
#include "platform/sound.h"
#include "res/resource_ids.h"

namespace {

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

  const ShownEntries shown(page);
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
      const size_t rows = static_cast<size_t>(GridOf(settings).rows);
      HighlightByKey(shown.entries[GridStep(at, shown.items, rows, key)]);
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
  const ShownEntries shown(page);
  const bool changed = sessionIndex != level || page.currentPage != shownPage;
  if (!changed && shown.Contains(page.hoveredItem)) return;
  // A new page or level starts on its first entry, without a sound of its own over the page
  // sound; the change repaints the whole window. An entry no longer shown gives way too.
  page.hoveredItem = shown.entries.empty() ? nullptr : shown.entries[0];
  if (changed) return;
  if (page.hoveredItem != nullptr) InvalidateEntry(*page.hoveredItem);
  InvalidateHint();
}
