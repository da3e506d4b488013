// Tests of ApplySettings and painting: hint and title rectangles, refused records, window size
// and caption, state colours read back from the window, repaints from the kept picture, display
// changes and bad input.
#include <algorithm>
#include <functional>

#include "platform/draw.h"
#include "platform/sound.h"
#include "tests/support/bmp_writer.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

constexpr ColorRef kBackground = 0x404040;
const std::string kOneItem = "item=Readme First,open,x,,,\n";
// Why a test of a display at another depth cannot run.
constexpr const char* kNoOtherDepths =
    "the drawing code shows only the real display's depth here (GDI under a true-colour screen)";

class CompositionTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WriteBitmap("quorel.bmp", 640, 480, kBackground);
  }
  int ApplyGlobal(const std::string& global, const std::string& menu = kOneItem) {
    WriteText("menu.ini", "[global]\n" + global + "\n[menu]\n" + menu);
    return LoadAndApply("menu.ini");
  }
  static std::vector<int32_t> Four(const int32_t* v) { return {v[0], v[1], v[2], v[3]}; }
  // x, y, width and height of r.
  static std::vector<int32_t> Extent(const Rect& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
};

TEST_F(CompositionTest, HintRectangle) {
  const struct {
    const char* keys;
    std::vector<int32_t> expected;
  } cases[] = {
      {"", {10, 453, 620, 19}},
      {"HintFontUnderline=1", {10, 452, 620, 20}},
      // HintEndX missing: one pixel past the right and bottom edges.
      {"HintStartX=30\nHintStartY=400\nHintEndY=470", {30, 400, 611, 81}},
      {"HintStartX=30\nHintStartY=400\nHintEndX=329\nHintEndY=419", {30, 400, 300, 20}},
      {"HintStartX=30\nHintStartY=400\nHintEndX=329", {10, 453, 620, 19}},  // no HintEndY
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    ASSERT_EQ(1, ApplyGlobal(c.keys));
    EXPECT_EQ(c.expected, Extent(app_->hintRect));
  }
}

TEST_F(CompositionTest, TitleRectangle) {
  for (int underline : {0, 1}) {
    // Three keys given: all four are computed and the given ones overwritten.
    ASSERT_EQ(1, ApplyGlobal("TitleFontSize=30\nTitleStartX=5\nTitleStartY=6\nTitleEndX=300\n"
                             "TitleFontUnderline=" +
                                 std::to_string(underline),
                             "title=Welcome Home\n"));
    FontHandle font = CreateFontFor(FontRequest{30, FontWeightNormal, 0, underline, 3});
    DrawTarget* target = GetWindowTarget(window_);
    SelectFont(target, font);
    TextExtent extent{0, 0};
    ASSERT_EQ(1, MeasureText(target, "Welcome Home", 12, &extent));
    SelectFont(target, nullptr);
    ReleaseWindowTarget(window_, target);
    DeleteFont(font);
    ASSERT_GT(extent.cx, 50);
    const int32_t left = (640 - extent.cx - 4) / 2;
    EXPECT_EQ((std::vector<int32_t>{left, 20, left + extent.cx + 3, extent.cy + 20 + underline}),
              Four(app_->settings.titleArea));
  }
  ASSERT_EQ(1, ApplyGlobal("TitleStartX=5\nTitleStartY=6\nTitleEndX=300\nTitleEndY=60"));
  EXPECT_EQ((std::vector<int32_t>{5, 6, 300, 60}), Four(app_->settings.titleArea));
}

