// Checks of `quorel-tool check` on the laid-out window, measured with the fonts and layout the
// menu uses: captions wider than their column, hints that do not fit the hint area, entries
// that overlap or leave the background, title and hint areas outside it, pages no button
// reaches.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "menu/page_grid.h"
#include "platform/draw.h"
#include "platform/geometry.h"
#include "platform/window.h"
#include "tools/check_pass.h"

namespace {

// Pages laid out per level at most; more than this many cannot be told apart by an author.
constexpr int32_t kMaxPages = 256;

bool Outside(const CMenuItem& entry, int32_t width, int32_t height) {
  return entry.left < 0 || entry.top < 0 || entry.right > width - 1 || entry.bottom > height - 1;
}

bool Overlap(const CMenuItem& a, const CMenuItem& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

std::string ButtonName(const CMenuPage& page, const CMenuItem* entry) {
  if (entry == &page.exitButton) return "the exit button";
  if (entry == &page.returnButton) return "the return button";
  if (entry == &page.backwardButton) return "the previous-page button";
  return "the next-page button";
}

struct PlacedEntry {
  const CMenuItem* entry;
  int32_t index;  // in the item list; -1 for a button
};

void CheckPage(const LevelPass& pass, int32_t pageNumber, std::vector<PlacedEntry>* placed) {
  const CMenuPage& page = pass.app->page;
  const MenuSettings& settings = pass.app->settings;
  const int32_t width = pass.app->bitmapWidth;
  const int32_t height = pass.app->bitmapHeight;
  const PageGrid grid = GridOf(settings);
  const int32_t columns = grid.columns;
  const int32_t rows = grid.rows;
  const int32_t perPage = static_cast<int32_t>(std::min<int64_t>(grid.PerPage(), INT32_MAX));
  const int32_t left = settings.itemArea[0];
  const int32_t right = settings.itemArea[2];
  const int32_t columnWidth = Wrap(int64_t{right} - left + 1) / columns;
  const std::string& shown = pass.level->shown;

  placed->clear();
  int32_t onPage = 0;
  for (const VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
    const CMenuItem* entry = node->entry;
    const bool isItem = entry->type == ItemOrdinary;
    placed->push_back(PlacedEntry{
        entry, isItem ? static_cast<int32_t>(int64_t{pageNumber} * perPage + onPage) : -1});
    if (isItem) ++onPage;
  }

  for (size_t i = 0; i < placed->size(); ++i) {
    const PlacedEntry& at = (*placed)[i];
    const CMenuItem& entry = *at.entry;
    const bool isItem = at.index >= 0;
    const std::string name =
        isItem ? "item '" + ItemName(entry, at.index) + "'" : ButtonName(page, at.entry);
    const int line = isItem ? pass.ItemLine(at.index) : pass.SettingLine("ItemStartY");
    const std::string& file = isItem ? shown : pass.settingsShown;

    if (Outside(entry, width, height)) {
      pass.Add(file, line, Severity::kWarning, "outside-background",
               name + " at " + std::to_string(entry.left) + "," + std::to_string(entry.top) +
                   " lies partly outside the " + std::to_string(width) + " x " +
                   std::to_string(height) + " background");
    }
    // A caption runs out of its column when it reaches into the next one (or, for the last
    // column, past the item area's right edge when one is given).
    if (isItem && columnWidth > 0 && (columns > 1 || right > 0)) {
      const int32_t column = (at.index % perPage) / rows;
      const int64_t columnRight = int64_t{left} + (int64_t{column} + 1) * columnWidth - 1;
      const int64_t captionWidth = int64_t{entry.right} - entry.left - 3;
      if (entry.left + captionWidth - 1 > columnRight) {
        pass.Add(file, line, Severity::kWarning, "caption-too-wide",
                 name + " is " + std::to_string(captionWidth) + " pixels wide; its column has " +
                     std::to_string(columnRight - entry.left + 1));
      }
    }
    for (size_t j = 0; j < i; ++j) {
      const PlacedEntry& other = (*placed)[j];
      if (!Overlap(*other.entry, entry)) continue;
      const std::string otherName = other.index >= 0
                                        ? "item '" + ItemName(*other.entry, other.index) + "'"
                                        : ButtonName(page, other.entry);
      // Told at an item's line where there is one.
      const bool here = isItem || other.index < 0;
      std::string message = here ? name : otherName;
      message += " overlaps ";
      message += here ? otherName : name;
      pass.Add(here ? file : shown, here ? line : pass.ItemLine(other.index), Severity::kWarning,
               "overlap", std::move(message));
      break;
    }
  }
}

// Height the hint needs in the hint area's width, and its widest word.
void CheckHint(const LevelPass& pass, DrawTarget* target, const char* hint, const std::string& file,
               int line, const std::string& owner) {
  if (hint == nullptr || hint[0] == '\0') return;
  const RectExtent area = ExtentOf(pass.app->hintRect);
  // Painting draws into x .. x + width - 1 (exclusive), one pixel narrower and shorter.
  const int64_t width = int64_t{area.width} - 1;
  const int64_t height = int64_t{area.height} - 1;
  if (width <= 0 || height <= 0) return;
  // Far outside any surface: laid out and measured, nothing drawn.
  const int32_t far = -(1 << 28);
  const Rect rect{far, far, Wrap(int64_t{far} + width), Wrap(int64_t{far} + (1 << 26))};
  const int32_t needed = DrawTextIn(target, hint, -1, rect, TextWordBreak);
  std::string word;
  int32_t widest = 0;
  std::string widestWord;
  const std::string text(hint);
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at < text.size() && text[at] != ' ') {
      word += text[at];
      continue;
    }
    TextExtent extent{0, 0};
    if (!word.empty() &&
        MeasureText(target, word.c_str(), static_cast<int32_t>(word.size()), &extent) &&
        extent.cx > widest) {
      widest = extent.cx;
      widestWord = word;
    }
    word.clear();
  }
  if (widest > width) {
    pass.Add(file, line, Severity::kWarning, "hint-too-wide",
             "hint of " + owner + ": '" + widestWord + "' is " + std::to_string(widest) +
                 " pixels wide; the hint area has " + std::to_string(width));
  } else if (needed > height) {
    pass.Add(file, line, Severity::kWarning, "hint-too-wide",
             "hint of " + owner + " needs " + std::to_string(needed) +
                 " pixels of height; the hint area shows " + std::to_string(height));
  }
}

