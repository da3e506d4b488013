// Tests of CMenuPage: the item list, the column-and-page layout with its page buttons, the
// visible list's ownership, and CMenuItem's rectangle tests. Layout measures through a test
// measurer (captions 60 x 20), so no real font is involved; uses the core and the seam.
#include "menu/menu_page.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "profile/profile.h"

namespace {

// Every caption measures captionWidth (60) x 20 and zero characters emptyWidth x emptyHeight;
// the counts asked for are recorded.
int32_t captionWidth = 60;
int32_t emptyWidth = 0;
int32_t emptyHeight = 0;
std::vector<int32_t> measuredCounts;

int MeasureForTest(DrawTarget*, const char*, int32_t count, TextExtent* extent) {
  measuredCounts.push_back(count);
  extent->cx = count > 0 ? captionWidth : emptyWidth;
  extent->cy = count > 0 ? 20 : emptyHeight;
  return 1;
}

struct Box {
  int32_t left, top, right, bottom;
  bool operator==(const Box& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "[" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << "]";
}
Box BoxOf(const CMenuItem& item) { return {item.left, item.top, item.right, item.bottom}; }

// The area, bitmap height and grid of one Layout call.
struct Area {
  int32_t left, top, right, bottom, height, columns, rows;
};

using Names = std::vector<std::string>;

class MenuPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    emptyWidth = emptyHeight = 0;
    captionWidth = 60;
    measuredCounts.clear();
    CMenuPage::measureText = MeasureForTest;
  }
  void TearDown() override { CMenuPage::measureText = MeasureText; }

  void Add(std::string line) { EXPECT_EQ(0, page_.AddItem(ItemOrdinary, &line[0], profile_)); }
  void AddItems(int count) {
    for (int i = 0; i < count; ++i) Add("Item " + std::to_string(i));
  }
  void Lay(const Area& a, int32_t pageNumber, FontHandle font = nullptr) {
    page_.Layout(
        PageFrame{a.left, a.top, a.right, a.bottom, a.height, font, nullptr, a.columns, a.rows},
        pageNumber);
  }
  CMenuItem* Item(int index) {
    CMenuItem* item = page_.firstItem;
    for (int i = 0; i < index && item != nullptr; ++i) item = item->next;
    return item;
  }
  // The visible list as names: "3" for the item at list position 3, or the button's name.
  Names Visible() {
    const std::pair<const CMenuItem*, const char*> buttons[] = {{&page_.exitButton, "exit"},
                                                                {&page_.returnButton, "return"},
                                                                {&page_.backwardButton, "back"},
                                                                {&page_.forwardButton, "fwd"}};
    Names names;
    for (VisibleNode* node = page_.firstVisible; node != nullptr; node = node->next) {
      std::string name = "stray";
      for (const auto& b : buttons)
        if (node->entry == b.first) name = b.second;
      int index = 0;
      for (CMenuItem* item = page_.firstItem; item != nullptr; item = item->next, ++index)
        if (item == node->entry) name = std::to_string(index);
      names.push_back(name);
    }
    return names;
  }

  CProfile profile_{VariantOther};
  CMenuPage page_;
};

const Area kExampleArea = {100, 50, 399, 0, 400, 2, 3};

TEST_F(MenuPageTest, WorkedExample) {
  AddItems(7);
  page_.exitOrReturnButton = &page_.exitButton;
  Lay(kExampleArea, 0);
  EXPECT_EQ((Names{"0", "1", "2", "3", "4", "5", "exit", "fwd"}), Visible());
  const Box items[] = {{100, 50, 163, 71}, {100, 125, 163, 146}, {100, 200, 163, 221},
                       {250, 50, 313, 71}, {250, 125, 313, 146}, {250, 200, 313, 221}};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(items[i], BoxOf(*Item(i))) << "item " << i;
  EXPECT_EQ((Box{100, 275, 134, 299}), BoxOf(page_.exitButton));
  EXPECT_EQ((Box{183, 275, 214, 298}), BoxOf(page_.forwardButton));

  // The list is rebuilt, not appended to; page 0's items keep their old rectangles.
  page_.exitOrReturnButton = &page_.returnButton;
  Lay(kExampleArea, 1);
  EXPECT_EQ((Names{"6", "return", "back"}), Visible());
  EXPECT_EQ((Box{100, 50, 163, 71}), BoxOf(*Item(6)));
  EXPECT_EQ((Box{100, 275, 134, 299}), BoxOf(page_.returnButton));
  EXPECT_EQ((Box{143, 275, 174, 298}), BoxOf(page_.backwardButton));
  EXPECT_EQ(items[5], BoxOf(*Item(5)));
}