TEST_F(CompositionTest, AppliedMenuSizesNamesAndShowsTheWindow) {
  EXPECT_EQ(0, Paint());  // nothing loaded yet
  WriteBitmap("wide.bmp", 700, 300, kBackground);
  ASSERT_EQ(1, ApplyGlobal("bkBitmap=wide.bmp\nDrawTitle=0", "title=Caption Only\n"));
  const HeadlessWindowState state = HeadlessWindow();
  EXPECT_EQ((std::vector<int32_t>{700, 300, 700, 300}),
            (std::vector<int32_t>{app_->bitmapWidth, app_->bitmapHeight, state.clientWidth,
                                  state.clientHeight}));
  EXPECT_TRUE(state.visible);
  EXPECT_EQ("Caption Only", state.caption);  // DrawTitle 0 still names the window
  const std::vector<HeadlessEvent> sounds = EventsOf(Kind::Sound);
  ASSERT_EQ(1u, sounds.size());
  EXPECT_EQ(141, sounds[0].resourceId);
  EXPECT_EQ(SoundResource | SoundAsync, sounds[0].flags);
  ASSERT_EQ(1, Paint());
  const int32_t* t = app_->settings.titleArea;
  EXPECT_EQ((t[2] - t[0]) * (t[3] - t[1]), CountPixels(Rect{t[0], t[1], t[2], t[3]}, kBackground));
  // A record stamped one short is refused without any visible change.
  HeadlessTakeEvents();
  MenuSettings record = settings_;
  record.recordSize = 2975;
  EXPECT_EQ(0, app_->ApplySettings(&record, 1));
  EXPECT_TRUE(HeadlessEvents().empty());
}

TEST_F(CompositionTest, UnreadableBackgroundIsReportedAndRefused) {
  ASSERT_EQ(1, ApplyGlobal(""));
  WriteText("broken.bmp", "not a bitmap at all, just text");
  // RLE8, 65,535 x 65,535 pixels in two colours from 2 MiB of runs: at 32 bits a 16 GiB
  // image, which no buffer may be asked for.
  quorel_test::BmpFile huge;
  huge.width = huge.height = 65535;
  huge.bitCount = 8;
  huge.compression = 1;
  huge.sizeImage = 4 << 20;
  huge.colorsUsed = 2;
  huge.table.assign(8, 0);
  for (int i = 0; i < 1 << 20; ++i) huge.pixels.insert(huge.pixels.end(), {0xFF, 1});
  quorel_test::WriteBmp("huge.bmp", huge);
  const std::string cases[][2] = {
      {"absent.bmp", "class CDib|File not found - " + (folder_ / "absent.bmp").string()},
      {"broken.bmp", "class CDib|Invalid bitmap file"},
      {"huge.bmp", "class CDib|Invalid bitmap file"},
  };
  for (const auto& c : cases) {
    TakeShownMessages();
    EXPECT_EQ(0, ApplyGlobal("bkBitmap=" + c[0]));
    EXPECT_EQ(std::vector<std::string>{c[1]}, TakeShownMessages());
    EXPECT_EQ(0, app_->busy);  // the menu shown still answers the pointer
    EXPECT_EQ(640, HeadlessWindow().clientWidth);
    // Taken by a sink (as the checker takes them), the same text comes as a record instead.
    std::vector<LoadFinding> found;
    app_->ReportFindingsTo([&](const LoadFinding& finding) { found.push_back(finding); });
    EXPECT_EQ(0, ApplyGlobal("bkBitmap=" + c[0]));
    app_->ReportFindingsTo(nullptr);
    EXPECT_TRUE(TakeShownMessages().empty());
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(c[1], "class CDib|" + found[0].text);
    EXPECT_EQ(
        c[0] == "absent.bmp" ? LoadFindingCode::kBitmapNotFound : LoadFindingCode::kBitmapInvalid,
        found[0].code);
  }
}

