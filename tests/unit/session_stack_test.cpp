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
  WriteText(a_ + "/menu.ini", "[menu]\ntitle=a\nitem=Readme,open,readme.txt\n");
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", a_.c_str(), 0));
  const int32_t exitLeft = app_->page.exitButton.left;
  const int32_t exitBottom = app_->page.exitButton.bottom;
  // Settings that cannot be applied: the level has moved, no journal entry, wait cursor.
  fs::remove(folder_ / "b" / "quorel.bmp");
  EXPECT_EQ(0, app_->OpenMenu("menu.ini", b_.c_str(), 0));
  EXPECT_EQ(1, app_->sessionIndex);
  EXPECT_EQ("<none>", Journal(1));
  EXPECT_EQ(app_->waitCursor, app_->currentCursor);
  // The user is not stranded: the return button alone answers the pointer, where the exit
  // button was, and it leads back to the level that was shown.
  CMenuItem& back = app_->page.returnButton;
  ASSERT_NE(nullptr, app_->page.firstVisible);
  EXPECT_EQ(&back, app_->page.firstVisible->entry);
  EXPECT_EQ(nullptr, app_->page.firstVisible->next);
  EXPECT_EQ(exitLeft, back.left);
  EXPECT_EQ(exitBottom, back.bottom);
  app_->OnMouse(MessageMouseMove, static_cast<uint32_t>((back.left + back.right) / 2),
                static_cast<uint32_t>((back.top + back.bottom) / 2), 0);
  app_->OnMouse(MessageButtonDown, 0, 0, 0);
  app_->OnMouse(MessageButtonUp, 0, 0, 0);
  EXPECT_EQ(0, app_->sessionIndex);
  EXPECT_EQ(a_, fs::current_path().string());
  EXPECT_EQ("", Journal(1));
  EXPECT_EQ(std::vector<std::string>{"Readme"}, ItemTexts());

  // A level without items keeps the way back too.
  WriteBitmap((folder_ / "b" / "quorel.bmp").string(), 64, 48, 0x336699);
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", b_.c_str(), 0));
  ASSERT_NE(nullptr, app_->page.firstVisible);
  EXPECT_EQ(&back, app_->page.firstVisible->entry);
  EXPECT_EQ(nullptr, app_->page.firstVisible->next);

  // The previous definition file deleted meanwhile: the level shown stays.
  fs::remove(folder_ / "a" / "menu.ini");
  EXPECT_EQ(0, app_->ReturnMenu());
  EXPECT_EQ(1, app_->sessionIndex);
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
}

}  // namespace
}  // namespace app_test