TEST_F(MenuPageTest, WhichEntriesEachPageShows) {
  struct Case {
    int items;
    Area area;
    bool exitOrReturn;
    int32_t page;
    Names visible;
  };
  const Area defaults = {10, 10, 300, 0, 480, 1, 8};  // one column of 8
  const Case cases[] = {
      {20, defaults, false, 0, Names{"0", "1", "2", "3", "4", "5", "6", "7", "fwd"}},
      {20, defaults, false, 1, Names{"8", "9", "10", "11", "12", "13", "14", "15", "back", "fwd"}},
      {20, defaults, false, 2, Names{"16", "17", "18", "19", "back"}},
      {20, defaults, false, 3, Names{"back"}},
      {6, kExampleArea, true, 0, Names{"0", "1", "2", "3", "4", "5", "exit"}},  // exactly C x N
      {7, kExampleArea, true, 1, Names{"6", "exit", "back"}},                   // C x N + 1
      {1, kExampleArea, true, 0, Names{"0", "exit"}},
  };
  for (const Case& c : cases) {
    page_.ClearItems();
    AddItems(c.items);
    page_.exitOrReturnButton = c.exitOrReturn ? &page_.exitButton : nullptr;
    Lay(c.area, c.page);
    EXPECT_EQ(c.visible, Visible()) << c.items << " items, page " << c.page;
  }
}

TEST_F(MenuPageTest, GridGeometry) {
  // Pitch D = (B' - 2T) / (N + 1) with B' = B, or the bitmap height when B is 0: row 2 sits D
  // below row 1 and the buttons N * D below the top. Column 2 starts (R - L + 1) / C right of L.
  struct Case {
    Area area;
    int32_t pitch, secondColumnLeft;
  };
  const Case cases[] = {
      {{100, 50, 399, 0, 400, 2, 3}, 75, 250},     // bitmap height
      {{100, 50, 400, 300, 400, 2, 3}, 50, 250},   // ItemEndY given; 301 / 2 truncates
      {{100, 50, 399, 900, 400, 2, 3}, 200, 250},  // below the bitmap, still used
      {{100, 50, 399, 0, 403, 2, 3}, 75, 250},     // truncating division
      {{100, 50, 399, 60, 400, 2, 3}, -10, 250},   // bottom above 2 * top: rows go upwards
      {{100, 50, 399, 97, 400, 2, 3}, 0, 250},     // -3 / 4 truncates toward zero
      {{100, 50, 0, 0, 0, 2, 3}, -25, 51},         // right 0 used as given; zero bitmap height
  };
  for (const Case& c : cases) {
    page_.ClearItems();
    AddItems(4);
    page_.exitOrReturnButton = &page_.exitButton;
    Lay(c.area, 0);
    SCOPED_TRACE(testing::Message() << "right " << c.area.right << " bottom " << c.area.bottom
                                    << " height " << c.area.height);
    EXPECT_EQ(c.area.top, Item(0)->top);
    EXPECT_EQ(c.area.top + c.pitch, Item(1)->top);
    EXPECT_EQ(c.secondColumnLeft, Item(3)->left);
    EXPECT_EQ(c.area.top, Item(3)->top);
    EXPECT_EQ(c.area.top + c.area.rows * c.pitch, page_.exitButton.top);
  }
}

