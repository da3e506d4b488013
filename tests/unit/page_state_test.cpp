// The remembered page and visited marks: section names from paths, what a save writes to the
// session file, restores from hostile session files, and the round trip through the loader.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "menu/page_state.h"
#include "platform/profile_store.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

TEST(PageStateKeyTest, SectionNamesFollowTheSignedByteSum) {
  const struct {
    std::string path;
    const char* key;
  } cases[] = {
      {"", "0"},
      {"abc", "249"},                     // 3*97 + 3*98; 'c' (99) is a multiple of 9
      {"-6?HQZclu~", "0"},                // every byte a multiple of 9
      {"C:\\Q\\m.ini", "930"},            // 201+174+276+0+276+327+138+315+330+315 = 2352
      {"\xE9", "ffffffbb"},               // 3 * -23
      {"\x80", "fffffe80"},               // 3 * -128
      {"\xF7", "0"},                      // -9
      {"a\xE9", "de"},                    // 291 - 69
      {std::string(1000, 'a'), "470b8"},  // 1000 * 291
      // 6,000,000 * 381 = 2,286,000,000 passes INT32_MAX and wraps as in a 32-bit register;
      // 6,000,000 * -384 wraps the other way, to 1,990,967,296.
      {std::string(6000000, '\x7F'), "88419780"},
      {std::string(6000000, '\x80'), "76abc000"},
  };
  for (const auto& c : cases) {
    char key[kPageStateKeySize];
    EXPECT_EQ(std::strlen(c.key), PageStateKey(c.path.c_str(), key, sizeof key))
        << c.path.substr(0, 20);
    EXPECT_STREQ(c.key, key) << c.path.substr(0, 20);
  }
  EXPECT_EQ(-2008967296, PageStateSum(std::string(6000000, '\x7F').c_str()));
  char key[kPageStateKeySize] = "x";
  EXPECT_EQ(1u, PageStateKey(nullptr, key, sizeof key));
  EXPECT_STREQ("0", key);
  char shortKey[4];
  EXPECT_EQ(3u, PageStateKey("\xFF", shortKey, sizeof shortKey));  // "fffffffd" cut
  EXPECT_STREQ("fff", shortKey);
}

class PageStateTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    fs::create_directories(folder_ / "win");
    windir_.emplace("QUOREL_WINDIR", (folder_ / "win").string());
  }
  void TearDown() override {
    windir_.reset();  // before the fixture's own, which it was set over
    AppTest::TearDown();
  }
  // A definition file of count items named "i0", "i1", ...; returns its full path.
  std::string WriteMenu(const std::string& name, int count) {
    std::string text = "[menu]\n";
    for (int i = 0; i < count; ++i) text += "item=i" + std::to_string(i) + ",open,x,,,\n";
    WriteText(name, text);
    return (fs::current_path() / name).string();
  }
  static std::string Section(const std::string& path) {
    char key[kPageStateKeySize];
    PageStateKey(path.c_str(), key, sizeof key);
    return key;
  }
  static std::string Stored(const std::string& path, const char* key) {
    char value[300];
    ReadProfileString(Section(path).c_str(), key, "<none>", value, sizeof value, "quorel~.tmp");
    return value;
  }
  static void Store(const std::string& path, const char* key, const std::string& value) {
    WriteProfileValue(Section(path).c_str(), key, value.c_str(), "quorel~.tmp");
  }
  // The items' marks in list order, '1' visited and '0' not.
  std::string Marks() const {
    std::string marks;
    for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next)
      marks += item->visited != 0 ? '1' : '0';
    return marks;
  }
  void Visit(const std::vector<int>& indexes) {
    int index = 0;
    for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next, ++index)
      for (int wanted : indexes) item->visited |= wanted == index;
  }
  static std::string MarksAt(size_t count, const std::vector<size_t>& visited) {
    std::string marks(count, '0');
    for (size_t index : visited) marks[index] = '1';
    return marks;
  }
  // As at the first load of a run with no session file left: nothing to save, nothing found.
  void StartRun() {
    fs::remove(folder_ / "win" / "quorel~.tmp");
    app_->profile.SetFile("", 0);
  }
  std::string ProfileFile() const {
    char path[CProfile::kPathSize];
    app_->profile.GetFile(path, sizeof path);
    return path;
  }

  std::optional<quorel_test::ScopedEnv> windir_;
};

