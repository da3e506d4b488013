// Shared set-up of the application-object tests: a headless window, an initialised CMenuApp
// working in its own temporary folder, writers for definition and bitmap files, and two menus
// to open in sessions.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "menu/definition_loader.h"
#include "platform/file_system.h"
#include "platform/headless/headless_control.h"
#include "platform/profile_store.h"
#include "platform/window.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scratch_folder.h"

namespace app_test {

namespace fs = std::filesystem;
using Kind = HeadlessEvent::Kind;

// A 24-bit bottom-up .bmp filled with one colour (0x00BBGGRR).
inline void WriteBitmap(const std::string& path, int32_t width, int32_t height, ColorRef colour) {
  quorel_test::WriteBmp(path, quorel_test::SolidBmp(width, height, colour));
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Pixels of colour (0x00BBGGRR) in the client area's rectangle, right and bottom exclusive.
inline int CountPixels(const Rect& area, ColorRef colour) {
  const HeadlessWindowState window = HeadlessWindow();
  int count = 0;
  for (int32_t y = std::max(0, area.top); y < std::min(window.clientHeight, area.bottom); ++y) {
    for (int32_t x = std::max(0, area.left); x < std::min(window.clientWidth, area.right); ++x)
      count += HeadlessWindowPixel(x, y) == colour;
  }
  return count;
}

inline std::vector<HeadlessEvent> EventsOf(Kind kind) {
  std::vector<HeadlessEvent> found;
  for (const HeadlessEvent& event : HeadlessEvents())
    if (event.kind == kind) found.push_back(event);
  return found;
}

// The session file and reload program of a test go to folder, the log-on entry to the folder
// "config" beside it, for as long as the object lives. On Windows it is the Windows directory
// itself, the Wine prefix's under test.
class TestWindowsDirectory {
 public:
#ifdef _WIN32
  // The prefix's own Windows directory: a session file left there (its pages and marks under the
  // same temporary paths) must reach neither this test nor any program run after it.
  explicit TestWindowsDirectory(const fs::path&) { RemoveSessionFile(); }
  ~TestWindowsDirectory() { RemoveSessionFile(); }
  TestWindowsDirectory(const TestWindowsDirectory&) = delete;
  TestWindowsDirectory& operator=(const TestWindowsDirectory&) = delete;

 private:
  static void RemoveSessionFile() {
    char windows[260];
    const uint32_t length = GetWindowsDir(windows, sizeof windows);
    if (length > 0 && length < sizeof windows) {
      std::error_code ignored;
      fs::remove(fs::path(windows) / "quorel~.tmp", ignored);
    }
  }
#else
  // The log-on entry goes beside it, never into the user's own autostart folder.
  explicit TestWindowsDirectory(const fs::path& folder)
      : windir_("QUOREL_WINDIR", folder.string()),
        config_("XDG_CONFIG_HOME", (folder.parent_path() / "config").string()) {
    fs::create_directories(folder);
  }

 private:
  quorel_test::ScopedEnv windir_, config_;
#endif
};

// Each test works in a fresh folder that is also the current directory, and its session file
// stays in that folder.
class AppTest : public testing::Test {
 protected:
  void SetUp() override {
    HeadlessReset();
    previous_ = fs::current_path();
    // One folder for the fixture's life, emptied at each set-up (a test may set up again).
    if (!scratch_) scratch_.emplace("quorel_app_");
    folder_ = scratch_->path();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_))
      fs::remove_all(entry.path());
    fs::current_path(folder_);
    windowsDirectory_.emplace(folder_ / "windir");
    window_ = HeadlessCreateWindow();
    app_ = std::make_unique<CMenuApp>();
    app_->profile.variant = VariantOther;  // no section suffix unless a test asks
    ASSERT_EQ(1, app_->Initialize(nullptr, window_));
    HeadlessTakeEvents();
  }
  void TearDown() override {
    app_.reset();
    fs::current_path(previous_);
    windowsDirectory_.reset();
    HeadlessReset();
  }
  int Load(const std::string& file, ChosenSections* chosen = nullptr) {
    settings_ = CreateMenuSettings();
    return app_->LoadDefinition(file.c_str(), &settings_, chosen);
  }
  int LoadAndApply(const std::string& file) {
    return Load(file) == 1 && app_->ApplySettings(&settings_, 0) == 1 ? 1 : 0;
  }
  int Paint(const Rect* area = nullptr) {
    DrawTarget* target = GetWindowTarget(window_);
    const int result = app_->PaintWindow(target, area);
    ReleaseWindowTarget(window_, target);
    return result;
  }
  std::vector<std::string> ItemTexts() const {
    std::vector<std::string> texts;
    for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next)
      texts.push_back(item->text != nullptr ? item->text : "");
    return texts;
  }

  std::optional<quorel_test::ScratchFolder> scratch_;
  fs::path folder_, previous_;
  std::optional<TestWindowsDirectory> windowsDirectory_;
  WindowHandle window_ = nullptr;
  std::unique_ptr<CMenuApp> app_;
  MenuSettings settings_ = CreateMenuSettings();
};

// Two menus to open in sessions, in the folders a_ and b_ of the test's folder, and the values
// the session file keeps.
class TwoMenuTest : public AppTest {
 protected:
  // A background in each folder and a menu.ini of head followed by a [menu] titled a or b.
  void WriteMenus(const std::string& head) {
    for (const char* dir : {"a", "b"}) {
      fs::create_directories(folder_ / dir);
      WriteBitmap((folder_ / dir / "quorel.bmp").string(), 64, 48, 0x336699);
      WriteText((folder_ / dir / "menu.ini").string(), head + "[menu]\ntitle=" + dir + "\n");
    }
    a_ = (folder_ / "a").string();
    b_ = (folder_ / "b").string();
  }
  // The session file's [Config] value of key, "<none>" when it has none; Journal(n) is SessionN.
  static std::string Config(const std::string& key) {
    char value[1024];
    ReadProfileString("Config", key.c_str(), "<none>", value, sizeof value, "quorel~.tmp");
    return value;
  }
  static std::string Journal(int level) { return Config("Session" + std::to_string(level)); }

  std::string a_, b_;
};

}  // namespace app_test