TEST_F(CompositionTest, EntriesAreDrawnInTheColourOfTheirState) {
  const ColorRef normal = 0x0000FF, highlight = 0x00FF00, selected = 0xFF0000;
  ASSERT_EQ(1, ApplyGlobal("ItemFontColor=255 0 0\nItemHighLightColor=0 255 0\n"
                           "ItemSelectedColor=0 0 255\nItemStartX=40\nItemStartY=100"));
  CMenuItem* item = app_->page.firstItem;
  const Rect area{item->left, item->top, item->right + 1, item->bottom + 1};
  // hovered, visited, colour expected; the pointer wins over the visited mark.
  const struct {
    bool hovered, visited;
    ColorRef expected;
  } cases[] = {{false, false, normal}, {false, true, selected}, {true, true, highlight}};
  for (const auto& c : cases) {
    app_->page.hoveredItem = c.hovered ? item : nullptr;
    item->visited = c.visited;
    ASSERT_EQ(1, Paint());
    for (ColorRef colour : {normal, highlight, selected})
      EXPECT_EQ(colour == c.expected, CountPixels(area, colour) > 20) << colour;
  }
  // A partial repaint beside the entry leaves it as it was; a pending effect copies everything.
  app_->page.hoveredItem = nullptr;
  item->visited = 0;
  ASSERT_EQ(1, Paint());
  ASSERT_EQ(1, ApplyGlobal("ItemFontColor=0 255 0\nItemStartX=40\nItemStartY=100"));
  const Rect beside{400, 300, 440, 340};
  ASSERT_EQ(1, Paint(&beside));
  EXPECT_EQ(0, CountPixels(area, highlight));
  app_->RedrawWithEffect(2);
  ASSERT_EQ(1, Paint(&beside));
  EXPECT_GT(CountPixels(area, highlight), 20);
  EXPECT_EQ(-1, app_->pendingEffect);
}

