// Pointer and keyboard input: the hover, press and release states with their cursors, sounds
// and repaints, what a click on each kind of entry does (page buttons, exit and return, LINK,
// the shell, targets that are missing, headings), the keys that move the same highlight
// and click through the same path, and the entries as assistive technology is shown them.
#include <cstring>
#include <functional>
#include <map>

#include "app/entry_access.h"
#include "menu/page_state.h"
#include "platform/copy_text.h"
#include "platform/keys.h"
#include "platform/profile_store.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

constexpr uint32_t kMove = MessageMouseMove;
constexpr uint32_t kDown = MessageButtonDown;
constexpr uint32_t kUp = MessageButtonUp;
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
    const Rect& h = app_->hintRect;
    return Rect{h.left, h.top, h.right - 1, h.bottom - 1};
  }
  // The recorded events as short words: cursors by name, sounds by number, repaints by the
  // entry (or the hint area) whose rectangle they name, and every other kind by its own word.
  std::string Describe(const std::vector<HeadlessEvent>& events) const {
    std::map<std::string, Rect> areas{{"hint", HintArea()}};
    for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next)
      if (item->text != nullptr)
        areas[item->text] = {item->left, item->top, item->right, item->bottom};
    const CMenuPage& page = app_->page;
    for (const CMenuItem* button :
         {&page.forwardButton, &page.backwardButton, &page.exitButton, &page.returnButton}) {
      const char* name = button == &page.forwardButton    ? "forward"
                         : button == &page.backwardButton ? "backward"
                         : button == &page.exitButton     ? "exit"
                                                          : "return";
      areas[name] = {button->left, button->top, button->right, button->bottom};
    }
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
    std::string shellFile;
  } cases[] = {
      {"too long for the path buffer", longName, 0, "too long", ""},
      {"no verb at all", "target.txt", 1, nullptr, (folder_ / "target.txt").string()},
      // Not made a path and not looked for: the shell gets it as written.
      {"a web address", "https://example.org/a?b=c", 1, nullptr, "https://example.org/a?b=c"},
      {"a mail address", "mailto:help@example.org", 1, nullptr, "mailto:help@example.org"},
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
      EXPECT_EQ(c.shellFile, shells[0].file);
    }
  }
}

// One key (or a pointer step) and what it leads to; events null: not compared (a level change
// records too much to spell out here).
struct KeyStep {
  const char* what;
  uint32_t message;
  uintptr_t key;  // unused for kMove, which moves onto the entry `hovered` names
  intptr_t flags;
  bool shift;
  const char* events;
  const char* hovered;  // caption, "exit", "forward", "backward", "return" or null
  int32_t page;
  int32_t level;
};

constexpr intptr_t kRepeat = KeyFlagRepeat;
constexpr intptr_t kAlt = KeyFlagAlt;

class KeyboardInputTest : public PointerInputTest {
 protected:
  CMenuItem* Named(const char* name) {
    if (name == nullptr) return nullptr;
    CMenuPage& page = app_->page;
    const std::map<std::string, CMenuItem*> buttons{{"exit", &page.exitButton},
                                                    {"forward", &page.forwardButton},
                                                    {"backward", &page.backwardButton},
                                                    {"return", &page.returnButton}};
    const auto button = buttons.find(name);
    return button != buttons.end() ? button->second : Item(name);
  }
  void Run(const KeyStep& step) {
    SCOPED_TRACE(step.what);
    HeadlessHoldKey(KeyShift, step.shift);
    if (step.message == kMove) {
      MoveTo(*Named(step.hovered));
    } else {
      app_->OnKey(step.message, step.key, step.flags);
    }
    HeadlessHoldKey(KeyShift, false);
    const std::string events = Describe(HeadlessTakeEvents());
    if (step.events != nullptr) {
      EXPECT_EQ(step.events, events);
    }
    EXPECT_EQ(Named(step.hovered), app_->page.hoveredItem)
        << (app_->page.hoveredItem != nullptr && app_->page.hoveredItem->text != nullptr
                ? app_->page.hoveredItem->text
                : "(no caption)");
    EXPECT_EQ(step.page, app_->page.currentPage);
    EXPECT_EQ(step.level, app_->sessionIndex);
  }
};

