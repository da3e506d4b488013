// CMenuPage: item list, page buttons, the column-and-page layout and the painting of entries
// and hint. Standard library, profile/ and platform/*.h only.
#include "menu/menu_page.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/geometry.h"
#include "res/resource_ids.h"

namespace {

// Width of the picture of a page button, and the room the layout gives each one.
constexpr int32_t kButtonWidth = 32;
constexpr int32_t kButtonHeight = 24;

}  // namespace

// Caption extents by font, measurer and text: a text's extent in a font never changes while the
// font lives, and a page is laid out again at every page turn and every apply. The handle
// stands for the font, so the cache must go when fonts are replaced (ForgetMeasures).
class CMenuPage::ExtentCache {
 public:
  // The extent kept for text in font with measure, or null.
  const TextExtent* Find(FontHandle font, MeasureTextFn measure, std::string_view text) {
    const auto kept = extents_.find(Key(font, measure, text));
    return kept != extents_.end() ? &kept->second : nullptr;
  }
  // Keeps extent for text in font with measure; past the budget the cache starts afresh.
  void Keep(FontHandle font, MeasureTextFn measure, std::string_view text,
            const TextExtent& extent) {
    const std::string& key = Key(font, measure, text);
    const size_t cost = kEntryBytes + key.size();
    if (cost > kBudget) return;
    if (bytes_ + cost > kBudget) {
      extents_.clear();
      bytes_ = 0;
    }
    extents_.emplace(key, extent);
    bytes_ += cost;
  }

 private:
  // Captions are a few hundred of some 30 bytes; this bounds a file of many long ones.
  static constexpr size_t kBudget = size_t{1} << 20;
  static constexpr size_t kEntryBytes = 80;  // what a hash node takes besides its key

  // The bytes of the font's handle and of the measurer, then the text; made in one string
  // whose room is kept, so that a look-up needs no new memory.
  const std::string& Key(FontHandle font, MeasureTextFn measure, std::string_view text) {
    const struct {
      FontHandle font;
      MeasureTextFn measure;
    } owner{font, measure};
    key_.assign(reinterpret_cast<const char*>(&owner), sizeof owner);
    return key_.append(text.data(), text.size());
  }

  std::unordered_map<std::string, TextExtent> extents_;
  std::string key_;
  size_t bytes_ = 0;
};

CMenuPage::MeasureTextFn CMenuPage::measureText = MeasureText;

CMenuPage::CMenuPage()
    : firstItem(nullptr),
      lastItem(nullptr),
      hoveredItem(nullptr),
      exitOrReturnButton(nullptr),
      firstVisible(nullptr),
      lastVisible(nullptr),
      itemCount(0),
      currentPage(0),
      itemStyle(),
      hintStyle(),
      titleStyle(),
      focusShown(0) {
  backwardButton.Clear();
  forwardButton.Clear();
  exitButton.Clear();
  returnButton.Clear();
}

CMenuPage::~CMenuPage() {
  ClearItems();
  backwardButton.Release();
  forwardButton.Release();
  exitButton.Release();
  returnButton.Release();
  currentPage = 0;
  FreeVisible();
}

int CMenuPage::InitButtons() {
  struct Button {
    CMenuItem* button;
    int resourceId;
    int32_t type;
  };
  const Button buttons[] = {
      {&backwardButton, IDB_BACKWARD, ItemPageBackward},
      {&forwardButton, IDB_FORWARD, ItemPageForward},
      {&exitButton, IDB_EXIT, ItemExitReturn},
      {&returnButton, IDB_RETURN, ItemExitReturn},
  };
  for (const Button& b : buttons) {
    // A second call replaces the pictures instead of leaking them.
    DeleteImage(b.button->bitmap);
    b.button->bitmap = LoadImageResource(b.resourceId);
    b.button->type = b.type;
    b.button->ReplaceString(&b.button->hint, kButtonHintSize);
  }
  return 1;
}

