// The menu program's preview: start-up without session or guard, the watch of the shown level's
// files, reloads that keep the place, and clicks printed. Core headers and platform/*.h only.
#include "app/menu_preview.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/entry_access.h"
#include "app/files_read.h"
#include "menu/definition_loader.h"
#include "menu/entry_order.h"
#include "menu/page_grid.h"
#include "platform/access.h"
#include "platform/app_shell.h"
#include "platform/copy_text.h"
#include "platform/file_system.h"
#include "platform/window.h"
#include "render/dib.h"
#include "render/transition.h"
#include "session/restart_recovery.h"

namespace {

constexpr char kSwitch[] = "--preview";
constexpr char kDefaultFile[] = "Quorel.ini";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// text as a JSON string: quotation marks, backslashes and control characters escaped; other
// bytes (UTF-8 inside the program) as they are.
std::string JsonText(const char* text) {
  if (text == nullptr) return "null";
  std::string json = "\"";
  for (const char* c = text; *c != '\0'; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += *c;
    } else if (byte < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      json += "\\u00";
      json += kHex[byte >> 4];
      json += kHex[byte & 15];
    } else {
      json += *c;
    }
  }
  return json + "\"";
}

// Which entry holds the highlight, by what survives a reload: an item's place in the list, or
// the button.
struct HighlightPlace {
  enum class Kind { kNone, kItem, kExit, kReturn, kForward, kBackward } kind = Kind::kNone;
  int32_t index = 0;
};

HighlightPlace PlaceOf(const CMenuPage& page, const CMenuItem* entry) {
  HighlightPlace place;
  if (entry == nullptr) return place;
  using Kind = HighlightPlace::Kind;
  if (entry == &page.exitButton) place.kind = Kind::kExit;
  if (entry == &page.returnButton) place.kind = Kind::kReturn;
  if (entry == &page.forwardButton) place.kind = Kind::kForward;
  if (entry == &page.backwardButton) place.kind = Kind::kBackward;
  if (place.kind != Kind::kNone) return place;
  int32_t index = 0;
  for (const CMenuItem* item = page.firstItem; item != nullptr; item = item->next, ++index) {
    if (item == entry) {
      place.kind = Kind::kItem;
      place.index = index;
    }
  }
  return place;
}

CMenuItem* EntryAt(CMenuPage& page, const HighlightPlace& place) {
  using Kind = HighlightPlace::Kind;
  switch (place.kind) {
    case Kind::kNone:
      return nullptr;
    case Kind::kExit:
      return &page.exitButton;
    case Kind::kReturn:
      return &page.returnButton;
    case Kind::kForward:
      return &page.forwardButton;
    case Kind::kBackward:
      return &page.backwardButton;
    case Kind::kItem:
      break;
  }
  CMenuItem* item = page.firstItem;
  for (int32_t i = 0; item != nullptr && i < place.index; ++i) item = item->next;
  return item;
}

}  // namespace

bool IsPreviewCommand(const char* commandLine, std::string* file) {
  if (commandLine == nullptr) return false;
  const char* text = commandLine;
  while (IsBlank(*text)) ++text;
  const size_t length = sizeof kSwitch - 1;
  if (std::strncmp(text, kSwitch, length) != 0) return false;
  if (text[length] != '\0' && !IsBlank(text[length])) return false;
  std::string rest(text + length);
  const size_t first = rest.find_first_not_of(" \t");
  rest = first == std::string::npos ? std::string() : rest.substr(first);
  const size_t last = rest.find_last_not_of(" \t");
  rest = last == std::string::npos ? std::string() : rest.substr(0, last + 1);
  if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
    rest = rest.substr(1, rest.size() - 2);
  }
  *file = rest.empty() ? kDefaultFile : rest;
  return true;
}

std::string StartLine(const ShellStart& start) {
  // The directory the shell would start in, made full: the current one when none is given.
  char directory[kPathSize];
  uint32_t length = 0;
  if (start.directory == nullptr) {
    length = GetCurrentDir(directory, kPathSize);
  } else {
    length = GetFullPath(start.directory, directory, kPathSize);
  }
  const bool formed = length > 0 && length < kPathSize;
  return std::string("{\"verb\":") + JsonText(start.verb) + ",\"target\":" + JsonText(start.file) +
         ",\"parameters\":" + JsonText(start.parameters) +
         ",\"directory\":" + JsonText(formed ? directory : start.directory) + "}";
}