TEST_F(KeyboardInputTest, KeysMoveTheHighlightAndClickThroughTheSamePath) {
  constexpr uint32_t kKey = KeyMessageDown;
  const KeyStep steps[] = {
      {"Tab with nothing highlighted: the first entry", kKey, KeyTab, 0, false,
       "sound143 repaint:Run repaint:hint", "Run", 0, 0},
      {"Tab: the next entry", kKey, KeyTab, 0, false,
       "sound143 repaint:Plain repaint:hint repaint:Run", "Plain", 0, 0},
      {"Tab: items, then the buttons", kKey, KeyTab, 0, false,
       "sound143 repaint:exit repaint:hint repaint:Plain", "exit", 0, 0},
      {"Tab", kKey, KeyTab, 0, false, nullptr, "forward", 0, 0},
      {"Tab past the end: the first entry again", kKey, KeyTab, 0, false, nullptr, "Run", 0, 0},
      {"Shift+Tab back past the start: the last entry", kKey, KeyTab, 0, true, nullptr, "forward",
       0, 0},
      {"Home", kKey, KeyHome, 0, false, nullptr, "Run", 0, 0},
      {"End", kKey, KeyEnd, 0, false, nullptr, "forward", 0, 0},
      {"Down from a button: the first item", kKey, KeyDown, 0, false, nullptr, "Run", 0, 0},
      {"Down", kKey, KeyDown, 0, false, nullptr, "Plain", 0, 0},
      {"Down at the column's end: nothing", kKey, KeyDown, 0, false, "", "Plain", 0, 0},
      {"Right with one column: nothing, no page turn", kKey, KeyRight, 0, false, "", "Plain", 0, 0},
      {"Page Up on the first page: no backward button, nothing", kKey, KeyPageUp, 0, false, "",
       "Plain", 0, 0},
      {"Backspace on the first level: no return button, nothing", kKey, KeyBackspace, 0, false, "",
       "Plain", 0, 0},
      {"a key the menu does not use", kKey, 'A', 0, false, "", "Plain", 0, 0},
      {"a key going up", KeyMessageUp, KeyTab, 0, false, "", "Plain", 0, 0},
      {"the pointer takes the highlight over", kMove, 0, 0, false,
       "sound143 repaint:Run hand repaint:hint repaint:Plain", "Run", 0, 0},
      {"a key then starts from the pointer's entry, and drops the hand", kKey, KeyTab, 0, false,
       "sound143 repaint:Plain repaint:hint repaint:Run arrow", "Plain", 0, 0},
      {"a click without a move now starts nothing", kUp, 0, 0, false, "", "Plain", 0, 0},
      {"Page Down: as the forward button, the new page starts on its first entry", kKey,
       KeyPageDown, 0, false, "sound141 repaint:all hand arrow", "Sub", 1, 0},
      {"held Enter repeats: nothing", kKey, KeyEnter, kRepeat, false, "", "Sub", 1, 0},
      {"Enter on a LINK item opens the level, on its first entry", kKey, KeyEnter, 0, false,
       nullptr, "Deeper", 0, 1},
      {"Alt+F4 is left to the system", KeyMessageSystemDown, 0x73, kAlt, false, "", "Deeper", 0, 1},
      {"Backspace returns to the page left, on its first entry", kKey, KeyBackspace, 0, false,
       nullptr, "Sub", 1, 0},
      {"Page Up", kKey, KeyPageUp, 0, false, nullptr, "Run", 0, 0},
      {"Space on an ordinary item hands it to the shell, then the click sound", kKey, KeySpace, 0,
       false, "other15 sound139", "Run", 0, 0},
  };
  for (const KeyStep& step : steps) Run(step);
  // The marks came back with the level; the keys marked what they clicked.
  EXPECT_EQ(1, Item("Sub")->visited);
  EXPECT_EQ(1, Item("Run")->visited);
  EXPECT_EQ(0, Item("Plain")->visited);
}