TEST_F(PageStateTest, SaveWritesPageAndGroupMasksIntoTheSessionFile) {
  const std::string menu = WriteMenu("menu.ini", 40);
  ASSERT_EQ(1, Load("menu.ini"));
  app_->page.currentPage = 1;
  Visit({0, 2, 33});
  app_->SavePageState(menu.c_str());
  EXPECT_EQ("1", Stored(menu, "Page"));
  EXPECT_EQ("5 2", Stored(menu, "Selected"));  // the store strips the leading blank
  std::ifstream file(folder_ / "win" / "quorel~.tmp");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::string::npos, text.find("[" + Section(menu) + "]"));
  EXPECT_NE(std::string::npos, text.find("Selected= 5 2"));
  EXPECT_EQ(menu, ProfileFile());  // back on the definition file

  const struct {
    int items;
    std::vector<int> visited;
    int32_t page;
    const char* selected;
  } cases[] = {
      {33, {}, -2, "0 0"},
      {0, {}, 0, ""},
      {32, {31}, 7, "80000000"},
      {256, {0, 255}, 2147483647, "1 0 0 0 0 0 0 80000000"},  // 8 groups for the largest menu
  };
  for (const auto& c : cases) {
    const std::string path = WriteMenu("case.ini", c.items);
    StartRun();
    ASSERT_EQ(1, Load("case.ini"));
    app_->page.currentPage = c.page;
    Visit(c.visited);
    app_->SavePageState(path.c_str());
    EXPECT_EQ(std::to_string(c.page), Stored(path, "Page")) << c.items;
    EXPECT_EQ(c.selected, Stored(path, "Selected")) << c.items;
  }
  const std::string all = WriteMenu("all.ini", 33);
  ASSERT_EQ(1, Load("all.ini"));
  for (CMenuItem* item = app_->page.firstItem; item != nullptr; item = item->next)
    item->visited = 1;
  app_->SavePageState(all.c_str());
  EXPECT_EQ("ffffffff 1", Stored(all, "Selected"));
}

TEST_F(PageStateTest, RestoreTakesHostileValuesWithoutHarm) {
  const std::string huge(5000, 'f');
  const struct {
    int items;
    const char* page;      // nullptr: no Page key
    const char* selected;  // nullptr: no Selected key
    int32_t expectedPage;
    std::string marks;
  } cases[] = {
      {40, "1", "5 2", 1, MarksAt(40, {0, 2, 33})},
      {40, nullptr, nullptr, 0, MarksAt(40, {})},  // a file seen for the first time
      {40, "", "", 0, MarksAt(40, {})},
      {3, "9", "ffffffff", 9, "111"},  // beyond the last page; surplus bits ignored
      {3, "-4", "7 ff ff ff ff ff ff ff ff ff ff ff", -4, "111"},  // more groups than items
      {40, "abc", "zz 3", 0, MarksAt(40, {32, 33})},  // not hexadecimal: group 0 unvisited
      {40, "99999999999", "  3", 2147483647, MarksAt(40, {0, 1})},  // blanks around stripped
      {40, "-99999999999", "1  3", -2147483647 - 1, MarksAt(40, {0})},
      {40, "2x", "5g 1", 2, MarksAt(40, {0, 2, 32})},  // leading digits count
      {40, "0", "123456789ab 1", 0,                    // low 32 bits: 0x456789ab
       MarksAt(40, {0, 1, 3, 5, 7, 8, 11, 15, 16, 17, 18, 21, 22, 24, 26, 30, 32})},
      {40, "0", "-1 +1 0x3", 0, MarksAt(40, {})},  // signs and "x" are not digits
      {40, "1", huge.c_str(), 1, std::string(32, '1') + std::string(8, '0')},  // one cut group
      {40, "1", "F\t1", 1, MarksAt(40, {0, 1, 2, 3})},  // only a space separates groups
  };
  for (const auto& c : cases) {
    const std::string path = WriteMenu("menu.ini", c.items);
    StartRun();
    if (c.page != nullptr) Store(path, "Page", c.page);
    if (c.selected != nullptr) Store(path, "Selected", c.selected);
    ASSERT_EQ(1, Load("menu.ini"));  // the load restores
    const std::string label = std::string(c.selected ? c.selected : "<none>").substr(0, 30);
    EXPECT_EQ(c.expectedPage, app_->page.currentPage) << label;
    EXPECT_EQ(c.marks, Marks()) << label;
    EXPECT_EQ(path, ProfileFile()) << label;
  }
}

TEST_F(PageStateTest, LeavingAndReturningBringsPageAndMarksBack) {
  WriteMenu("a.ini", 40);
  WriteMenu("b.ini", 5);
  ASSERT_EQ(1, Load("a.ini"));
  app_->page.currentPage = 1;
  Visit({3, 33});
  ASSERT_EQ(1, Load("b.ini"));  // first time: page 0, no marks
  EXPECT_EQ(0, app_->page.currentPage);
  EXPECT_EQ("00000", Marks());
  app_->page.currentPage = 2;
  Visit({4});
  ASSERT_EQ(1, Load("a.ini"));
  EXPECT_EQ(1, app_->page.currentPage);
  EXPECT_EQ(MarksAt(40, {3, 33}), Marks());
  // A file that gained items keeps the old marks on the first ones.
  WriteMenu("b.ini", 7);
  ASSERT_EQ(1, Load("b.ini"));
  EXPECT_EQ(2, app_->page.currentPage);
  EXPECT_EQ("0000100", Marks());
  // Settings keep coming from the definition file, not the session file.
  EXPECT_EQ((fs::current_path() / "b.ini").string(), ProfileFile());
}

TEST_F(PageStateTest, ProfileNamesTheDefinitionFileEvenWhenItWentMeanwhile) {
  const std::string menu = WriteMenu("menu.ini", 2);
  ASSERT_EQ(1, Load("menu.ini"));
  app_->page.currentPage = 3;
  fs::remove(menu);
  app_->SavePageState(menu.c_str());
  EXPECT_EQ(menu, ProfileFile());
  app_->page.currentPage = 0;
  app_->RestorePageState(menu.c_str());
  EXPECT_EQ(3, app_->page.currentPage);
  EXPECT_EQ(menu, ProfileFile());
}

}  // namespace
}  // namespace app_test
