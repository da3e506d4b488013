// The session stack: opening and returning between levels with their working directories,
// the journal in the session file, and the openings that are refused.
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

class SessionStackTest : public TwoMenuTest {
 protected:
  void SetUp() override {
    TwoMenuTest::SetUp();
    WriteMenus("[global]\nEnterSound=enter.wav\n");
    WriteText((folder_ / "a" / "enter.wav").string(), "RIFF");
  }
};

TEST_F(SessionStackTest, OpenOpenReturnReturnThenTheExitQuestion) {
  fs::current_path(a_);
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", a_.c_str(), 1));
  EXPECT_EQ(0, app_->sessionIndex);
  EXPECT_EQ(0, app_->pendingEffect);
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", b_.c_str(), 0));
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", nullptr, 0));  // stays in b
  EXPECT_EQ(2, app_->sessionIndex);
  EXPECT_EQ(1, app_->pendingEffect);
  EXPECT_EQ(app_->page.exitOrReturnButton, &app_->page.returnButton);
  EXPECT_STREQ(a_.c_str(), app_->sessions[0].workingDirectory);
  EXPECT_STREQ(b_.c_str(), app_->sessions[1].workingDirectory);
  EXPECT_EQ("menu.ini," + a_, Journal(0));
  EXPECT_EQ("menu.ini," + b_, Journal(1));
  EXPECT_EQ("menu.ini," + b_, Journal(2));  // no directory given: the current one repeats
  // Only the first level opened at start-up plays its enter sound.
  int enterSounds = 0;
  for (const HeadlessEvent& sound : EventsOf(Kind::Sound)) enterSounds += sound.text == "enter.wav";
  EXPECT_EQ(1, enterSounds);

  fs::current_path(folder_);
  ASSERT_EQ(1, app_->ReturnMenu());
  EXPECT_EQ(b_, fs::current_path().string());
  EXPECT_EQ(2, app_->pendingEffect);
  EXPECT_EQ("", Journal(2));  // kept, empty
  ASSERT_EQ(1, app_->ReturnMenu());
  EXPECT_EQ(a_, fs::current_path().string());
  EXPECT_EQ(0, app_->sessionIndex);
  EXPECT_EQ(app_->page.exitOrReturnButton, &app_->page.exitButton);
  EXPECT_EQ("menu.ini," + a_, Journal(0));
  EXPECT_EQ("", Journal(1));

  HeadlessTakeEvents();
  EXPECT_EQ(0, app_->ReturnMenu());
  EXPECT_EQ(1u, EventsOf(Kind::CloseRequest).size());
  EXPECT_EQ(0, app_->sessionIndex);
}

TEST_F(SessionStackTest, RefusedOpeningsChangeNothing) {
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", a_.c_str(), 0));
  const std::string longName(260, 'n');
  const std::string longDirectory = a_ + "/" + std::string(260, 'd');
  const struct {
    const char* what;
    std::string file;
    const char* directory;
    int32_t index;
  } cases[] = {
      {"definition file text does not fit", longName, a_.c_str(), 0},
      {"directory text does not fit", "menu.ini", longDirectory.c_str(), 0},
      {"directory missing", "menu.ini", "missing-dir", 0},
      {"no room for the level left", "menu.ini", b_.c_str(), 16},
      {"definition file missing", "missing.ini", b_.c_str(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    app_->sessionIndex = c.index;
    fs::current_path(a_);
    EXPECT_EQ(0, app_->OpenMenu(c.file.c_str(), c.directory, 0));
    EXPECT_EQ(c.index, app_->sessionIndex);
    EXPECT_EQ("<none>", Journal(c.index + 1));
  }
  // A definition file that cannot be loaded leaves the given directory current.
  EXPECT_EQ(b_, fs::current_path().string());
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
}

TEST_F(SessionStackTest, FailuresAfterLoadingAndReturning) {
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", a_.c_str(), 0));
  // Settings that cannot be applied: the level has moved, no journal entry, wait cursor.
  fs::remove(folder_ / "b" / "quorel.bmp");
  EXPECT_EQ(0, app_->OpenMenu("menu.ini", b_.c_str(), 0));
  EXPECT_EQ(1, app_->sessionIndex);
  EXPECT_EQ("<none>", Journal(1));
  EXPECT_EQ(app_->waitCursor, app_->currentCursor);
  // The previous definition file deleted meanwhile: the level shown stays.
  fs::remove(folder_ / "a" / "menu.ini");
  EXPECT_EQ(0, app_->ReturnMenu());
  EXPECT_EQ(1, app_->sessionIndex);
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
}

}  // namespace
}  // namespace app_test