TEST_F(KeyboardInputTest, EscapeReturnsOrAsksAndBusyIgnoresKeys) {
  constexpr uint32_t kKey = KeyMessageDown;
  ShowPage(1);
  app_->OnKey(kKey, KeyEnter, 0);  // nothing highlighted: nothing
  EXPECT_EQ(0, app_->sessionIndex);
  EXPECT_EQ(0, app_->page.focusShown);
  const KeyStep steps[] = {
      {"Tab", kKey, KeyTab, 0, false, nullptr, "Sub", 1, 0},
      {"Enter", kKey, KeyEnter, 0, false, nullptr, "Deeper", 0, 1},
      {"Alt+Left: as the return button", KeyMessageSystemDown, KeyLeft, kAlt, false, nullptr, "Sub",
       1, 0},
      {"Enter", kKey, KeyEnter, 0, false, nullptr, "Deeper", 0, 1},
      {"Escape on a deeper level: as the return button", kKey, KeyEscape, 0, false, nullptr, "Sub",
       1, 0},
  };
  for (const KeyStep& step : steps) Run(step);
  EXPECT_EQ(1, app_->page.focusShown);
  EXPECT_TRUE(EventsOf(Kind::CloseRequest).empty());
  // On the first level Escape asks the exit question (a close request); held, it asks once.
  HeadlessTakeEvents();
  app_->OnKey(kKey, KeyEscape, 0);
  app_->OnKey(kKey, KeyEscape, kRepeat);
  EXPECT_EQ(1u, EventsOf(Kind::CloseRequest).size());
  EXPECT_EQ(0, app_->sessionIndex);

  HeadlessTakeEvents();
  app_->busy = 1;
  for (uintptr_t key : {KeyTab, KeyEnter, KeyPageDown, KeyEscape}) app_->OnKey(kKey, key, 0);
  EXPECT_EQ(1, app_->OnKey(KeyMessageSystemDown, KeyLeft, kAlt));
  EXPECT_EQ(0, app_->OnKey(KeyMessageSystemDown, 0x73, kAlt));  // Alt+F4 keeps its course
  EXPECT_TRUE(HeadlessTakeEvents().empty());
  EXPECT_EQ(Item("Sub"), app_->page.hoveredItem);
}

