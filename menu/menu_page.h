// CMenuPage: the items of the menu shown, its four page buttons, and the visible list of entries
// laid out on the current page. Standard library, profile/ and platform/*.h only.
#pragma once

#include <cstdint>
#include <memory>

#include "menu/page_grid.h"
#include "platform/draw.h"
#include "platform/handles.h"
#include "profile/menu_item.h"
#include "profile/menu_settings.h"
#include "profile/profile.h"

// What Layout places a page with: the item area (a bottom of 0 stands for the window height;
// left, top and right are used as given), the font and target captions are measured in, and the
// grid as the settings give it.
struct PageFrame {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  int32_t windowHeight;
  FontHandle font;
  DrawTarget* dc;
  int32_t columns;
  int32_t rowsPerColumn;
};

// The frame of settings (their item area and grid) over a background windowHeight high.
PageFrame PageFrameOf(const MenuSettings& settings, int32_t windowHeight, FontHandle font,
                      DrawTarget* dc);

// One entry placed on the current page, in drawing and hit-test order.
struct VisibleNode {
  CMenuItem* entry;  // an item of the page's list or one of its buttons; not owned
  VisibleNode* next;
};

class CMenuPage {
 public:
  // Bytes of each page button's hint buffer.
  static constexpr uint32_t kButtonHintSize = 256;

  // How Layout measures captions; MeasureText unless a test puts its own measurer here.
  using MeasureTextFn = int (*)(DrawTarget* target, const char* text, int32_t count,
                                TextExtent* extent);
  static MeasureTextFn measureText;

  // Empty item and visible lists, page 0, buttons cleared, nothing hovered or chosen.
  CMenuPage();
  // Frees the items, the buttons' hints and pictures, and the visible list.
  ~CMenuPage();

  CMenuPage(const CMenuPage&) = delete;
  CMenuPage& operator=(const CMenuPage&) = delete;

  // Sets up the four buttons (backward, forward, exit, return): picture from the program's
  // resources (null when missing), type, and an empty 256-byte hint buffer. Returns 1.
  int InitButtons();
  // Releases and frees every item; list empty, itemCount 0, currentPage 0, nothing hovered.
  // The items leave the visible list too, so nothing is left pointing at a freed item; the
  // page buttons on it and exitOrReturnButton stay. The extents Layout kept are forgotten with
  // the items.
  void ClearItems();
  // For a level that shows no items (none to lay out, or settings that failed to apply): the
  // visible list becomes exitOrReturnButton alone, at the rectangle of the exit or return
  // button that was on it, so the user can still go back or leave. Empty when neither was.
  void KeepExitOrReturnOnly();
  // Forgets the caption extents Layout measured. Layout keeps them by font handle, measurer
  // and text; a font deleted and another created at the same handle must be followed by
  // this call (or by ClearItems) before the next Layout.
  void ForgetMeasures();
  // Appends a record parsed from line (cut in place) to the item list. A line whose caption
  // expands to nothing still takes its place. Always returns 0.
  int AddItem(int32_t itemType, char* line, CProfile& profile);
  // Copies the three styles.
  void SetTextStyles(const TextStyle& item, const TextStyle& hint, const TextStyle& title);
  // Appends entry to the visible list: 1, or 0 for a null entry or a failed allocation.
  int AppendVisible(CMenuItem* entry);
  // Places the items of page and the page buttons below them in the frame's item area, in its
  // grid of cells measured in its font, and rebuilds the visible list. Does nothing at all when
  // there are no items.
  void Layout(const PageFrame& frame, int32_t page);

  // Draws every visible entry that meets the region x, y, width, height with itemStyle:
  // hovered in the highlight colour (with the focus frame once focusShown is set), else
  // visited in the selected colour. Returns 1.
  int PaintItems(DrawTarget* dc, int32_t x, int32_t y, int32_t width, int32_t height);
  // Draws the hovered entry's hint, word-wrapped, in the rectangle x, y, width, height.
  void PaintHint(DrawTarget* dc, int32_t x, int32_t y, int32_t width, int32_t height);

  // What the two paints draw, for them and for whoever must know what a paint will show: the
  // state an entry is painted in, whether the focus frame goes over it, and the hint drawn in
  // x, y, width, height (no text: none).
  int32_t PaintStateOf(const CMenuItem& entry) const;
  bool FramesFocusOn(const CMenuItem& entry) const;
  TextDraw HintDraw(int32_t x, int32_t y, int32_t width, int32_t height) const;

  CMenuItem* firstItem;  // owned list, linked through next
  CMenuItem* lastItem;
  CMenuItem* hoveredItem;  // not owned: an item or a button
  CMenuItem backwardButton;
  CMenuItem forwardButton;
  CMenuItem exitButton;
  CMenuItem returnButton;
  CMenuItem* exitOrReturnButton;  // &exitButton, &returnButton or null
  VisibleNode* firstVisible;      // owned nodes
  VisibleNode* lastVisible;
  int32_t itemCount;
  int32_t currentPage;
  TextStyle itemStyle;
  TextStyle hintStyle;
  TextStyle titleStyle;
  // 1 from the first key that moves the highlight: the hovered entry also carries a dotted
  // focus frame, so it is found when its highlight colour is its normal one. Never cleared.
  int32_t focusShown;

  // The rectangle the focus frame of entry is drawn on: inside the part of the entry that a
  // repaint of its rectangle covers (right and bottom exclusive).
  static Rect FocusFrameOf(const CMenuItem& entry);

 private:
  class ExtentCache;

  void FreeVisible();
  // Layout's two rows of work: the items of page, pitch pixels apart, column by column; then
  // the exit-or-return, backward and forward buttons in the row at buttonTop.
  void PlaceItems(const PageFrame& frame, const PageGrid& grid, int32_t pitch, int32_t page);
  void PlaceButtons(const PageFrame& frame, const PageGrid& grid, int32_t buttonTop, int32_t page);
  bool IsButton(const CMenuItem* entry) const;
  // Drops the visible nodes whose entry keep refuses, in place.
  template <typename Keep>
  void KeepVisible(Keep keep);
  // measureText's answer for text in font, from the cache when font is not null.
  void Measure(DrawTarget* dc, FontHandle font, const char* text, int32_t count,
               TextExtent* extent);

  std::unique_ptr<ExtentCache> extents_;
};
