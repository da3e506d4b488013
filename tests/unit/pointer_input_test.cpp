// Pointer input: the hover, press and release states with their cursors, sounds and repaints,
// and what a click on each kind of entry does (page buttons, exit and return, LINK, the shell,
// targets that are missing, headings).
#include <cstring>
#include <map>

#include "menu/page_state.h"
#include "platform/profile_store.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

constexpr uint32_t kMove = 0x200;
constexpr uint32_t kDown = 0x201;
constexpr uint32_t kUp = 0x202;
constexpr uint32_t kDoubleClick = 0x203;

// Seven items, two per page: pages [Run, Plain], [Sub, Missing], [Heading, Empty], [Folder].
constexpr const char* kMenu =
    "[global]\nMenuItemColumons=1\nMenuItemsPerColumn=2\nItemStartX=10\nItemStartY=10\n"
    "[menu]\ntitle=Pointer\n"
    "item=Run, open, target.txt, -a \"b c\" ;x, work\\dir, Runs it\n"
    "item=Plain, Print, plain.txt,\n"
    "item=Sub, LiNk, sub\\menu.ini,, sub, Opens the sub menu\n"
    "item=Missing, open, missing.txt,\n"
    "item=Heading\n"
    "item=Empty, open, empty.txt,\n"
    "item=Folder, explore, no-such-folder\\,\n";

class PointerInputTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    fs::create_directories(folder_ / "sub");
    fs::create_directories(folder_ / "work" / "dir");
    WriteBitmap((folder_ / "quorel.bmp").string(), 400, 300, 0x336699);
    WriteBitmap((folder_ / "sub" / "quorel.bmp").string(), 400, 300, 0x663399);
    WriteText((folder_ / "menu.ini").string(), kMenu);
    WriteText((folder_ / "sub" / "menu.ini").string(), "[menu]\ntitle=Sub\nitem=Deeper\n");
    for (const char* name : {"target.txt", "plain.txt"}) WriteText((folder_ / name).string(), "x");
    WriteText((folder_ / "empty.txt").string(), "");
    ASSERT_EQ(1, app_->OpenMenu("menu.ini", nullptr, 1));
    app_->busy = 0;
    app_->ChangeCursor(app_->arrowCursor);  // a level opened leaves the wait cursor
    HeadlessTakeEvents();
  }

  CMenuItem* Item(const char* caption) const {
    for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next)
      if (item->text != nullptr && std::strcmp(item->text, caption) == 0) return item;
    return nullptr;
  }
  void ShowPage(int32_t pageNumber) {
    if (app_->page.currentPage == pageNumber) return;
    ASSERT_EQ(1, app_->TurnPage(pageNumber - app_->page.currentPage, &app_->settings));
  }
  // A key of the shown file's page state, as the session file holds it.
  std::string Shown(const char* key) const {
    char file[CProfile::kPathSize];
    app_->profile.GetFile(file, sizeof file);
    char section[kPageStateKeySize];
    PageStateKey(file, section, sizeof section);
    char value[64];
    ReadProfileString(section, key, "<none>", value, sizeof value, "quorel~.tmp");
    return value;
  }
  void MoveTo(const CMenuItem& entry) {
    app_->OnMouse(kMove, static_cast<uint32_t>((entry.left + entry.right) / 2),
                  static_cast<uint32_t>((entry.top + entry.bottom) / 2), 0);
  }
  // Moves onto entry, presses and releases there.
  void Click(const CMenuItem& entry) {
    MoveTo(entry);
    app_->OnMouse(kDown, 0, 0, 0);  // the press and release use the hovered entry alone
    app_->OnMouse(kUp, 0, 0, 0);
  }
  Rect HintArea() const {
    const int32_t* h = app_->hintRect;
    return Rect{h[0], h[1], h[0] + h[2] - 1, h[1] + h[3] - 1};
  }
  // The recorded events as short words: cursors by name, sounds by number, repaints by the
  // entry (or the hint area) whose rectangle they name, and every other kind by its own word.
  std::string Describe(const std::vector<HeadlessEvent>& events) const {
    std::map<std::string, Rect> areas{{"hint", HintArea()}};
    for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next)
      if (item->text != nullptr)
        areas[item->text] = {item->left, item->top, item->right, item->bottom};
    areas["forward"] = {app_->page.forwardButton.left, app_->page.forwardButton.top,
                        app_->page.forwardButton.right, app_->page.forwardButton.bottom};
    std::string words;
    for (const HeadlessEvent& e : events) {
      std::string word;
      switch (e.kind) {
        case Kind::Cursor:
          word = e.resourceId == 136     ? "hand"
                 : e.resourceId == 138   ? "press"
                 : e.standardCursor == 1 ? "arrow"
                                         : "cursor?";
          break;
        case Kind::Sound:
          word = "sound" + std::to_string(e.resourceId);
          break;
        case Kind::Invalidate:
          word = "repaint?";
          for (const auto& [name, r] : areas)
            if (!e.wholeArea && e.x == r.left && e.y == r.top && e.width == r.right - r.left &&
                e.height == r.bottom - r.top)
              word = "repaint:" + name;
          if (e.wholeArea) word = "repaint:all";
          break;
        default:
          word = "other" + std::to_string(static_cast<int>(e.kind));
      }
      words += (words.empty() ? "" : " ") + word;
    }
    return words;
  }
  static std::string Journal(int level) {
    char value[600];
    const std::string key = "Session" + std::to_string(level);
    ReadProfileString("Config", key.c_str(), "<none>", value, sizeof value, "quorel~.tmp");
    return value;
  }
};

