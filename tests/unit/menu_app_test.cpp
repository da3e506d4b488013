// Tests of the application object's initialisation and its services for centring, cursors,
// sounds and repaint requests, on the headless backend.
#include "platform/sound.h"
#include "res/resource_ids.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

class MenuAppTest : public AppTest {};

TEST_F(MenuAppTest, InitializeLoadsCursorsWithoutShowingOne) {
  EXPECT_EQ(32, app_->screenDepth);
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
  for (CursorHandle cursor : {app_->waitCursor, app_->handCursor, app_->pressCursor}) {
    EXPECT_NE(nullptr, cursor);
    EXPECT_NE(app_->arrowCursor, cursor);
  }
  EXPECT_NE(nullptr, app_->page.exitButton.bitmap);
  EXPECT_EQ('.', app_->countrySuffix[0]);
  EXPECT_TRUE(HeadlessEvents().empty());
}

TEST_F(MenuAppTest, CenterWindowPlacesByTheOuterSize) {
  // Outer size = client + 6 wide, + 25 high; the screen is 1024 x 768.
  const int32_t cases[][4] = {{640, 480, 188, 131}, {1019, 480, -1, 131}, {2000, 1000, -491, -129}};
  for (const auto& c : cases) {
    SizeWindowForClient(window_, c[0], c[1]);
    HeadlessTakeEvents();
    app_->CenterWindow();
    const std::vector<HeadlessEvent> moves = EventsOf(Kind::Move);
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ(c[2], moves[0].x);
    EXPECT_EQ(c[3], moves[0].y);
  }
  CMenuApp without;  // no window: nothing happens
  HeadlessTakeEvents();
  without.CenterWindow();
  EXPECT_TRUE(HeadlessEvents().empty());
}

TEST_F(MenuAppTest, ChangeCursorShowsOnlyChanges) {
  app_->ChangeCursor(app_->arrowCursor);
  EXPECT_TRUE(HeadlessEvents().empty());
  app_->ChangeCursor(app_->handCursor);
  app_->ChangeCursor(app_->handCursor);
  const std::vector<HeadlessEvent> cursors = EventsOf(Kind::Cursor);
  ASSERT_EQ(1u, cursors.size());
  EXPECT_EQ(IDC_HAND, cursors[0].resourceId);
  EXPECT_EQ(app_->handCursor, app_->currentCursor);
}

TEST_F(MenuAppTest, PlayMenuSoundSkipsMissingFiles) {
  WriteText("enter.wav", "RIFF");
  const struct {
    const char* name;
    uint32_t flags;
    int result;
  } cases[] = {
      {"", 0, 0},      {"missing.wav", 0, 0},        {"missing.wav", SoundAsync, 0},
      {nullptr, 0, 0}, {"enter.wav", SoundAsync, 1}, {SoundResourceName(IDW_PAGE), 0x40005, 1},
  };
  for (const auto& c : cases) {
    HeadlessTakeEvents();
    EXPECT_EQ(c.result, app_->PlayMenuSound(c.name, c.flags));
    EXPECT_EQ(c.result == 1 ? 1u : 0u, EventsOf(Kind::Sound).size());  // missing: not asked
  }
}

TEST_F(MenuAppTest, RedrawWithEffectAsksForAWholeRepaint) {
  app_->RedrawWithEffect(3);
  EXPECT_EQ(3, app_->pendingEffect);
  const std::vector<HeadlessEvent> repaints = EventsOf(Kind::Invalidate);
  ASSERT_EQ(1u, repaints.size());
  EXPECT_TRUE(repaints[0].wholeArea);
}

}  // namespace
}  // namespace app_test