// Painting keeps its off-screen picture between paints and composes again only what changed.
// After each kind of change, repainting just the area the change asked for must leave the
// window as a fresh application object in the same state paints it whole.
TEST_F(CompositionTest, RepaintsAfterChangesMatchAFreshWholePaint) {
  WriteBitmap("small.bmp", 240, 160, kBackground);
  std::string menu = "title=Kept picture\n";
  for (int i = 0; i < 6; ++i) {
    menu += "item=Entry " + std::to_string(i) + ",open,x,,,Hint " + std::to_string(i) +
            " breaks over two lines\n";
  }
  const std::string look =
      "bkBitmap=small.bmp\nMenuItemColumons=2\nMenuItemsPerColumn=2\nItemStartX=10\n"
      "ItemStartY=30\nItemEndX=229\nItemEndY=150\nItemFontSize=14\nItemFontShadow=1\n"
      "ItemFontAntiAlias=1\nHintStartX=8\nHintStartY=124\nHintEndX=120\nHintEndY=158\n"
      "HintFontSize=12\nHintFontShadow=1\nHintFontAntiAlias=1\nDrawTitle=1\nTitleFontSize=20\n"
      "TitleFontShadow=1\nTitleFontAntiAlias=1\n";
  // A file of its own: the page and marks remembered for it (on Windows in the Windows
  // directory, which outlives the test) reach no other test, and are set back here.
  const auto apply = [&](const std::string& extra) {
    WriteText("kept.ini", "[global]\n" + look + extra + "[menu]\n" + menu);
    return LoadAndApply("kept.ini");
  };
  ASSERT_EQ(1, apply(""));
  app_->page.currentPage = 0;
  for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next)
    item->visited = 0;
  ASSERT_EQ(1, app_->ApplySettings(&app_->settings, 0));
  ASSERT_EQ(1, Paint());

  const auto visible = [this](int position) {
    VisibleNode* node = app_->page.firstVisible;
    for (int i = 0; node != nullptr && i < position; ++i) node = node->next;
    return node != nullptr ? node->entry : nullptr;
  };
  const auto pointTo = [this, &visible](int position) {
    const CMenuItem* entry = visible(position);
    ASSERT_NE(nullptr, entry) << "the page shows no entry " << position;
    app_->OnMouse(MessageMouseMove, static_cast<uint32_t>((entry->left + entry->right) / 2),
                  static_cast<uint32_t>((entry->top + entry->bottom) / 2), 0);
  };
  const struct {
    const char* change;
    std::function<void()> make;
  } steps[] = {
      {"pointer onto an entry", [&] { pointTo(0); }},
      {"pointer onto another entry", [&] { pointTo(3); }},
      {"pointer onto a page button", [&] { pointTo(5); }},
      {"pointer onto nothing", [&] { app_->OnMouse(MessageMouseMove, 1, 1, 0); }},
      {"an entry marked visited",
       [&] {
         CMenuItem* entry = visible(1);
         ASSERT_NE(nullptr, entry);
         entry->visited = 1;
         const Rect area{entry->left, entry->top, entry->right + 1, entry->bottom + 1};
         InvalidateArea(window_, &area);
       }},
      {"page turned",
       [&] {
         ASSERT_EQ(1, app_->TurnPage(1, &app_->settings));
         app_->RedrawWithEffect(3);
       }},
      {"pointer onto an entry of that page", [&] { pointTo(1); }},
      {"other colours applied",
       [&] {
         ASSERT_EQ(1, apply("ItemFontColor=255 255 0\n"));
         InvalidateArea(window_, nullptr);
       }},
      {"pointer onto an entry again", [&] { pointTo(2); }},
  };
  const auto window = [] {
    std::vector<ColorRef> pixels;
    for (int32_t y = 0; y < 160; ++y)
      for (int32_t x = 0; x < 240; ++x) pixels.push_back(HeadlessWindowPixel(x, y));
    return pixels;
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.change);
    HeadlessTakeEvents();
    step.make();
    // What was asked to be repainted, merged into one rectangle as the window system does.
    bool whole = false;
    Rect area{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const HeadlessEvent& event : EventsOf(Kind::Invalidate)) {
      whole = whole || event.wholeArea;
      area = Rect{std::min(area.left, event.x), std::min(area.top, event.y),
                  std::max(area.right, event.x + event.width),
                  std::max(area.bottom, event.y + event.height)};
    }
    ASSERT_TRUE(whole || area.left < area.right) << "nothing to repaint";
    ASSERT_EQ(1, Paint(whole ? nullptr : &area));
    const std::vector<ColorRef> repainted = window();

    CMenuApp fresh;
    fresh.profile.variant = app_->profile.variant;
    ASSERT_EQ(1, fresh.Initialize(nullptr, window_));
    MenuSettings record = CreateMenuSettings();
    ASSERT_EQ(1, fresh.LoadDefinition("kept.ini", &record));
    fresh.page.currentPage = app_->page.currentPage;
    ASSERT_EQ(1, fresh.ApplySettings(&record, 0));
    for (CMenuItem *mine = app_->page.firstItem, *theirs = fresh.page.firstItem;
         mine != nullptr && theirs != nullptr; mine = mine->next, theirs = theirs->next) {
      theirs->visited = mine->visited;
    }
    for (VisibleNode *mine = app_->page.firstVisible, *theirs = fresh.page.firstVisible;
         mine != nullptr && theirs != nullptr; mine = mine->next, theirs = theirs->next) {
      if (mine->entry == app_->page.hoveredItem) fresh.page.hoveredItem = theirs->entry;
    }
    DrawTarget* target = GetWindowTarget(window_);
    ASSERT_EQ(1, fresh.PaintWindow(target, nullptr));
    ReleaseWindowTarget(window_, target);
    const std::vector<ColorRef> expected = window();
    size_t differing = 0;
    for (size_t i = 0; i < expected.size(); ++i) differing += repainted[i] != expected[i];
    EXPECT_EQ(0u, differing);
  }
}

TEST_F(CompositionTest, DisplayChangeReadsTheBackgroundAgain) {
  ASSERT_EQ(1, ApplyGlobal(""));
  WriteBitmap("quorel.bmp", 500, 400, 0x102030);
  HeadlessTakeEvents();
  if (!HeadlessConfigureScreen(800, 600, 16)) GTEST_SKIP() << kNoOtherDepths;
  app_->DisplayChanged(16, 800, 600);
  EXPECT_EQ(16, app_->screenDepth);
  EXPECT_EQ(400, HeadlessWindow().clientHeight);
  const std::vector<HeadlessEvent> sounds = EventsOf(Kind::Sound);
  ASSERT_EQ(1u, sounds.size());
  EXPECT_EQ(141, sounds[0].resourceId);
  EXPECT_EQ(1u, EventsOf(Kind::Invalidate).size());
  ASSERT_EQ(1, Paint());
  EXPECT_EQ(1000, CountPixels(Rect{200, 300, 300, 310}, 0x102030));
}