TEST_F(MenuPageTest, ButtonPositions) {
  // Backward at the exit-or-return button's right + 9 (or L without one); forward 40 further,
  // whether or not backward is shown. The exit-or-return button is never under 24 high. Seven
  // items: page 0 shows the forward button, page 1 the backward one.
  struct Case {
    bool exitOrReturn;
    int32_t emptyWidth, emptyHeight, page;
    Box exit, pageButton;
  };
  const int32_t y = 275;
  const Case cases[] = {
      {false, 0, 0, 0, {}, {140, y, 171, y + 23}},
      {false, 0, 0, 1, {}, {100, y, 131, y + 23}},
      {true, 5, 22, 0, {100, y, 139, y + 24}, {188, y, 219, y + 23}},
      {true, 5, 23, 1, {100, y, 139, y + 24}, {148, y, 179, y + 23}},
      {true, 0, 30, 0, {100, y, 134, y + 31}, {183, y, 214, y + 23}},
  };
  for (const Case& c : cases) {
    page_.ClearItems();
    AddItems(7);
    page_.exitOrReturnButton = c.exitOrReturn ? &page_.exitButton : nullptr;
    emptyWidth = c.emptyWidth;
    emptyHeight = c.emptyHeight;
    Lay(kExampleArea, c.page);
    SCOPED_TRACE(testing::Message() << "page " << c.page << " exit " << c.exitOrReturn << " empty "
                                    << c.emptyWidth << "x" << c.emptyHeight);
    Names buttons = Visible();
    ASSERT_GE(buttons.size(), c.page == 0 ? 6u : 1u);
    buttons.erase(buttons.begin(), buttons.begin() + (c.page == 0 ? 6 : 1));
    const char* pageButton = c.page == 0 ? "fwd" : "back";
    const Names expected = c.exitOrReturn ? Names{"exit", pageButton} : Names{pageButton};
    EXPECT_EQ(expected, buttons);
    if (c.exitOrReturn) {
      EXPECT_EQ(c.exit, BoxOf(page_.exitButton));
    }
    EXPECT_EQ(c.pageButton, BoxOf(c.page == 0 ? page_.forwardButton : page_.backwardButton));
  }
}

TEST_F(MenuPageTest, EmptyListLayoutChangesNothing) {
  page_.exitOrReturnButton = &page_.exitButton;
  ASSERT_EQ(1, page_.AppendVisible(&page_.exitButton));
  page_.exitButton.left = 7;
  Lay(kExampleArea, 0);
  EXPECT_EQ((Names{"exit"}), Visible());
  EXPECT_EQ(7, page_.exitButton.left);
  EXPECT_TRUE(measuredCounts.empty());
}

TEST_F(MenuPageTest, ClearItemsLeavesNothingPointingAtFreedItemsButKeepsAWayBack) {
  AddItems(7);
  page_.exitOrReturnButton = &page_.exitButton;
  Lay(kExampleArea, 1);
  const Box exitBox = BoxOf(page_.exitButton);
  page_.hoveredItem = Item(6);
  page_.ClearItems();

  // Only the freed items leave the list; the buttons live with the page.
  EXPECT_EQ((Names{"exit", "back"}), Visible());
  EXPECT_EQ(nullptr, page_.hoveredItem);
  EXPECT_EQ(nullptr, page_.firstItem);
  EXPECT_EQ(nullptr, page_.lastItem);
  EXPECT_EQ(0, page_.itemCount);
  EXPECT_EQ(0, page_.currentPage);
  EXPECT_EQ(&page_.exitButton, page_.exitOrReturnButton);

  // A level that cannot be shown keeps one way back: the button now in use, where the exit
  // button was.
  page_.exitOrReturnButton = &page_.returnButton;
  page_.KeepExitOrReturnOnly();
  EXPECT_EQ((Names{"return"}), Visible());
  EXPECT_EQ(exitBox, BoxOf(page_.returnButton));
  ASSERT_NE(nullptr, page_.lastVisible);
  EXPECT_EQ(&page_.returnButton, page_.lastVisible->entry);

  // A load that brings no items lays out nothing, so the list stays as it is.
  Lay(kExampleArea, 0);
  EXPECT_EQ((Names{"return"}), Visible());
  // And back: a return that cannot be shown leaves the exit button in the return button's place.
  page_.exitOrReturnButton = &page_.exitButton;
  page_.KeepExitOrReturnOnly();
  EXPECT_EQ((Names{"exit"}), Visible());
  EXPECT_EQ(exitBox, BoxOf(page_.exitButton));
  // Without an exit or return button on the list nothing is left.
  page_.ClearItems();
  AddItems(1);
  page_.exitOrReturnButton = nullptr;
  Lay(kExampleArea, 0);
  page_.exitOrReturnButton = &page_.exitButton;
  page_.KeepExitOrReturnOnly();
  EXPECT_EQ(nullptr, page_.firstVisible);
  EXPECT_EQ(nullptr, page_.lastVisible);
  page_.ClearItems();

  // The visible list still appends correctly after being emptied.
  AddItems(1);
  Lay(kExampleArea, 0);
  EXPECT_EQ((Names{"0", "exit"}), Visible());
}