MenuPreview::MenuPreview(CMenuApp& app, WindowEvents& inner, std::FILE* out, std::FILE* errors)
    : app_(app), inner_(inner), out_(out), errors_(errors) {
  app_.ReportStartsTo([this](const ShellStart& start) {
    std::fputs((StartLine(start) + "\n").c_str(), out_);
    std::fflush(out_);
  });
  // Nobody is asked: what a load finds is printed, as the checker prints it.
  app_.ReportFindingsTo([this](const LoadFinding& finding) { Report(finding); });
}

MenuPreview::~MenuPreview() {
  EndFileWatch(watch_);
  app_.ReportStartsTo(nullptr);
  app_.ReportFindingsTo(nullptr);
}

int MenuPreview::Open(const char* path) {
  char full[kPathSize];
  const uint32_t length = GetFullPath(path, full, kPathSize);
  if (length == 0 || length >= kPathSize) {
    Say(std::string(path) + ": cannot be made a full path");
    return 0;
  }
  const std::string text(full);
  const size_t separator = text.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
  openName_ = separator == std::string::npos ? text : text.substr(separator + 1);
  openFolder_ = separator == std::string::npos ? std::string(".") : text.substr(0, separator);
  // A drive's or the system's root keeps its separator.
  if (separator != std::string::npos && (separator == 0 || (separator == 2 && text[1] == ':')))
    openFolder_ = text.substr(0, separator + 1);
  if (!SetCurrentDir(openFolder_.c_str())) {
    Say(openFolder_ + ": cannot be made the current directory");
    return 0;
  }
  std::vector<LoadFinding> found;
  ChosenSections chosen;
  TryLoad(openName_.c_str(), &found, &chosen);
  const int shown = app_.OpenMenu(openName_.c_str(), openFolder_.c_str(), 1);
  if (!shown) Say(text + ": cannot be shown; waiting for the next save");
  Watch(chosen);
  return shown;
}

int MenuPreview::TryLoad(const char* file, std::vector<LoadFinding>* found,
                         ChosenSections* chosen) {
  CProfile profile(app_.profile.variant);
  profile.country = app_.profile.country;
  CMenuPage page;
  int32_t busy = 0;
  const FindingSink sink = [found](const LoadFinding& finding) { found->push_back(finding); };
  MenuSettings settings = CreateMenuSettings();
  const DefinitionLoad load{profile, page, busy, sink, appTitle, "", chosen};
  if (!LoadDefinitionFile(load, file, &settings)) return 0;
  CDib background;
  if (!background.LoadFromFile(settings.background, sink)) return 0;
  for (const LoadFinding& finding : *found) {
    if (finding.severity == Severity::kError) return 0;
  }
  return 1;
}

int MenuPreview::Reload() {
  if (app_.busy != 0) return 0;
  // Nothing shown yet: the first open again.
  if (app_.sessionIndex < 0 || app_.settings.loaded == 0) {
    if (openName_.empty()) return 0;
    return Open((openFolder_ + kPathSeparator + openName_).c_str());
  }
  char file[kPathSize];
  CopyText(file, sizeof file, app_.settings.fileName);
  std::vector<LoadFinding> found;
  ChosenSections chosen;
  if (!TryLoad(file, &found, &chosen)) {
    for (const LoadFinding& finding : found) Report(finding);
    Say(std::string(file) + ": cannot be read or shown as it is now; the last good state stays");
    return 0;
  }

  // The place as it is, by what outlives the items.
  CMenuPage& page = app_.page;
  const int32_t shownPage = page.currentPage;
  const HighlightPlace highlight = PlaceOf(page, page.hoveredItem);
  std::vector<uint8_t> visited;
  for (const CMenuItem* item = page.firstItem; item != nullptr; item = item->next)
    visited.push_back(item->visited);

  page.hoveredItem = nullptr;  // the items are about to go
  MenuSettings fresh = CreateMenuSettings();
  if (!app_.LoadDefinition(file, &fresh)) {
    Say(std::string(file) + ": changed while it was read; waiting for the next save");
    return 0;
  }
  size_t index = 0;
  for (CMenuItem* item = page.firstItem; item != nullptr && index < visited.size();
       item = item->next, ++index)
    item->visited = visited[index];
  // The page where it still exists, else the last one (pages are counted by rows, as turning
  // counts them).
  const int32_t rows = GridOf(fresh).rows;
  const int32_t lastPage = page.itemCount > 0 ? (page.itemCount - 1) / rows : 0;
  page.currentPage = shownPage < lastPage ? shownPage : lastPage;
  if (!app_.ApplySettings(&fresh, 0)) {
    Say(std::string(file) + ": changed while it was read; waiting for the next save");
    return 0;
  }
  CMenuItem* entry = EntryAt(page, highlight);
  page.hoveredItem = ShownEntries(page).Contains(entry) ? entry : nullptr;
  app_.RedrawWithEffect(EffectNone);
  AccessEntriesChanged(app_.window);
  Watch(chosen);
  return 1;
}