TEST_F(CompositionTest, PaintPathsForEveryDepthAndRelease) {
  // At 16 colours the 95 family draws straight into the window and leaves the effect pending.
  const struct {
    int32_t depth;
    WindowsVariant variant;
    int32_t effectAfter;
  } cases[] = {{4, Variant98, 1}, {4, VariantXP, -1}, {8, VariantME, -1}, {16, Variant95, -1}};
  for (const auto& c : cases) {
    ASSERT_EQ(1, ApplyGlobal("ItemFontColor=255 0 0"));
    if (!HeadlessConfigureScreen(1024, 768, c.depth)) GTEST_SKIP() << kNoOtherDepths;
    app_->DisplayChanged(c.depth, 1024, 768);
    app_->profile.variant = c.variant;
    app_->RedrawWithEffect(1);
    ASSERT_EQ(1, Paint());
    EXPECT_EQ(10000, CountPixels(Rect{500, 300, 600, 400}, kBackground));
    EXPECT_EQ(c.effectAfter, app_->pendingEffect);
  }
}

TEST_F(CompositionTest, BackgroundLargerThanTheScreen) {
  ASSERT_TRUE(HeadlessConfigureScreen(320, 240, 32));
  CMenuApp small;
  ASSERT_EQ(1, small.Initialize(nullptr, window_));
  WriteText("menu.ini", "[menu]\n");
  MenuSettings record = CreateMenuSettings();
  ASSERT_EQ(1, small.LoadDefinition("menu.ini", &record));
  ASSERT_EQ(1, small.ApplySettings(&record, 1));
  DrawTarget* target = GetWindowTarget(window_);
  EXPECT_EQ(1, small.PaintWindow(target, nullptr));
  ReleaseWindowTarget(window_, target);
  EXPECT_EQ(100, CountPixels(Rect{630, 470, 640, 480}, kBackground));
  EXPECT_LT(HeadlessWindow().bounds.left, 0);  // centred on the small screen
}

TEST_F(CompositionTest, AbsurdGeometryAndFontSizesAreSurvived) {
  const char* cases[] = {
      "ItemFontSize=0\nHintFontSize=-5\nTitleFontSize=100000\nDrawTitle=1",
      "ItemFontSize=100000\nHintFontSize=2147483647\nTitleFontSize=-2147483648\nDrawTitle=1",
      "ItemStartX=-2000000000\nItemStartY=2000000000\nItemEndX=2147483647\nItemEndY=-5",
      "HintStartX=2147483647\nHintStartY=0\nHintEndY=-2147483648",
      "TitleStartX=-100000\nTitleStartY=-3\nTitleEndX=900000\nTitleEndY=900000\nDrawTitle=1",
      "MenuItemColumons=0\nMenuItemsPerColumn=-3\nTitleFontShadow=1\nHintFontShadow=1",
  };
  std::string items = "title=\nitem=,open,x\n";
  for (int i = 0; i < 40; ++i) items += "item=Entry " + std::to_string(i) + ",open,x,,,Hint\n";
  const Rect far{-2000000000, -2000000000, 2000000000, 2000000000};
  for (const char* keys : cases) {
    SCOPED_TRACE(keys);
    ASSERT_EQ(1, ApplyGlobal(keys, items));
    app_->page.hoveredItem = app_->page.firstItem;
    EXPECT_EQ(1, Paint());
    EXPECT_EQ(1, Paint(&far));
  }
}

}  // namespace
}  // namespace app_test