TEST_F(PointerInputTest, HoverPressAndReleaseFollowTheStateTable) {
  CMenuItem* run = Item("Run");
  CMenuItem* plain = Item("Plain");
  ASSERT_NE(nullptr, run);
  ASSERT_NE(nullptr, plain);
  ASSERT_FALSE(run->ContainsPoint(390, 5) || plain->ContainsPoint(390, 5));
  const struct {
    const char* what;
    uint32_t message;
    const CMenuItem* onto;  // null: a point on no entry
    bool otherPoint;        // a second point inside the same entry
    const char* events;
    const CMenuItem* hovered;
    CursorHandle CMenuApp::*cursor;
  } steps[] = {
      {"idle, over nothing: the hint repaints", kMove, nullptr, false, "repaint:hint", nullptr,
       &CMenuApp::arrowCursor},
      {"again over nothing: the hint repaints again", kMove, nullptr, false, "repaint:hint",
       nullptr, &CMenuApp::arrowCursor},
      {"button up while idle", kUp, nullptr, false, "", nullptr, &CMenuApp::arrowCursor},
      {"button down while idle", kDown, nullptr, false, "", nullptr, &CMenuApp::arrowCursor},
      {"onto an entry", kMove, run, false, "sound143 repaint:Run hand repaint:hint", run,
       &CMenuApp::handCursor},
      {"within the entry", kMove, run, true, "", run, &CMenuApp::handCursor},
      {"button up while over", kUp, run, false, "", run, &CMenuApp::handCursor},
      {"straight onto the next entry", kMove, plain, false,
       "sound143 repaint:Plain repaint:hint repaint:Run", plain, &CMenuApp::handCursor},
      {"button down", kDown, plain, false, "press", plain, &CMenuApp::pressCursor},
      {"button down again while pressed", kDown, plain, false, "", plain, &CMenuApp::pressCursor},
      {"within the pressed entry", kMove, plain, true, "", plain, &CMenuApp::pressCursor},
      {"a double click message", kDoubleClick, plain, false, "", plain, &CMenuApp::pressCursor},
      {"pressed onto another entry drops the press", kMove, run, false,
       "sound143 repaint:Run hand repaint:hint repaint:Plain", run, &CMenuApp::handCursor},
      {"button down", kDown, run, false, "press", run, &CMenuApp::pressCursor},
      {"pressed onto nothing drops the press", kMove, nullptr, false,
       "repaint:hint arrow repaint:Run", nullptr, &CMenuApp::arrowCursor},
      {"button up after the press was dropped", kUp, nullptr, false, "", nullptr,
       &CMenuApp::arrowCursor},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    uint32_t x = 390, y = 5;
    if (step.onto != nullptr) {
      x = static_cast<uint32_t>(step.otherPoint ? step.onto->left + 1
                                                : (step.onto->left + step.onto->right) / 2);
      y = static_cast<uint32_t>(step.otherPoint ? step.onto->bottom
                                                : (step.onto->top + step.onto->bottom) / 2);
    }
    app_->OnMouse(step.message, x, y, 0);
    EXPECT_EQ(step.events, Describe(HeadlessTakeEvents()));
    EXPECT_EQ(step.hovered, app_->page.hoveredItem);
    EXPECT_EQ(app_.get()->*step.cursor, app_->currentCursor);
  }
  EXPECT_EQ(0, run->visited);
  EXPECT_EQ(0, plain->visited);
}