void CMenuPage::ClearItems() {
  // The visible list points into the item list; its items go first so that a paint during the
  // load that follows (a message box, a failed apply) never reaches a freed item. The page
  // buttons stay on it: they live as long as the page, and a level that cannot be shown must
  // still offer its way back.
  KeepVisible([this](const CMenuItem* entry) { return IsButton(entry); });
  CMenuItem* item = firstItem;
  while (item != nullptr) {
    CMenuItem* following = item->next;
    item->Release();
    delete item;
    item = following;
  }
  firstItem = nullptr;
  lastItem = nullptr;
  itemCount = 0;
  currentPage = 0;
  hoveredItem = nullptr;
  // Items go when another definition file is loaded, ahead of the new fonts.
  ForgetMeasures();
}

void CMenuPage::ForgetMeasures() { extents_.reset(); }

void CMenuPage::Measure(DrawTarget* dc, FontHandle font, const char* text, int32_t count,
                        TextExtent* extent) {
  // Without a font the text is measured in whatever the target has selected: nothing to key on.
  if (font == nullptr) {
    measureText(dc, text, count, extent);
    return;
  }
  const std::string_view key(text, count > 0 ? static_cast<size_t>(count) : 0);
  try {
    if (extents_ != nullptr) {
      if (const TextExtent* kept = extents_->Find(font, measureText, key)) {
        *extent = *kept;
        return;
      }
    }
    // Only a measurement that succeeded is kept: a failed one is asked again next time.
    if (measureText(dc, text, count, extent) == 0) return;
    if (extents_ == nullptr) extents_.reset(new ExtentCache());
    extents_->Keep(font, measureText, key, *extent);
  } catch (const std::bad_alloc&) {
    extents_.reset();  // no room to keep extents: measure every time
  }
}

int CMenuPage::AddItem(int32_t itemType, char* line, CProfile& profile) {
  CMenuItem* item = new (std::nothrow) CMenuItem();
  if (item == nullptr) return 0;
  item->Clear();
  // The parse result does not matter: an empty caption still takes its cell in the grid.
  item->ParseLine(itemType, line, profile);
  if (lastItem != nullptr) {
    lastItem->next = item;
  } else {
    firstItem = item;
  }
  lastItem = item;
  ++itemCount;
  return 0;
}

void CMenuPage::SetTextStyles(const TextStyle& item, const TextStyle& hint,
                              const TextStyle& title) {
  itemStyle = item;
  hintStyle = hint;
  titleStyle = title;
}

int CMenuPage::AppendVisible(CMenuItem* entry) {
  if (entry == nullptr) return 0;
  VisibleNode* node = new (std::nothrow) VisibleNode{entry, nullptr};
  if (node == nullptr) return 0;
  if (lastVisible != nullptr) {
    lastVisible->next = node;
  } else {
    firstVisible = node;
  }
  lastVisible = node;
  return 1;
}

bool CMenuPage::IsButton(const CMenuItem* entry) const {
  return entry == &backwardButton || entry == &forwardButton || entry == &exitButton ||
         entry == &returnButton;
}

template <typename Keep>
void CMenuPage::KeepVisible(Keep keep) {
  VisibleNode** link = &firstVisible;
  lastVisible = nullptr;
  while (*link != nullptr) {
    VisibleNode* node = *link;
    if (keep(node->entry)) {
      lastVisible = node;
      link = &node->next;
    } else {
      *link = node->next;
      delete node;
    }
  }
}

void CMenuPage::KeepExitOrReturnOnly() {
  // Where the page before had its exit or return button, the one in use now takes its place.
  const CMenuItem* placed = nullptr;
  for (const VisibleNode* node = firstVisible; node != nullptr; node = node->next) {
    if (node->entry == &exitButton || node->entry == &returnButton) placed = node->entry;
  }
  FreeVisible();
  hoveredItem = nullptr;
  if (placed == nullptr || exitOrReturnButton == nullptr) return;
  exitOrReturnButton->left = placed->left;
  exitOrReturnButton->top = placed->top;
  exitOrReturnButton->right = placed->right;
  exitOrReturnButton->bottom = placed->bottom;
  AppendVisible(exitOrReturnButton);
}