void CheckHints(const LevelPass& pass) {
  CMenuApp& app = *pass.app;
  DrawTarget* target = GetWindowTarget(app.window);
  const FontHandle previous = SelectFont(target, app.hintFont.get());
  int32_t index = 0;
  for (const CMenuItem* item = app.page.firstItem; item != nullptr; item = item->next, ++index) {
    CheckHint(pass, target, item->hint, pass.level->shown, pass.ItemLine(index),
              "item '" + ItemName(*item, index) + "'");
  }
  const struct {
    const CMenuItem* button;
    const char* key;
  } buttons[] = {
      {app.page.exitOrReturnButton,
       app.page.exitOrReturnButton == &app.page.returnButton ? "HintPageReturn" : "HintPageExit"},
      {&app.page.backwardButton, "HintPageBackward"},
      {&app.page.forwardButton, "HintPageForward"}};
  for (const auto& b : buttons) {
    if (b.button == nullptr) continue;
    CheckHint(pass, target, b.button->hint, pass.settingsShown, pass.SettingLine(b.key),
              ButtonName(app.page, b.button));
  }
  SelectFont(target, previous);
  ReleaseWindowTarget(app.window, target);
}

void CheckAreas(const LevelPass& pass) {
  const CMenuApp& app = *pass.app;
  const int32_t width = app.bitmapWidth;
  const int32_t height = app.bitmapHeight;
  const RectExtent hint = ExtentOf(app.hintRect);
  // Without HintEndX the hint area reaches one pixel past the edges by design; that pixel is
  // never drawn on.
  if (hint.x < 0 || hint.y < 0 || int64_t{hint.x} + hint.width - 1 > width ||
      int64_t{hint.y} + hint.height - 1 > height) {
    pass.Add(pass.settingsShown, pass.SettingLine("HintStartX"), Severity::kWarning,
             "outside-background",
             "the hint area " + std::to_string(hint.x) + "," + std::to_string(hint.y) + " " +
                 std::to_string(hint.width) + " x " + std::to_string(hint.height) +
                 " lies partly outside the " + std::to_string(width) + " x " +
                 std::to_string(height) + " background");
  }
  const MenuSettings& settings = app.settings;
  const int32_t* title = settings.titleArea;
  if (settings.drawTitle != 0 && settings.titleLength > 0 &&
      (title[0] < 0 || title[1] < 0 || title[2] > width || title[3] > height)) {
    pass.Add(pass.settingsShown, pass.SettingLine("TitleStartX"), Severity::kWarning,
             "outside-background",
             "the title area " + std::to_string(title[0]) + "," + std::to_string(title[1]) +
                 " to " + std::to_string(title[2]) + "," + std::to_string(title[3]) +
                 " lies partly outside the " + std::to_string(width) + " x " +
                 std::to_string(height) + " background");
  }
}

}  // namespace

void CheckLayout(LevelPass& pass) {
  CMenuApp& app = *pass.app;
  const MenuSettings& settings = app.settings;
  for (const char* key : {"MenuItemColumons", "MenuItemsPerColumn"}) {
    const int32_t value =
        std::string(key) == "MenuItemColumons" ? settings.columns : settings.itemsPerColumn;
    if (value < 1) {
      pass.Add(pass.settingsShown, pass.SettingLine(key), Severity::kWarning, "bad-value",
               std::string(key) + " is " + std::to_string(value) + "; the menu lays out 1");
    }
  }
  CheckAreas(pass);
  CheckHints(pass);

  CMenuPage& page = app.page;
  if (page.itemCount == 0) return;
  const int32_t pages = GridOf(settings).PageCount(page.itemCount);

  DrawTarget* target = GetWindowTarget(app.window);
  const PageFrame frame = PageFrameOf(settings, app.bitmapHeight, app.itemFont.get(), target);
  const int32_t shownPage = page.currentPage;
  std::vector<PlacedEntry> placed;
  for (int32_t p = 0; p < pages && p < kMaxPages; ++p) {
    page.Layout(frame, p);
    CheckPage(pass, p, &placed);
    if (p == 0 && pages > 1) {
      const CMenuItem& forward = page.forwardButton;
      if (Outside(forward, app.bitmapWidth, app.bitmapHeight)) {
        pass.Add(pass.settingsShown, pass.SettingLine("ItemStartY"), Severity::kWarning,
                 "unreachable-items",
                 "the next-page button lies outside the background, so only the first of " +
                     std::to_string(pages) + " pages can be reached");
      }
    }
  }
  page.Layout(frame, shownPage);
  ReleaseWindowTarget(app.window, target);
}