TEST_F(PointerInputTest, InputWhileBusyOrOutsideTheListIsIgnored) {
  CMenuItem* run = Item("Run");
  app_->busy = 1;
  for (uint32_t message : {kMove, kDown, kUp}) app_->OnMouse(message, 390, 5, 0);
  MoveTo(*run);
  EXPECT_EQ("", Describe(HeadlessTakeEvents()));
  EXPECT_EQ(nullptr, app_->page.hoveredItem);
  app_->busy = 0;
  // Coordinates are 16-bit: bits above them do not count.
  app_->OnMouse(kMove, static_cast<uint32_t>(run->left) | 0x10000u,
                static_cast<uint32_t>(run->top) | 0x70000u, 0);
  EXPECT_EQ(run, app_->page.hoveredItem);
}

TEST_F(PointerInputTest, OverlappingEntriesGoToTheFirstListed) {
  CMenuItem* run = Item("Run");
  CMenuPage& page = app_->page;
  ASSERT_NE(nullptr, page.exitOrReturnButton);
  // Run made to cover the whole window: it wins over Plain and over the buttons listed after it.
  run->right = 399, run->bottom = 299;
  for (const CMenuItem* other : {Item("Plain"), page.exitOrReturnButton, &page.forwardButton}) {
    app_->OnMouse(kMove, static_cast<uint32_t>(other->left), static_cast<uint32_t>(other->top), 0);
    EXPECT_EQ(run, page.hoveredItem);
  }
}

TEST_F(PointerInputTest, PageButtonsTurnPages) {
  CMenuPage& page = app_->page;
  Click(page.forwardButton);
  EXPECT_EQ(1, page.currentPage);
  EXPECT_EQ(1, page.forwardButton.visited);
  EXPECT_EQ(3, app_->pendingEffect);
  // More pages follow, so the hand stays and the next click turns again without a move.
  EXPECT_EQ("sound143 repaint:forward hand repaint:hint press sound141 repaint:all hand",
            Describe(HeadlessTakeEvents()));
  EXPECT_EQ(std::vector<std::string>({"Sub", "Missing"}),
            std::vector<std::string>(
                {page.firstVisible->entry->text, page.firstVisible->next->entry->text}));
  app_->OnMouse(kDown, 0, 0, 0);
  app_->OnMouse(kUp, 0, 0, 0);
  app_->OnMouse(kDown, 0, 0, 0);
  app_->OnMouse(kUp, 0, 0, 0);
  EXPECT_EQ(3, page.currentPage);
  // The last page: the arrow, so a further click does nothing.
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
  app_->OnMouse(kDown, 0, 0, 0);
  app_->OnMouse(kUp, 0, 0, 0);
  EXPECT_EQ(3, page.currentPage);

  HeadlessTakeEvents();
  Click(page.backwardButton);
  EXPECT_EQ(2, page.currentPage);
  EXPECT_EQ(app_->handCursor, app_->currentCursor);  // page 2 is not the first
  ShowPage(1);
  app_->ChangeCursor(app_->pressCursor);
  page.hoveredItem = &page.backwardButton;
  app_->OnMouse(kUp, 0, 0, 0);
  EXPECT_EQ(0, page.currentPage);
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
}