void CMenuPage::FreeVisible() {
  VisibleNode* node = firstVisible;
  while (node != nullptr) {
    VisibleNode* following = node->next;
    delete node;
    node = following;
  }
  firstVisible = nullptr;
  lastVisible = nullptr;
}

PageFrame PageFrameOf(const MenuSettings& settings, int32_t windowHeight, FontHandle font,
                      DrawTarget* dc) {
  PageFrame frame{};
  frame.left = settings.itemArea[0];
  frame.top = settings.itemArea[1];
  frame.right = settings.itemArea[2];
  frame.bottom = settings.itemArea[3];
  frame.windowHeight = windowHeight;
  frame.font = font;
  frame.dc = dc;
  frame.columns = settings.columns;
  frame.rowsPerColumn = settings.itemsPerColumn;
  return frame;
}

void CMenuPage::Layout(const PageFrame& frame, int32_t page) {
  if (itemCount == 0) return;

  const PageGrid grid = GridOf(frame.columns, frame.rowsPerColumn);
  // Only the bottom falls back to the window height; a right of 0 is used as given.
  const int32_t areaBottom = frame.bottom != 0 ? frame.bottom : frame.windowHeight;
  // N rows of items and the row of buttons share the height between top and bottom - top.
  // A bottom less than 2 * top gives a negative pitch: the rows then go upwards.
  const int32_t pitch = static_cast<int32_t>(Wrap(int64_t{areaBottom} - 2 * int64_t{frame.top}) /
                                             (int64_t{grid.rows} + 1));

  // A null font would not select; text is then measured in the target's current font.
  FontHandle previousFont = nullptr;
  if (frame.font != nullptr) previousFont = SelectFont(frame.dc, frame.font);

  FreeVisible();
  PlaceItems(frame, grid, pitch, page);
  PlaceButtons(frame, grid, Wrap(int64_t{frame.top} + int64_t{grid.rows} * pitch), page);

  if (frame.font != nullptr) SelectFont(frame.dc, previousFont);
}

void CMenuPage::PlaceItems(const PageFrame& frame, const PageGrid& grid, int32_t pitch,
                           int32_t page) {
  const int32_t columnWidth = Wrap(int64_t{frame.right} - frame.left + 1) / grid.columns;
  // Walk the items column by column and page by page; only page `page` gets rectangles, and
  // the walk stops once that page is complete.
  int32_t p = 0;
  int32_t column = 0;
  int32_t row = 0;
  int32_t x = frame.left;
  int32_t y = frame.top;
  for (CMenuItem* item = firstItem; item != nullptr; item = item->next) {
    if (p == page) {
      // A caption that expanded to nothing has no text: it measures as zero characters.
      const char* text = item->text != nullptr ? item->text : "";
      const int32_t count = item->text != nullptr && item->textLength > 0 ? item->textLength : 0;
      TextExtent extent{0, 0};
      Measure(frame.dc, frame.font, text, count, &extent);
      item->left = x;
      item->top = y;
      item->right = Wrap(int64_t{x} + extent.cx + 3);
      item->bottom = Wrap(int64_t{y} + extent.cy + 1);
      AppendVisible(item);
      y = Wrap(int64_t{y} + pitch);
    }
    if (++row < grid.rows) continue;
    row = 0;
    ++column;
    if (column < grid.columns) {
      x = Wrap(int64_t{frame.left} + int64_t{column} * columnWidth);
    } else {
      ++p;
      if (p > page) break;
      column = 0;
      x = frame.left;
    }
    y = frame.top;
  }
}