TEST_F(MenuPageTest, AddItemKeepsEveryLine) {
  Add("First, open, a.exe,");
  Add("    ");
  Add("Third");
  Add("");
  EXPECT_EQ(4, page_.itemCount);
  ASSERT_NE(nullptr, Item(3));
  EXPECT_EQ(page_.lastItem, Item(3));
  EXPECT_EQ(nullptr, page_.lastItem->next);
  EXPECT_EQ(uint32_t{ItemHasText | ItemHasVerb | ItemHasTarget}, Item(0)->flags);
  EXPECT_EQ(0u, Item(1)->flags);
  EXPECT_EQ(nullptr, Item(1)->text);
  EXPECT_STREQ("Third", Item(2)->text);

  // Captionless items measure zero characters and still take their cells.
  page_.exitOrReturnButton = nullptr;
  Lay({0, 0, 99, 0, 100, 1, 4}, 0);
  EXPECT_EQ((Names{"0", "1", "2", "3"}), Visible());
  EXPECT_EQ((std::vector<int32_t>{5, 0, 5, 0}), measuredCounts);
  EXPECT_EQ((Box{0, 20, 3, 21}), BoxOf(*Item(1)));
}

// With a font, Layout keeps caption extents by font and text. A load clears the items and with
// them the extents, so a new font that reuses the handle is measured anew; and what is kept has
// a bound, past which captions are measured again.
TEST_F(MenuPageTest, MeasuredExtentsFollowFontsAndItems) {
  char fontTags[2];  // two distinct handles; the test measurer never looks at them
  const FontHandle first = reinterpret_cast<FontHandle>(&fontTags[0]);
  const FontHandle second = reinterpret_cast<FontHandle>(&fontTags[1]);
  AddItems(3);
  Lay(kExampleArea, 0, first);
  EXPECT_EQ(3u, measuredCounts.size());
  Lay(kExampleArea, 0, second);
  EXPECT_EQ(6u, measuredCounts.size()) << "another font is measured for itself";

  page_.ClearItems();
  AddItems(3);
  captionWidth = 80;
  Lay(kExampleArea, 0, first);
  EXPECT_EQ((Box{100, 50, 183, 71}), BoxOf(*Item(0)));

  page_.ClearItems();
  const int kMany = 5000;  // 250 bytes each: more than the cache holds
  for (int i = 0; i < kMany; ++i) Add(std::to_string(i) + std::string(246, 'x'));
  const Area column = {0, 0, 100, 0, 400, 1, kMany};
  Lay(column, 0, first);
  measuredCounts.clear();
  Lay(column, 0, first);
  EXPECT_FALSE(measuredCounts.empty());
  EXPECT_EQ((Box{0, 0, 83, 21}), BoxOf(*Item(0)));
}

TEST_F(MenuPageTest, GridBelowOneIsTakenAsOne) {
  // Two items in one column of one row: page 1 is the last, so no forward button.
  AddItems(2);
  struct Case {
    int32_t columns, rows;
  };
  const Case cases[] = {{0, 0}, {-5, 1}, {1, 0}, {1, -3}, {INT_MIN, INT_MIN}};
  for (const Case& c : cases) {
    Lay({100, 50, 399, 0, 400, c.columns, c.rows}, 1);
    EXPECT_EQ((Names{"1", "back"}), Visible()) << c.columns << " x " << c.rows;
    // Pitch (400 - 100) / 2; the item at the area's top left.
    EXPECT_EQ((Box{100, 50, 163, 71}), BoxOf(*Item(1)));
    EXPECT_EQ(200, page_.backwardButton.top);
  }
}

