// Tests of the headless backend: the screen and the one window with its off-screen surface,
// scripted message boxes, and the record of sounds, cursors and window requests.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/cursor.h"
#include "platform/draw.h"
#include "platform/headless/headless_control.h"
#include "platform/message_box.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "res/resource_ids.h"

namespace {

using Kind = HeadlessEvent::Kind;

class HeadlessTest : public testing::Test {
 protected:
  void SetUp() override { HeadlessReset(); }
  void TearDown() override { HeadlessReset(); }

  static std::vector<Kind> Kinds() {
    std::vector<Kind> kinds;
    for (const HeadlessEvent& event : HeadlessEvents()) kinds.push_back(event.kind);
    return kinds;
  }
};

TEST_F(HeadlessTest, MessageBoxesAreAnsweredFromTheQueueThenByDefault) {
  struct Case {
    unsigned style;
    int queued;  // 0: nothing queued
    int answer;
  } cases[] = {
      {MessageYesNo | MessageIconQuestion, ResultYes, ResultYes},
      {MessageYesNo | MessageIconQuestion, 0, ResultNo},
      {MessageOk | MessageIconError, 0, ResultOk},
      {MessageOk, ResultNo, ResultNo},  // the script is trusted
  };
  for (const Case& c : cases) {
    if (c.queued != 0) HeadlessQueueAnswer(c.queued);
    EXPECT_EQ(c.answer, ShowMessageBox(nullptr, "text", "caption", c.style));
  }
  const std::vector<HeadlessEvent> events = HeadlessTakeEvents();
  ASSERT_EQ(4u, events.size());
  EXPECT_EQ(MessageYesNo | MessageIconQuestion, events[1].style);
  EXPECT_EQ(ResultNo, events[1].result);
  EXPECT_TRUE(HeadlessEvents().empty());
}

TEST_F(HeadlessTest, MessageBoxesAreRecordedAsShown) {
  const WindowHandle window = HeadlessCreateWindow();
  ShowMessageBox(window, "Invalid bitmap file", "class CDib", MessageOk);
  ShowMessageBox(nullptr, nullptr, nullptr, MessageOk);  // as MessageBoxA: "Error", no text
  ShowMessageBox(nullptr, "", "", MessageOk);
  EXPECT_EQ((std::vector<std::string>{"class CDib|Invalid bitmap file", "Error|", "|"}),
            TakeShownMessages());
  EXPECT_TRUE(TakeShownMessages().empty());
  ASSERT_EQ(3u, HeadlessEvents().size());  // taking the messages keeps the record
  EXPECT_TRUE(HeadlessEvents()[0].hasOwner);
  EXPECT_FALSE(HeadlessEvents()[1].hasOwner);
}

TEST_F(HeadlessTest, ScreenIsConfigurable) {
  EXPECT_EQ(1024, ScreenWidth());
  EXPECT_EQ(768, ScreenHeight());
  DrawTarget* screen = GetWindowTarget(nullptr);
  EXPECT_EQ(32, TargetBitsPerPixel(screen));
  ReleaseWindowTarget(nullptr, screen);

  struct Case {
    int32_t width, height, depth;
    bool accepted;
  } cases[] = {{640, 480, 4, true},    {0, 480, 8, false},   {640, -1, 8, false},
               {100000, 10, 8, false}, {640, 480, 0, false}, {640, 480, 33, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.accepted, HeadlessConfigureScreen(c.width, c.height, c.depth));
  }
  EXPECT_EQ(640, ScreenWidth());
  EXPECT_EQ(480, ScreenHeight());
  screen = GetWindowTarget(nullptr);
  EXPECT_EQ(4, TargetBitsPerPixel(screen));
  ReleaseWindowTarget(nullptr, screen);
}

TEST_F(HeadlessTest, WindowIsSizedForItsClientAreaAndPlaced) {
  const WindowHandle window = HeadlessCreateWindow();
  EXPECT_EQ(window, HeadlessCreateWindow());
  EXPECT_FALSE(HeadlessWindow().visible);
  EXPECT_EQ(nullptr, HeadlessWindowSurface());

  SizeWindowForClient(window, 640, 480);
  HeadlessWindowState state = HeadlessWindow();
  EXPECT_EQ(640, state.clientWidth);
  EXPECT_FALSE(state.visible);  // sizing does not show
  ASSERT_NE(nullptr, HeadlessWindowSurface());
  EXPECT_EQ(640, HeadlessWindowSurface()->w);
  EXPECT_EQ(480, HeadlessWindowSurface()->h);

  MoveWindowToTop(window, -3, 40);
  Rect bounds{};
  ASSERT_EQ(1, GetWindowBounds(window, &bounds));
  EXPECT_EQ(-3, bounds.left);
  EXPECT_EQ(40, bounds.top);
  EXPECT_EQ(640 + 2 * kHeadlessFrameX, bounds.right - bounds.left);
  EXPECT_EQ(480 + kHeadlessFrameTop + kHeadlessFrameBottom, bounds.bottom - bounds.top);
  EXPECT_TRUE(HeadlessWindow().visible);  // moving to the top shows

  SetWindowCaption(window, "Quorel");
  SetWindowCaption(window, nullptr);
  EXPECT_EQ("", HeadlessWindow().caption);
  ShowWindowNow(window);
  const Rect area{1, 2, 11, 22};
  InvalidateArea(window, &area);
  InvalidateArea(window, nullptr);
  EXPECT_EQ((std::vector<Kind>{Kind::Size, Kind::Move, Kind::Caption, Kind::Caption, Kind::Show,
                               Kind::Invalidate, Kind::Invalidate}),
            Kinds());
  const std::vector<HeadlessEvent>& events = HeadlessEvents();
  EXPECT_EQ(640, events[0].width);
  EXPECT_EQ(-3, events[1].x);
  EXPECT_EQ("Quorel", events[2].text);
  EXPECT_EQ(10, events[5].width);
  EXPECT_EQ(20, events[5].height);
  EXPECT_FALSE(events[5].wholeArea);
  EXPECT_TRUE(events[6].wholeArea);
}

TEST_F(HeadlessTest, UnknownWindowsAreIgnored) {
  HeadlessCreateWindow();
  const WindowHandle stranger = reinterpret_cast<WindowHandle>(0x1234);
  Rect bounds{};
  EXPECT_EQ(0, GetWindowBounds(stranger, &bounds));
  EXPECT_EQ(nullptr, GetWindowTarget(stranger));
  SizeWindowForClient(stranger, 10, 10);
  SetWindowCaption(stranger, "x");
  EXPECT_TRUE(HeadlessEvents().empty());
}

TEST_F(HeadlessTest, WindowTargetDrawsOnTheClientSurfaceAndFollowsItsSize) {
  HeadlessConfigureScreen(800, 600, 16);
  const WindowHandle window = HeadlessCreateWindow();
  SizeWindowForClient(window, 20, 10);
  DrawTarget* target = GetWindowTarget(window);
  ASSERT_NE(nullptr, target);
  EXPECT_EQ(16, TargetBitsPerPixel(target));  // the screen's depth

  // Held across a resize, the target draws on the new client area.
  SizeWindowForClient(window, 40, 30);
  ImageHandle image = CreateImage(40, 30, 32, nullptr);
  DrawTarget* memory = CreateImageTarget(target);
  SelectImage(memory, image);
  SDL_FillRect(memory->surface, nullptr, 0x00FF00);
  EXPECT_EQ(1, BlitImage(target, 0, 0, 40, 30, memory, 0, 0));
  const auto* pixels = static_cast<const uint32_t*>(HeadlessWindowSurface()->pixels);
  EXPECT_EQ(0x00FF00u, pixels[0] & 0xFFFFFF);

  // Absurd sizes neither crash nor allocate; the request is still recorded.
  SizeWindowForClient(window, -5, 100000);
  EXPECT_EQ(100000, HeadlessEvents().back().height);
  EXPECT_EQ(nullptr, HeadlessWindowSurface());
  EXPECT_EQ(0, BlitImage(target, 0, 0, 40, 30, memory, 0, 0));

  // After the window is gone a held target draws on nothing and can still be released.
  HeadlessDestroyWindow();
  EXPECT_EQ(0, BlitImage(target, 0, 0, 40, 30, memory, 0, 0));
  ReleaseWindowTarget(window, target);
  DeleteImageTarget(memory);
  DeleteImage(image);
}

TEST_F(HeadlessTest, SoundsAreRecordedNotPlayed) {
  const std::string file = testing::TempDir() + "headless_sound.wav";
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(nullptr, out);
  std::fclose(out);
  struct Case {
    const char* name;
    uint32_t flags;
    int result;
    int resourceId;
  } cases[] = {
      {SoundResourceName(IDW_PAGE), SoundResource | SoundAsync, 1, IDW_PAGE},
      {SoundResourceName(IDW_CLICK), SoundResource, 1, IDW_CLICK},
      {SoundResourceName(140), SoundResource, 0, 140},  // no such sound
      {file.c_str(), SoundAsync, 1, 0},
      {"/nonexistent/leave.wav", 0, 0, 0},
      {nullptr, 0, 1, 0},  // stops what plays
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, PlaySoundNamed(c.name, c.flags));
  const std::vector<HeadlessEvent> events = HeadlessTakeEvents();
  ASSERT_EQ(std::size(cases), events.size());
  for (size_t i = 0; i < events.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Kind::Sound, events[i].kind);
    EXPECT_EQ(cases[i].flags, events[i].flags);
    EXPECT_EQ(cases[i].resourceId, events[i].resourceId);
    EXPECT_EQ(cases[i].result, events[i].result);
  }
  EXPECT_EQ(file, events[3].text);
  std::remove(file.c_str());
}