void MenuPreview::Tick() {
  if (app_.busy != 0) return;
  // A LINK item or the return button showed another level: its files are watched instead.
  if (LevelKey() != watchedLevel_) {
    std::vector<LoadFinding> found;
    ChosenSections chosen;
    TryLoad(app_.settings.fileName, &found, &chosen);
    Watch(chosen);
    pendingTicks_ = 0;
    return;
  }
  const bool changed = FilesChanged(watch_) != 0;
  if (changed) ++pendingTicks_;
  if (pendingTicks_ == 0 || (changed && pendingTicks_ < kBurstTicks)) return;
  pendingTicks_ = 0;
  Reload();
}

void MenuPreview::OnTimer(uintptr_t id) {
  if (id == kTimerId) {
    Tick();
    return;
  }
  inner_.OnTimer(id);
}

int MenuPreview::OnClose() {
  DestroyMainWindow(app_.window);
  return 1;
}

std::string MenuPreview::LevelKey() const {
  char directory[kPathSize];
  const uint32_t length = GetCurrentDir(directory, kPathSize);
  return std::to_string(app_.sessionIndex) + "\n" + app_.settings.fileName + "\n" +
         (length > 0 && length < kPathSize ? directory : "");
}

void MenuPreview::Watch(const ChosenSections& chosen) {
  std::vector<std::string> files;
  if (app_.sessionIndex >= 0 && app_.settings.loaded != 0) {
    files = FilesOfShownLevel(app_, chosen);
  } else if (!openName_.empty()) {
    files.push_back(openFolder_ + kPathSeparator + openName_);
  }
  watchedLevel_ = LevelKey();
  // The same files: the watch goes on, so nothing written meanwhile is missed.
  if (watch_ != nullptr && files == watched_) return;
  EndFileWatch(watch_);
  watch_ = StartFileWatch(files);
  watched_ = files;
  if (watch_ == nullptr) Say("the menu's files cannot be watched; changes are not followed");
}

void MenuPreview::Report(const LoadFinding& finding) {
  std::string text = finding.file + ":";
  if (finding.line > 0) text += std::to_string(finding.line) + ":";
  text += std::string(" ") + SeverityName(finding.severity) + ": " + finding.text;
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  Say(text);
}

void MenuPreview::Say(const std::string& text) {
  std::fputs(("quorel: preview: " + text + "\n").c_str(), errors_);
  std::fflush(errors_);
}

int PreviewMain(void* instance, const char* file, int showCommand) {
  KeepNoSession();
  RegisterMainClass(instance, windowClassName);
  appInstance = instance;
  CMenuApp& app = theApp;
  MenuPreview preview(app, *WatchEntries(app), stdout, stderr);
  SetWindowEvents(&preview);
  const WindowHandle window = CreateMainWindow(instance, windowClassName, appTitle);
  if (window == nullptr || !app.Initialize(instance, window)) {
    std::fputs("quorel: preview: the window cannot be made\n", stderr);
    SetWindowEvents(nullptr);
    return 0;
  }
  if (GetCurrentDir(startDirectory, sizeof startDirectory) >= sizeof startDirectory) {
    startDirectory[0] = '\0';
  }
  preview.Open(file);
  ShowWindowAs(window, showCommand);
  UpdateWindowNow(window);
  StartWindowTimer(window, MenuPreview::kTimerId, MenuPreview::kTickMs);
  const int exitCode = RunMessageLoop(instance);
  SetWindowEvents(nullptr);
  return exitCode;
}