TEST_F(PointerInputTest, RefusedPageTurnsChangeNothing) {
  CMenuPage& page = app_->page;
  const struct {
    int32_t page;
    CMenuItem* button;
    int32_t delta;
  } cases[] = {{0, &page.backwardButton, -1}, {3, &page.forwardButton, +1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.delta);
    ShowPage(c.page);
    const VisibleNode* const shown = page.firstVisible;
    EXPECT_EQ(0, app_->TurnPage(c.delta, &app_->settings));
    EXPECT_EQ(shown, page.firstVisible);
    app_->ChangeCursor(app_->pressCursor);
    app_->pendingEffect = -1;
    HeadlessTakeEvents();
    EXPECT_EQ(0, app_->ActivateItem(c.button));
    // No sound, no repaint, and the press stays.
    EXPECT_EQ("", Describe(HeadlessTakeEvents()));
    EXPECT_EQ(-1, app_->pendingEffect);
    EXPECT_EQ(c.page, page.currentPage);
  }
}

TEST_F(PointerInputTest, ExitOnTheFirstLevelAndReturnOnADeeperOne) {
  CMenuPage& page = app_->page;
  ASSERT_EQ(&page.exitButton, page.exitOrReturnButton);
  Click(page.exitButton);
  EXPECT_EQ(1u, EventsOf(Kind::CloseRequest).size());
  EXPECT_EQ(0, app_->sessionIndex);
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);

  ShowPage(1);
  Click(*Item("Sub"));
  ASSERT_EQ(1, app_->sessionIndex);
  ASSERT_EQ(&page.returnButton, page.exitOrReturnButton);
  HeadlessTakeEvents();
  Click(page.returnButton);
  EXPECT_EQ(0, app_->sessionIndex);
  EXPECT_EQ(folder_, fs::current_path());
  EXPECT_EQ(2, app_->pendingEffect);
  EXPECT_EQ(0u, EventsOf(Kind::CloseRequest).size());
  EXPECT_EQ("", Journal(1));
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
}

TEST_F(PointerInputTest, LinkOpensANewLevelInItsWorkingDirectory) {
  ShowPage(1);
  Click(*Item("Sub"));  // verb written "LiNk"
  ASSERT_EQ(1, app_->sessionIndex);
  EXPECT_EQ(folder_ / "sub", fs::current_path());
  EXPECT_EQ(std::vector<std::string>{"Deeper"}, ItemTexts());
  // The level's file by its full path, with the directory as the item gives it.
  EXPECT_EQ((folder_ / "sub" / "menu.ini").string() + ",sub", Journal(1));
  EXPECT_EQ(1, app_->pendingEffect);
  EXPECT_EQ(0u, EventsOf(Kind::Shell).size());
  // No enter sound for a level opened by a click; the click sound plays to its end.
  const std::vector<HeadlessEvent> sounds = EventsOf(Kind::Sound);
  ASSERT_FALSE(sounds.empty());
  EXPECT_EQ(139, sounds.back().resourceId);
  EXPECT_EQ(0x40004u, sounds.back().flags);
  EXPECT_EQ(app_->arrowCursor, app_->currentCursor);
}

