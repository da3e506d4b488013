// The main window's events and the process entry on the headless backend: closing with the
// exit question, the clean-up at the end, painting without settings, commands, and start-up
// with its messages.
#include <SDL.h>

#include "app/process_entry.h"
#include "platform/app_shell.h"
#include "platform/copy_text.h"
#include "platform/window_events.h"
#include "platform/message_box.h"
#include "session/restart_recovery.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

class WindowEventsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetWindowEvents(app_.get());
    WriteBitmap("quorel.bmp", 64, 48, 0x336699);
    WriteText("Quorel.ini", "[global]\nLeaveSound=leave.wav\nExitTitle=Leave?\n[menu]\n");
    WriteText("leave.wav", "RIFF");
  }
  void TearDown() override {
    startDirectory[0] = '\0';
    AppTest::TearDown();
  }
  static std::vector<Kind> Kinds() {
    std::vector<Kind> kinds;
    for (const HeadlessEvent& event : HeadlessEvents()) kinds.push_back(event.kind);
    return kinds;
  }
};

TEST_F(WindowEventsTest, CloseAsksAndOnlyYesEndsWithTheCleanUp) {
  fs::create_directories(folder_ / "start");
  CopyText(startDirectory, sizeof startDirectory, (folder_ / "start").c_str());
  ASSERT_EQ(1, app_->OpenMenu("Quorel.ini", nullptr, 0));
  RegisterRestart(startDirectory);
  const fs::path sessionFile = folder_ / "windir" / "quorel~.tmp";
  const fs::path recovery[] = {sessionFile, folder_ / "windir" / "pindrel",
                               folder_ / "config" / "autostart" / "QuorelReload.desktop"};
  auto present = [&recovery] {
    int count = 0;
    for (const fs::path& path : recovery) count += fs::exists(path);
    return count;
  };
  ASSERT_EQ(3, present());

  HeadlessTakeEvents();
  EXPECT_EQ(0, app_->OnClose());  // unanswered: No
  EXPECT_EQ(std::vector<Kind>{Kind::MessageBox}, Kinds());
  EXPECT_EQ("Leave?", EventsOf(Kind::MessageBox)[0].caption);
  EXPECT_EQ(3, present());

  HeadlessTakeEvents();
  HeadlessQueueAnswer(ResultYes);
  EXPECT_EQ(1, app_->OnClose());
  // The leave sound to its end, then the destroy notification's clean-up.
  EXPECT_EQ((std::vector<Kind>{Kind::MessageBox, Kind::Sound, Kind::Quit, Kind::Destroy}), Kinds());
  EXPECT_EQ(0u, EventsOf(Kind::Sound)[0].flags);  // synchronous
  EXPECT_EQ(0, EventsOf(Kind::Quit)[0].result);
  EXPECT_EQ(0, present());
  EXPECT_EQ(folder_ / "start", fs::current_path());
}

TEST_F(WindowEventsTest, CommandsAndEndOfSession) {
  const struct {
    bool system;
    uintptr_t command;
    int handled;
    std::vector<Kind> kinds;
    uint32_t aboutKind;
  } cases[] = {
      {false, 104, 1, {Kind::AboutBox}, 0},
      {false, 105, 1, {Kind::CloseRequest, Kind::MessageBox}, 0},
      {false, 106, 0, {}, 0},
      {true, 104, 1, {Kind::AboutBox}, 1},
      {true, 0x10068, 0, {}, 0},  // only the whole value 104
      {true, 0xF060, 0, {}, 0},   // the system's own close goes to default processing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    HeadlessTakeEvents();
    const int handled =
        c.system ? app_->OnSysCommand(c.command) : app_->OnCommand(static_cast<int>(c.command));
    EXPECT_EQ(c.handled, handled);
    EXPECT_EQ(c.kinds, Kinds());
    for (const HeadlessEvent& about : EventsOf(Kind::AboutBox)) EXPECT_EQ(c.aboutKind, about.flags);
  }
  HeadlessTakeEvents();
  app_->OnEndSession(1);
  app_->OnKey(0x100, 'A', 0);
  EXPECT_TRUE(HeadlessEvents().empty());
  EXPECT_TRUE(HeadlessWindow().exists);
}