// The arrows in grids of several shapes: Up and Down stay in their column, Left and Right keep
// the row (or take the last item of a shorter column), and at the edges nothing moves.
TEST_F(KeyboardInputTest, ArrowsStayWithinTheGridOfThePage) {
  const struct {
    const char* what;
    int columns, rows, items, page;
    int from;  // index among the page's items
    uintptr_t key;
    int to;  // -1: the highlight does not move
  } cases[] = {
      {"one column: down", 1, 3, 3, 0, 0, KeyDown, 1},
      {"one column: down at the end", 1, 3, 3, 0, 2, KeyDown, -1},
      {"one column: up at the top", 1, 3, 3, 0, 0, KeyUp, -1},
      {"one column: right", 1, 3, 3, 0, 1, KeyRight, -1},
      {"one column: left", 1, 3, 3, 0, 1, KeyLeft, -1},
      {"three columns: right keeps the row", 3, 2, 5, 0, 1, KeyRight, 3},
      {"three columns: right onto a shorter column", 3, 2, 5, 0, 3, KeyRight, 4},
      {"three columns: right at the last column", 3, 2, 5, 0, 4, KeyRight, -1},
      {"three columns: left", 3, 2, 5, 0, 4, KeyLeft, 2},
      {"three columns: left at the first column", 3, 2, 5, 0, 1, KeyLeft, -1},
      {"three columns: down below the last item", 3, 2, 5, 0, 4, KeyDown, -1},
      {"three columns: up", 3, 2, 5, 0, 3, KeyUp, 2},
      {"three columns: down at a column's end", 3, 2, 6, 0, 3, KeyDown, -1},
      {"last page of one item: right", 3, 2, 7, 1, 0, KeyRight, -1},
      {"last page of one item: down", 3, 2, 7, 1, 0, KeyDown, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string menu = "[global]\nMenuItemColumons=" + std::to_string(c.columns) +
                       "\nMenuItemsPerColumn=" + std::to_string(c.rows) + "\n[menu]\n";
    for (int i = 0; i < c.items; ++i) menu += "item=I" + std::to_string(i) + "\n";
    WriteText((folder_ / "grid.ini").string(), menu);
    ASSERT_EQ(1, LoadAndApply("grid.ini"));
    if (c.page != 0) ShowPage(c.page);
    std::vector<CMenuItem*> items;
    for (const VisibleNode* n = app_->page.firstVisible; n != nullptr; n = n->next)
      if (n->entry->text != nullptr) items.push_back(n->entry);
    ASSERT_LT(static_cast<size_t>(c.from), items.size());
    app_->page.hoveredItem = items[static_cast<size_t>(c.from)];
    app_->OnKey(KeyMessageDown, c.key, 0);
    EXPECT_EQ(items[static_cast<size_t>(c.to < 0 ? c.from : c.to)], app_->page.hoveredItem);
  }

  // A page of buttons only (a remembered page beyond the items): the arrows have nothing to
  // go to, Tab and Home and End walk the buttons.
  WriteText((folder_ / "grid.ini").string(), "[global]\nMenuItemsPerColumn=2\n[menu]\nitem=A\n");
  app_->page.currentPage = 3;
  ASSERT_EQ(1, LoadAndApply("grid.ini"));
  app_->page.currentPage = 3;
  ASSERT_EQ(1, app_->ApplySettings(&app_->settings, 0));
  CMenuPage& page = app_->page;
  page.hoveredItem = nullptr;
  for (uintptr_t key : {KeyUp, KeyDown, KeyLeft, KeyRight}) app_->OnKey(KeyMessageDown, key, 0);
  EXPECT_EQ(nullptr, page.hoveredItem);
  app_->OnKey(KeyMessageDown, KeyTab, 0);
  EXPECT_EQ(&page.exitButton, page.hoveredItem);
  app_->OnKey(KeyMessageDown, KeyEnd, 0);
  EXPECT_EQ(&page.backwardButton, page.hoveredItem);
}

// The focus frame: dotted (every other pixel of the entry's outline inverted) from the first
// key on, and gone again from an entry the highlight has left.
TEST_F(KeyboardInputTest, TheFocusFrameFollowsTheHighlightFromTheFirstKey) {
  const CMenuItem* run = Item("Run");
  const Rect area{run->left, run->top, run->right, run->bottom};
  const auto pixels = [&area] {
    std::vector<ColorRef> out;
    for (int32_t y = area.top; y < area.bottom; ++y)
      for (int32_t x = area.left; x < area.right; ++x) out.push_back(HeadlessWindowPixel(x, y));
    return out;
  };
  ASSERT_EQ(1, Paint());
  const std::vector<ColorRef> plain = pixels();
  MoveTo(*run);
  ASSERT_EQ(1, Paint());
  const std::vector<ColorRef> hovered = pixels();
  ASSERT_NE(plain, hovered);
  app_->OnKey(KeyMessageDown, KeyHome, 0);  // the same entry: only the frame joins it
  ASSERT_EQ(1, Paint());
  const std::vector<ColorRef> framed = pixels();
  const int32_t width = area.right - area.left;
  const int32_t height = area.bottom - area.top;
  int inverted = 0;
  for (size_t i = 0; i < framed.size(); ++i) {
    if (framed[i] == hovered[i]) continue;
    const int32_t x = static_cast<int32_t>(i) % width;
    const int32_t y = static_cast<int32_t>(i) / width;
    EXPECT_TRUE(x == 0 || y == 0 || x == width - 1 || y == height - 1) << x << "," << y;
    EXPECT_EQ(~hovered[i] & 0xFFFFFF, framed[i]) << x << "," << y;
    ++inverted;
  }
  const int outline = 2 * (width + height) - 4;
  EXPECT_NEAR(outline / 2, inverted, 2);
  app_->OnKey(KeyMessageDown, KeyTab, 0);
  ASSERT_EQ(1, Paint());
  EXPECT_EQ(plain, pixels());
}

// The view that assistive technology reads, after each event that the watch hands on: each
// entry as name(description), * highlighted, + visited; and the notice the backend was given.
TEST_F(KeyboardInputTest, TheAccessViewFollowsTheVisibleListAndTellsItsChanges) {
  WindowEvents* events = WatchEntries(*app_);
  AccessView* view = HeadlessAccessView();
  ASSERT_NE(nullptr, view);
  const auto shown = [view] {
    std::string text;
    for (size_t i = 0; i < view->EntryCount(); ++i) {
      AccessEntry entry;
      EXPECT_TRUE(view->EntryAt(i, &entry));
      text += std::string(i == 0 ? "" : " | ") + entry.name;
      if (entry.description[0] != '\0') text += std::string("(") + entry.description + ")";
      text += std::string(entry.highlighted ? "*" : "") + (entry.visited ? "+" : "");
    }
    return text;
  };
  const auto notice = [] {
    std::string words;
    for (const HeadlessEvent& e : HeadlessTakeEvents()) {
      if (e.kind == Kind::AccessHighlight) words += "highlight ";
      if (e.kind == Kind::AccessEntries) words += "entries ";
    }
    return words;
  };
  constexpr uint32_t kKey = KeyMessageDown;
  const struct {
    const char* what;
    std::function<void()> act;
    const char* notice;
    const char* shown;
  } steps[] = {
      {"as opened", [] {}, "", "Run(Runs it) | Plain | Exit | Next page"},
      {"Tab", [&] { events->OnKey(kKey, KeyTab, 0); }, "highlight ",
       "Run(Runs it)* | Plain | Exit | Next page"},
      {"a key that moves nothing", [&] { events->OnKey(kKey, 'A', 0); }, "",
       "Run(Runs it)* | Plain | Exit | Next page"},
      {"the pointer onto another entry",
       [&] {
         const CMenuItem* plain = Item("Plain");
         events->OnMouse(kMove, static_cast<uint32_t>(plain->left + 1),
                         static_cast<uint32_t>(plain->top + 1), 0);
       },
       "highlight ", "Run(Runs it) | Plain* | Exit | Next page"},
      {"Page Down: other entries, the first highlighted; a page button is never visited",
       [&] { events->OnKey(kKey, KeyPageDown, 0); }, "entries ",
       "Sub(Opens the sub menu)* | Missing | Exit | Previous page | Next page"},
      {"the default action on the LINK item opens its level", [&] { view->Press(0); }, "entries ",
       "Deeper* | Back"},
      {"the default action beyond the list does nothing", [&] { view->Press(2); }, "",
       "Deeper* | Back"},
      {"the default action on the return button", [&] { view->Press(1); }, "entries ",
       "Sub(Opens the sub menu)*+ | Missing | Exit | Previous page | Next page"},
  };
  HeadlessTakeEvents();
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    EXPECT_EQ(step.notice, notice());
    EXPECT_EQ(step.shown, shown());
  }
  // The hint of a page button names it, and rectangles are the entries' own, right and bottom
  // exclusive.
  CopyText(app_->page.forwardButton.hint, CMenuPage::kButtonHintSize, "More items");
  AccessEntry last;
  ASSERT_TRUE(view->EntryAt(view->EntryCount() - 1, &last));
  EXPECT_STREQ("More items", last.name);
  EXPECT_STREQ("", last.description);
  const CMenuItem& sub = *Item("Sub");
  AccessEntry first;
  ASSERT_TRUE(view->EntryAt(0, &first));
  EXPECT_EQ(sub.left, first.rect.left);
  EXPECT_EQ(sub.top, first.rect.top);
  EXPECT_EQ(sub.right + 1, first.rect.right);
  EXPECT_EQ(sub.bottom + 1, first.rect.bottom);
  EXPECT_FALSE(view->EntryAt(view->EntryCount(), &first));
  // A level being loaded shows nothing, and nothing is pressed meanwhile.
  app_->busy = 1;
  EXPECT_EQ(0u, view->EntryCount());
  EXPECT_FALSE(view->EntryAt(0, &first));
  view->Press(0);
  app_->busy = 0;
  EXPECT_EQ(0, app_->sessionIndex);
  EXPECT_EQ("", notice());
}

}  // namespace
}  // namespace app_test