TEST_F(HeadlessTest, CursorsAreLoadedOnceAndEachShowingIsRecorded) {
  const CursorHandle hand = LoadCursorResource(IDC_HAND);
  ASSERT_NE(nullptr, hand);
  EXPECT_EQ(hand, LoadCursorResource(IDC_HAND));
  EXPECT_NE(nullptr, LoadCursorResource(IDC_PRESS));
  EXPECT_EQ(nullptr, LoadCursorResource(IDB_EXIT));
  const CursorHandle arrow = LoadStandardCursor(StandardCursor::Arrow);
  const CursorHandle wait = LoadStandardCursor(StandardCursor::Wait);
  EXPECT_NE(arrow, wait);

  ShowCursorShape(wait);
  ShowCursorShape(hand);
  ShowCursorShape(LoadCursorResource(IDC_PRESS));
  ShowCursorShape(arrow);
  ShowCursorShape(nullptr);
  const std::vector<HeadlessEvent> events = HeadlessTakeEvents();
  ASSERT_EQ(5u, events.size());
  const int shown[][2] = {{0, 2}, {IDC_HAND, 0}, {IDC_PRESS, 0}, {0, 1}, {0, 0}};
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(Kind::Cursor, events[i].kind);
    EXPECT_EQ(shown[i][0], events[i].resourceId);
    EXPECT_EQ(shown[i][1], events[i].standardCursor);
  }
}

}  // namespace