void CMenuPage::PlaceButtons(const PageFrame& frame, const PageGrid& grid, int32_t buttonTop,
                             int32_t page) {
  int32_t x = frame.left;
  if (exitOrReturnButton != nullptr) {
    CMenuItem* button = exitOrReturnButton;
    TextExtent extent{0, 0};
    Measure(frame.dc, frame.font, button->text != nullptr ? button->text : "", 0, &extent);
    button->left = frame.left;
    button->top = buttonTop;
    button->right = Wrap(int64_t{frame.left} + extent.cx + kButtonWidth + 2);
    // Never shorter than the picture, whatever an empty string measures.
    const int64_t height = int64_t{extent.cy} + 1;
    button->bottom = Wrap(int64_t{buttonTop} + (height >= kButtonHeight ? height : kButtonHeight));
    AppendVisible(button);
    x = Wrap(int64_t{button->right} + 9);
  }
  if (page > 0) {
    backwardButton.left = x;
    backwardButton.top = buttonTop;
    backwardButton.right = Wrap(int64_t{x} + kButtonWidth - 1);
    backwardButton.bottom = Wrap(int64_t{buttonTop} + kButtonHeight - 1);
    AppendVisible(&backwardButton);
  }
  // More items follow when a page after this one holds some.
  if (page < 0 || int64_t{page} + 1 < grid.PageCount(itemCount)) {
    // Its place does not depend on whether the backward button is shown.
    forwardButton.left = Wrap(int64_t{x} + 40);
    forwardButton.top = buttonTop;
    forwardButton.right = Wrap(int64_t{x} + 40 + kButtonWidth - 1);
    forwardButton.bottom = Wrap(int64_t{buttonTop} + kButtonHeight - 1);
    AppendVisible(&forwardButton);
  }
}

int CMenuPage::PaintItems(DrawTarget* dc, int32_t x, int32_t y, int32_t width, int32_t height) {
  const int32_t previousMode = SetBackgroundMode(dc, BackgroundTransparent);
  for (VisibleNode* node = firstVisible; node != nullptr; node = node->next) {
    CMenuItem* entry = node->entry;
    if (!entry->Intersects(x, y, width, height)) continue;
    entry->Paint(dc, itemStyle, PaintStateOf(*entry));
    if (FramesFocusOn(*entry)) DrawFocusFrame(dc, FocusFrameOf(*entry));
  }
  SetBackgroundMode(dc, previousMode);
  return 1;
}

Rect CMenuPage::FocusFrameOf(const CMenuItem& entry) {
  // A repaint of the entry names its bounds as they are, so the last column and row are not
  // repainted: the frame stays inside them, or a frame left behind would not be wiped.
  return Rect{entry.left, entry.top, entry.right, entry.bottom};
}

int32_t CMenuPage::PaintStateOf(const CMenuItem& entry) const {
  // The highlight wins over the visited mark.
  if (&entry == hoveredItem) return ItemStateHovered;
  return entry.visited ? ItemStateVisited : ItemStateNormal;
}

bool CMenuPage::FramesFocusOn(const CMenuItem& entry) const {
  return &entry == hoveredItem && focusShown != 0;
}

TextDraw CMenuPage::HintDraw(int32_t x, int32_t y, int32_t width, int32_t height) const {
  const char* hint = hoveredItem != nullptr ? hoveredItem->hint : nullptr;
  return TextDraw{hint, -1, Rect{x, y, Wrap(int64_t{x} + width - 1), Wrap(int64_t{y} + height - 1)},
                  (hintStyle.flags & StyleShadow) != 0};
}

void CMenuPage::PaintHint(DrawTarget* dc, int32_t x, int32_t y, int32_t width, int32_t height) {
  const TextDraw hint = HintDraw(x, y, width, height);
  if (hint.text == nullptr) return;
  const int32_t length = static_cast<int32_t>(std::strlen(hint.text));
  const int32_t previousMode = SetBackgroundMode(dc, BackgroundTransparent);
  ColorRef previousColour;
  if (hint.shadow) {
    previousColour = SetTextColour(dc, hintStyle.shadowColor);
    DrawTextIn(dc, hint.text, length, ShadowOf(hint.rect), TextWordBreak);
    SetTextColour(dc, hintStyle.color);
  } else {
    previousColour = SetTextColour(dc, hintStyle.color);
  }
  DrawTextIn(dc, hint.text, length, hint.rect, TextWordBreak);
  SetTextColour(dc, previousColour);
  SetBackgroundMode(dc, previousMode);
}
