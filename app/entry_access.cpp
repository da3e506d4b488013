// The accessibility view of the visible entries and the watch that reports its changes.
#include "app/entry_access.h"

#include <memory>
#include <new>
#include <vector>

#include "menu/entry_order.h"

namespace {

class EntryAccess : public WindowEvents, public AccessView {
 public:
  explicit EntryAccess(CMenuApp& app) : app_(app) { Remember(); }
  ~EntryAccess() override { SetAccessView(nullptr); }
  EntryAccess(const EntryAccess&) = delete;
  EntryAccess& operator=(const EntryAccess&) = delete;

  // --- AccessView ----------------------------------------------------------------------------
  // While a level is loaded (a message box may be up meanwhile) the list is being rebuilt: no
  // entries are shown then.
  size_t EntryCount() const override {
    return app_.busy != 0 ? 0 : ShownEntries(app_.page).entries.size();
  }

  bool EntryAt(size_t index, AccessEntry* entry) const override {
    if (app_.busy != 0) return false;
    const ShownEntries shown(app_.page);
    if (index >= shown.entries.size()) return false;
    const CMenuItem* item = shown.entries[index];
    const bool hinted = item->hint != nullptr && item->hint[0] != '\0';
    const char* button = PageButtonName(app_.page, item);
    if (button != nullptr) {
      entry->name = hinted ? item->hint : button;  // the hint says more than the short name
      entry->description = "";
    } else {
      entry->name = item->text != nullptr ? item->text : "";
      entry->description = hinted ? item->hint : "";
    }
    // The entry's rectangle includes its right and bottom bounds.
    entry->rect = Rect{item->left, item->top, item->right + 1, item->bottom + 1};
    // A click marks a page button too; only items are told as visited.
    entry->visited = button == nullptr && item->visited != 0;
    entry->highlighted = item == app_.page.hoveredItem;
    return true;
  }

  void Press(size_t index) override {
    if (app_.busy != 0) return;
    const ShownEntries shown(app_.page);
    if (index >= shown.entries.size()) return;
    app_.PressEntry(shown.entries[index]);
    Tell();
  }

  // --- WindowEvents: each handed to the application, then the changes told ------------------
  void OnCreate(WindowHandle created) override {
    app_.OnCreate(created);
    Tell();
  }
  void OnDestroy() override { app_.OnDestroy(); }
  void OnPaint(DrawTarget* target, const Rect* paintRect) override {
    app_.OnPaint(target, paintRect);
  }
  int OnClose() override { return Told(app_.OnClose()); }
  void OnEndSession(int ending) override { app_.OnEndSession(ending); }
  void DisplayChanged(int32_t bitsPerPixel, int32_t screenWidth, int32_t screenHeight) override {
    app_.DisplayChanged(bitsPerPixel, screenWidth, screenHeight);
  }
  int OnKey(uint32_t message, uintptr_t key, intptr_t flags) override {
    return Told(app_.OnKey(message, key, flags));
  }
  int OnCommand(int command) override { return Told(app_.OnCommand(command)); }
  int OnSysCommand(uintptr_t command) override { return Told(app_.OnSysCommand(command)); }
  void OnMouse(uint32_t message, uint32_t x, uint32_t y, uintptr_t keyState) override {
    app_.OnMouse(message, x, y, keyState);
    Tell();
  }
  void OnTimer(uintptr_t id) override {
    app_.OnTimer(id);
    Tell();
  }

 private:
  // What the backend was last told about.
  struct Shown {
    std::vector<const CMenuItem*> entries;
    int32_t level = -1;
    int32_t page = -1;
    const CMenuItem* highlight = nullptr;
  };

  Shown Now() const {
    const ShownEntries shown(app_.page);
    Shown now;
    now.entries.assign(shown.entries.begin(), shown.entries.end());
    now.level = app_.sessionIndex;
    now.page = app_.page.currentPage;
    now.highlight = shown.Contains(app_.page.hoveredItem) ? app_.page.hoveredItem : nullptr;
    return now;
  }

  void Remember() { told_ = Now(); }

  // Tells the backend what changed since it was last told. Another level may hold new items at
  // the addresses of freed ones, so the level and page count as well as the addresses.
  void Tell() {
    Shown now = Now();
    const bool entries =
        now.entries != told_.entries || now.level != told_.level || now.page != told_.page;
    const bool highlight = now.highlight != told_.highlight;
    told_ = std::move(now);
    if (app_.window == nullptr) return;
    if (entries) {
      AccessEntriesChanged(app_.window);
    } else if (highlight) {
      AccessHighlightChanged(app_.window);
    }
  }

  int Told(int result) {
    Tell();
    return result;
  }

  CMenuApp& app_;
  Shown told_;
};

std::unique_ptr<EntryAccess> watch;

}  // namespace

WindowEvents* WatchEntries(CMenuApp& app) {
  watch.reset();
  watch.reset(new (std::nothrow) EntryAccess(app));
  if (!watch) return &app;  // without memory for the watch: events reach app directly
  SetAccessView(watch.get());
  return watch.get();
}

const char* PageButtonName(const CMenuPage& page, const CMenuItem* entry) {
  if (entry == &page.forwardButton) return "Next page";
  if (entry == &page.backwardButton) return "Previous page";
  if (entry == &page.returnButton) return "Back";
  if (entry == &page.exitButton) return "Exit";
  return nullptr;
}