TEST_F(MenuPageTest, HostileGeometryAndPages) {
  AddItems(10000);
  struct Case {
    Area area;
    int32_t page;
    Names visible;
  };
  const int32_t big = INT_MAX;
  const Case cases[] = {
      // Page numbers far past the end: only the backward button, no forward from an overflowed
      // (page + 1) * C * N.
      {{0, 0, 639, 0, 480, 2, 4}, big, Names{"back"}},
      {{0, 0, 639, 0, 480, big, big}, 1, Names{"back"}},
      {{0, 0, 639, 0, 480, 2, 4},
       1249,
       Names{"9992", "9993", "9994", "9995", "9996", "9997", "9998", "9999", "back"}},
      // A negative page shows no items but offers the way forward.
      {{0, 0, 639, 0, 480, 2, 4}, -1, Names{"fwd"}},
      {{0, 0, 639, 0, 480, 2, 4}, INT_MIN, Names{"fwd"}},
      // Areas far outside the bitmap, and values whose sums leave 32 bits.
      {{big, big, INT_MIN, INT_MIN, 480, 1, 1}, 0, Names{"0", "fwd"}},
      {{INT_MIN, INT_MIN, big, big, big, big, 1},
       0,
       Names{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
  };
  for (const Case& c : cases) {
    Lay(c.area, c.page);
    Names visible = Visible();
    if (visible.size() > 10) visible.resize(10);
    EXPECT_EQ(c.visible, visible) << "page " << c.page;
  }
  // The page count the checker and the previews walk agrees with the forward buttons above;
  // a menu without items still shows one page.
  EXPECT_EQ(1250, GridOf(2, 4).PageCount(10000));
  EXPECT_EQ(1, GridOf(big, big).PageCount(10000));
  EXPECT_EQ(10000, GridOf(INT_MIN, 0).PageCount(10000));
  EXPECT_EQ(1, GridOf(2, 4).PageCount(0));
}

TEST_F(MenuPageTest, RectangleTests) {
  CMenuItem item;
  item.left = 10;
  item.top = 20;
  item.right = 30;
  item.bottom = 40;
  struct Point {
    int32_t x, y;
    int expected;
  };
  const Point points[] = {{10, 20, 1}, {30, 40, 1}, {9, 20, 0},       {31, 40, 0},
                          {10, 19, 0}, {30, 41, 0}, {INT_MIN, 30, 0}, {20, INT_MAX, 0}};
  for (const Point& p : points)
    EXPECT_EQ(p.expected, item.ContainsPoint(p.x, p.y)) << p.x << ", " << p.y;

  struct Region {
    int32_t x, y, width, height;
    int expected;
  };
  const Region regions[] = {
      {0, 0, 11, 21, 1},            // last column and row touch the corner
      {0, 0, 10, 21, 0},            // ends one short of left
      {0, 0, 11, 20, 0},            // ends one short of top
      {30, 40, 1, 1, 1},            // starts on the bottom-right corner
      {31, 20, 5, 5, 0},            // starts right of right
      {10, 41, 5, 5, 0},            // starts below bottom
      {0, 0, 0, 0, 0},              // empty region before the item
      {15, 25, 0, 0, 1},            // empty region inside: x + 0 - 1 is not below left
      {0, 0, INT_MAX, INT_MAX, 1},  // huge extent must not wrap around
      {INT_MAX, 0, INT_MAX, 100, 0},
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0},  // ends at -2 on both axes
  };
  for (const Region& r : regions)
    EXPECT_EQ(r.expected, item.Intersects(r.x, r.y, r.width, r.height))
        << r.x << ", " << r.y << ", " << r.width << " x " << r.height;
}

TEST_F(MenuPageTest, InitButtonsGivesPicturesTypesAndEmptyHints) {
  EXPECT_EQ(1, page_.InitButtons());
  struct Case {
    CMenuItem* button;
    int32_t type;
  };
  const Case cases[] = {{&page_.backwardButton, ItemPageBackward},
                        {&page_.forwardButton, ItemPageForward},
                        {&page_.exitButton, ItemExitReturn},
                        {&page_.returnButton, ItemExitReturn}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.type, c.button->type);
    EXPECT_NE(nullptr, c.button->bitmap);  // the program's own pictures 144 to 147
    ASSERT_NE(nullptr, c.button->hint);
    EXPECT_STREQ("", c.button->hint);
    EXPECT_EQ(nullptr, c.button->text);
    EXPECT_EQ(0, c.button->textLength);
  }
  // A second call replaces what the first made; the destructor frees the rest.
  EXPECT_EQ(1, page_.InitButtons());
}

}  // namespace
