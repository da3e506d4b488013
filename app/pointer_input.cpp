// CMenuApp's pointer input: hover feedback, presses and clicks on the entries of the visible
// list, page turning, and what a clicked entry stands for (leave or go back, turn the page, open
// a menu level, hand a file to the shell). Core headers and platform/*.h only.
#include <cstdint>
#include <string>

#include "app/menu_app.h"
#include "menu/page_grid.h"
#include "platform/file_system.h"
#include "platform/geometry.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/web_address.h"
#include "platform/window.h"
#include "platform/window_events.h"
#include "render/transition.h"
#include "res/resource_ids.h"

namespace {

constexpr uint32_t kResourceAsync = SoundResource | SoundAsync;

// A copy that outlives the entry: opening a level frees the items, and the shell or a message
// box can dispatch messages that do.
struct OptionalText {
  explicit OptionalText(const char* text) : present(text != nullptr), value(present ? text : "") {}
  const char* get() const { return present ? value.c_str() : nullptr; }
  bool present;
  std::string value;
};

}  // namespace

void CMenuApp::OnMouse(uint32_t message, uint32_t x, uint32_t y, uintptr_t keyState) {
  (void)keyState;
  if (busy != 0) return;
  switch (message) {
    case MessageMouseMove: {
      // Coordinates come as the unsigned 16-bit halves of the message's parameter.
      const int32_t px = static_cast<int32_t>(x & 0xFFFF);
      const int32_t py = static_cast<int32_t>(y & 0xFFFF);
      CMenuItem* const old = page.hoveredItem;
      page.hoveredItem = nullptr;
      // The first entry of the list wins where rectangles overlap.
      CMenuItem* hit = nullptr;
      for (const VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
        if (node->entry != nullptr && node->entry->ContainsPoint(px, py) == 1) {
          hit = node->entry;
          break;
        }
      }
      if (hit != nullptr) {
        page.hoveredItem = hit;
        if (hit != old) {
          PlayMenuSound(SoundResourceName(IDW_HOVER), kResourceAsync);
          InvalidateEntry(*hit);
          ChangeCursor(handCursor);
          InvalidateHint();
        }
      } else {
        // Every move over no entry repaints the hint, whether or not anything changed.
        InvalidateHint();
        ChangeCursor(arrowCursor);
      }
      if (old != nullptr && old != page.hoveredItem) InvalidateEntry(*old);
      return;
    }
    case MessageButtonDown:
      if (currentCursor == handCursor) ChangeCursor(pressCursor);
      return;
    case MessageButtonUp:
      if (currentCursor == pressCursor && page.hoveredItem != nullptr) ClickEntry(page.hoveredItem);
      return;
    default:
      // A double click cannot come (the window class has none); any other message is not ours.
      return;
  }
}

int CMenuApp::ClickEntry(CMenuItem* entry) {
  if (entry == nullptr) return 0;
  // Marked (and saved) before the action, so the mark stays when the action fails, and when
  // what it starts restarts the computer.
  entry->visited = 1;
  SaveShownPageState();
  return ActivateItem(entry);
}

// An entry's rectangle is passed with its bounds as they are, so the repaint request (right and
// bottom exclusive) stops one short of the last column and row; captions and button pictures
// never reach them.
void CMenuApp::InvalidateEntry(const CMenuItem& entry) {
  const Rect area{entry.left, entry.top, entry.right, entry.bottom};
  InvalidateArea(window, &area);
}

void CMenuApp::InvalidateHint() {
  // The hint area as left, top, last column, last row.
  const Rect hint{hintRect.left, hintRect.top, Wrap(int64_t{hintRect.right} - 1),
                  Wrap(int64_t{hintRect.bottom} - 1)};
  InvalidateArea(window, &hint);
}