TEST_F(WindowEventsTest, PaintWithoutSettingsWritesTheErrorText) {
  SizeWindowForClient(window_, 400, 40);
  SDL_FillRect(HeadlessWindowSurface(), nullptr, 0x00FF00);
  DrawTarget* target = GetWindowTarget(window_);
  app_->OnPaint(target, nullptr);
  ReleaseWindowTarget(window_, target);
  // Black text on its white box from the top-left corner; the rest untouched.
  EXPECT_GT(CountPixels(Rect{0, 0, 200, 20}, 0x000000), 20);
  EXPECT_GT(CountPixels(Rect{0, 0, 200, 20}, 0xFFFFFF), 20);
  EXPECT_EQ(400 * 10, CountPixels(Rect{0, 30, 400, 40}, 0x00FF00));
}

class ProcessEntryTest : public WindowEventsTest {
 protected:
  void SetUp() override {
    WindowEventsTest::SetUp();
    HeadlessReset();  // no window yet: the entry makes it
    fresh_ = std::make_unique<CMenuApp>();
    fresh_->profile.variant = VariantOther;
    SetWindowEvents(fresh_.get());
  }
  std::unique_ptr<CMenuApp> fresh_;
};

TEST_F(ProcessEntryTest, StartUpForms) {
  const struct {
    const char* commandLine;
    int result;
    const char* message;  // "" when none
    int32_t sessionIndex;
  } cases[] = {
      {"", 1, "", 0},
      {"Quorel.ini,.", 1, "", 0},
      {"missing.ini,.", 0, "Quorel|Profile error - missing.ini", -1},
      {",.", 0, "Quorel|Profile error - ", -1},
      {"nowhere\\x.ini", 0, "Quorel|Profile error - .\\Quorel.ini", -1},
      {"--restore quorel~.tmp", 1, "", -1},  // no journal: the window shows the error text
      {"--restore ", 1, "", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    HeadlessReset();
    fresh_ = std::make_unique<CMenuApp>();
    fresh_->profile.variant = VariantOther;
    SetWindowEvents(fresh_.get());
    fs::current_path(folder_);
    RegisterRestart(startDirectory);  // left by an earlier run, with its journal
    for (const char* key : {"Session1", "Session2"})
      ASSERT_EQ(1, WriteProfileValue("Config", key, "old.ini,/gone", "quorel~.tmp"));
    EXPECT_EQ(c.result, InitInstance(*fresh_, nullptr, 1, c.commandLine, CommandLineRules::Linux));
    const std::vector<std::string> shown = TakeShownMessages();
    EXPECT_EQ(c.message[0] == '\0' ? 0u : 1u, shown.size());
    if (!shown.empty()) {
      EXPECT_EQ(c.message, shown[0]);
    }
    EXPECT_EQ(c.sessionIndex, fresh_->sessionIndex);
    EXPECT_EQ(c.result == 1, HeadlessWindow().visible);
    // A failed start runs the clean-up of a normal end.
    EXPECT_EQ(c.result == 0 ? 1u : 0u, EventsOf(Kind::DestroyNotice).size());
    EXPECT_EQ(c.result == 0 ? 1u : 0u, EventsOf(Kind::Quit).size());
    EXPECT_EQ(c.result == 1, fs::exists(folder_ / "windir" / "pindrel"));
    EXPECT_EQ(folder_.string(), startDirectory);
    // Every start begins a journal of its own: no level of the earlier run comes back.
    char value[64];
    for (const char* key : {"Session1", "Session2"}) {
      ReadProfileString("Config", key, "", value, sizeof value, "quorel~.tmp");
      EXPECT_STREQ("", value) << key;
    }
  }
}

TEST_F(ProcessEntryTest, AnotherCopyRunning) {
  HeadlessSetOtherCopyRunning(true);
  EXPECT_EQ(1, MenuMain(nullptr, "", 1, CommandLineRules::Linux));
  const std::vector<HeadlessEvent> boxes = EventsOf(Kind::MessageBox);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Quorel is already running!", boxes[0].text);
  EXPECT_FALSE(boxes[0].hasOwner);
  ASSERT_EQ(1u, EventsOf(Kind::Activate).size());
  EXPECT_EQ("QUOREL", EventsOf(Kind::Activate)[0].text);
  EXPECT_FALSE(HeadlessWindow().exists);
  EXPECT_TRUE(fs::is_empty(folder_ / "windir"));  // no file touched
}

}  // namespace
}  // namespace app_test