TEST_F(PointerInputTest, OrdinaryItemsGoToTheShellWithTheirFullPath) {
  const struct {
    const char* caption;
    int32_t page;
    std::optional<std::string> verb;
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    const char* selected;  // the marks saved so far
  } cases[] = {
      {"Run", 0, "open", "target.txt", "-a \"b c\" ;x", "work\\dir", "1"},
      {"Plain", 0, "Print", "plain.txt", std::nullopt, std::nullopt, "3"},
      // A folder is not looked for: it is handed on even when missing.
      {"Folder", 3, "explore", "no-such-folder/", std::nullopt, std::nullopt, "43"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    ShowPage(c.page);
    CMenuItem* item = Item(c.caption);
    HeadlessTakeEvents();
    Click(*item);
    EXPECT_EQ(1, item->visited);
    const std::vector<HeadlessEvent> events = HeadlessTakeEvents();
    std::vector<const HeadlessEvent*> shells;
    for (const HeadlessEvent& e : events)
      if (e.kind == Kind::Shell) shells.push_back(&e);
    ASSERT_EQ(1u, shells.size());
    EXPECT_EQ(c.verb, shells[0]->verb);
    EXPECT_EQ((folder_ / c.file).string(), shells[0]->file);
    EXPECT_EQ(c.parameters, shells[0]->parameters);
    EXPECT_EQ(c.directory, shells[0]->directory);
    EXPECT_TRUE(shells[0]->hasOwner);
    // The shown level's page and marks are in the session file at once: what was started
    // may restart the computer.
    EXPECT_EQ(std::to_string(c.page), Shown("Page"));
    EXPECT_EQ(c.selected, Shown("Selected"));
    // Then the arrow and the click sound, played to its end.
    EXPECT_EQ("arrow sound139", Describe({events.end() - 2, events.end()}));
    EXPECT_EQ(0x40004u, events.back().flags);
    EXPECT_EQ(folder_, fs::current_path());
    // Still hovered but idle: a click without leaving the item first does nothing.
    app_->OnMouse(kDown, 0, 0, 0);
    app_->OnMouse(kUp, 0, 0, 0);
    EXPECT_TRUE(HeadlessTakeEvents().empty());
  }
}

TEST_F(PointerInputTest, TargetsThatCannotBeOpenedAreReportedEachTime) {
  const struct {
    const char* caption;
    int32_t page;
    std::string file;
  } cases[] = {{"Missing", 1, "missing.txt"}, {"Empty", 2, "empty.txt"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    ShowPage(c.page);
    CMenuItem* item = Item(c.caption);
    TakeShownMessages();
    Click(*item);
    EXPECT_EQ(1, item->visited);
    EXPECT_EQ(app_->pressCursor, app_->currentCursor);
    // The press stays: releasing again reports again.
    app_->OnMouse(kUp, 0, 0, 0);
    const std::string expected = "Quorel|" + (folder_ / c.file).string() + " - not found!";
    EXPECT_EQ(std::vector<std::string>({expected, expected}), TakeShownMessages());
    const std::vector<HeadlessEvent> boxes = EventsOf(Kind::MessageBox);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(0x10u, boxes.back().style);
    EXPECT_TRUE(boxes.back().hasOwner);
    EXPECT_TRUE(EventsOf(Kind::Shell).empty());
  }
}

TEST_F(PointerInputTest, HeadingsAndUnformablePathsNeverReachTheShell) {
  ShowPage(2);
  CMenuItem* heading = Item("Heading");
  HeadlessTakeEvents();
  Click(*heading);
  EXPECT_EQ("sound143 repaint:Heading hand repaint:hint press", Describe(HeadlessTakeEvents()));
  EXPECT_EQ(0, app_->ActivateItem(heading));
  EXPECT_TRUE(HeadlessTakeEvents().empty());

  // Items made by hand: a target too long for a full path, and a target with no verb.
  const std::string longName(300, 'n');
  const struct {
    const char* what;
    std::string target;
    int result;
    const char* message;  // null: handed to the shell
  } cases[] = {
      {"too long for the path buffer", longName, 0, "too long"},
      {"no verb at all", "target.txt", 1, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CMenuItem item;
    item.ReplaceString(&item.target, static_cast<uint32_t>(c.target.size() + 1));
    std::memcpy(item.target, c.target.c_str(), c.target.size() + 1);
    TakeShownMessages();
    HeadlessTakeEvents();
    EXPECT_EQ(c.result, app_->ActivateItem(&item));
    if (c.message != nullptr) {
      EXPECT_EQ(std::vector<std::string>{"Quorel|" + c.target + " - not found!"},
                TakeShownMessages());
    } else {
      const std::vector<HeadlessEvent> shells = EventsOf(Kind::Shell);
      ASSERT_EQ(1u, shells.size());
      EXPECT_EQ(std::nullopt, shells[0].verb);
    }
  }
}

}  // namespace
}  // namespace app_test