int CMenuApp::ActivateItem(CMenuItem* entry) {
  if (entry == nullptr) return 0;
  switch (entry->type) {
    case ItemExitReturn:
      // On the first level this asks the exit question; its result changes nothing here.
      ReturnMenu();
      ChangeCursor(arrowCursor);
      return 1;
    case ItemPageForward:
      if (TurnPage(+1, &settings) != 1) return 0;
      SaveShownPageState();
      PlayMenuSound(SoundResourceName(IDW_PAGE), kResourceAsync);
      RedrawWithEffect(EffectInterlace);
      // Rows per column alone, as the turn itself counts pages.
      ChangeCursor((int64_t{page.currentPage} + 1) * GridOf(settings).rows < page.itemCount
                       ? handCursor
                       : arrowCursor);
      return 1;
    case ItemPageBackward:
      if (TurnPage(-1, &settings) != 1) return 0;
      SaveShownPageState();
      PlayMenuSound(SoundResourceName(IDW_PAGE), kResourceAsync);
      RedrawWithEffect(EffectInterlace);
      ChangeCursor(page.currentPage != 0 ? handCursor : arrowCursor);
      return 1;
    default:
      break;
  }

  // A line with a caption only is a heading: clicking it does nothing at all.
  if (entry->target == nullptr) return 0;
  // A web address is no file: made a full path and looked for, it could only be "not found".
  if (!IsLinkVerb(entry->verb) && IsWebAddress(entry->target)) return OpenAddress(entry);

  // A relative target is taken from the current directory: the working directory of the level.
  char fullPath[kPathSize];
  const uint32_t length = GetFullPath(entry->target, fullPath, kPathSize);
  const bool formed = length > 0 && length < kPathSize;
  // A folder (a trailing separator) is handed on untested.
  const bool folder = formed && (fullPath[length - 1] == '\\' || fullPath[length - 1] == '/');
  if (!formed || (!folder && CProfile::FileHasData(fullPath) == 0)) {
    // A path that cannot be formed whole is named as written.
    const std::string text = std::string(formed ? fullPath : entry->target) + " - not found!";
    ShowMessageBox(window, text.c_str(), "Quorel", MessageIconError);
    return 0;
  }

  const OptionalText verb(entry->verb);
  const OptionalText parameters(entry->parameters);
  const OptionalText workDir(entry->workDir);
  // The entry may be gone from here on.
  if (IsLinkVerb(verb.get())) {
    OpenMenu(fullPath, workDir.get(), 0);
  } else {
    StartTarget(ShellStart{verb.get(), fullPath, parameters.get(), workDir.get()});
  }
  ChangeCursor(arrowCursor);
  // Played to its end before the click is over.
  PlayMenuSound(SoundResourceName(IDW_CLICK), SoundResource);
  return 1;
}

int CMenuApp::OpenAddress(CMenuItem* entry) {
  const OptionalText verb(entry->verb);
  const OptionalText address(entry->target);
  const OptionalText parameters(entry->parameters);
  const OptionalText workDir(entry->workDir);
  StartTarget(ShellStart{verb.get(), address.get(), parameters.get(), workDir.get()});
  ChangeCursor(arrowCursor);
  PlayMenuSound(SoundResourceName(IDW_CLICK), SoundResource);
  return 1;
}

void CMenuApp::StartTarget(const ShellStart& start) {
  if (starts_) {
    starts_(start);
    return;
  }
  OpenWithShell(window, start.verb, start.file, start.parameters, start.directory);
}

int CMenuApp::TurnPage(int32_t delta, MenuSettings* pageSettings) {
  if (pageSettings == nullptr) return 0;
  const int64_t next = int64_t{page.currentPage} + delta;
  // Rows per column alone, not the columns times rows the layout puts on a page.
  const int64_t first = next * GridOf(*pageSettings).rows;
  if (first >= page.itemCount || first < 0) return 0;
  const int32_t newPage = static_cast<int32_t>(next);
  DrawTarget* target = GetWindowTarget(window);
  page.Layout(PageFrameOf(*pageSettings, bitmapHeight, itemFont.get(), target), newPage);
  ReleaseWindowTarget(window, target);
  page.currentPage = newPage;
  return 1;
}
