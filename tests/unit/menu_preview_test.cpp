// The preview: its command-line form, the line a click prints, and reloads that keep the page,
// the highlight and the marks where they still exist and keep the last good state otherwise.
#include "app/menu_preview.h"

#include <cstdio>
#include <cstring>

#include "platform/file_watch.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

TEST(PreviewCommandTest, FormsAndFiles) {
  const struct {
    const char* line;
    bool preview;
    const char* file;
  } cases[] = {
      {"--preview", true, "Quorel.ini"},
      {"  --preview \t menu.ini  ", true, "menu.ini"},
      {"--preview \"C:\\My Menu\\m.ini\"", true, "C:\\My Menu\\m.ini"},
      {"--preview /a b/c.ini", true, "/a b/c.ini"},
      {"--previewed x", false, ""},
      {"menu.ini,--preview", false, ""},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    std::string file;
    EXPECT_EQ(c.preview, IsPreviewCommand(c.line, &file)) << c.line;
    if (c.preview) {
      EXPECT_EQ(c.file, file) << c.line;
    }
  }
}

TEST(PreviewStartLineTest, JsonOfEveryField) {
  const ShellStart start{nullptr, "/m/say \"hi\"\\x", "-a\tb", "/m"};
  EXPECT_EQ(
      "{\"verb\":null,\"target\":\"/m/say \\\"hi\\\"\\\\x\",\"parameters\":\"-a\\u0009b\","
      "\"directory\":\"" +
          fs::path("/m").lexically_normal().string() + "\"}",
      StartLine(start));
}

// What a save does to the watched files, and what must pass unnoticed.
TEST_F(AppTest, FileWatchSeesSavesOfItsFilesOnly) {
  const std::string menu = (folder_ / "menu.ini").string();
  const std::string later = (folder_ / "later.bmp").string();
  const std::string strings = (folder_ / "sub" / "strings.ini").string();
  WriteText(menu, "one");
  fs::create_directories(folder_ / "sub");
  WriteText(strings, "r");
  FileWatch* watch = StartFileWatch({menu, later, strings});
  ASSERT_NE(nullptr, watch);
  const struct {
    const char* what;
    void (*act)(const fs::path& folder);
    int changed;
  } steps[] = {
      {"nothing", [](const fs::path&) {}, 0},
      {"another file of the folder",
       [](const fs::path& f) { WriteText((f / "x.swp").string(), "x"); }, 0},
      {"written in place", [](const fs::path& f) { WriteText((f / "menu.ini").string(), "two"); },
       1},
      {"renamed over",
       [](const fs::path& f) {
         WriteText((f / "menu.new").string(), "three");
         fs::rename(f / "menu.new", f / "menu.ini");
       },
       1},
      {"a missing file made", [](const fs::path& f) { WriteText((f / "later.bmp").string(), "b"); },
       1},
      {"removed", [](const fs::path& f) { fs::remove(f / "menu.ini"); }, 1},
      {"its folder removed", [](const fs::path& f) { fs::remove_all(f / "sub"); }, 1},
      {"its folder made again and the file saved",
       [](const fs::path& f) {
         fs::create_directories(f / "sub");
         WriteText((f / "sub" / "strings.ini").string(), "s");
       },
       1},
      {"saved again",
       [](const fs::path& f) { WriteText((f / "sub" / "strings.ini").string(), "t"); }, 1},
  };
  for (const auto& step : steps) {
    step.act(folder_);
    EXPECT_EQ(step.changed, FilesChanged(watch)) << step.what;
    EXPECT_EQ(0, FilesChanged(watch)) << step.what << ", asked again";
  }
  EndFileWatch(watch);
}

class MenuPreviewTest : public AppTest {
 protected:
  // A menu of count items, two to a page, titled title.
  void WriteMenu(int count, const std::string& title) {
    std::string text =
        "[global]\nbkBitmap=back.bmp\nMenuItemColumons=1\nMenuItemsPerColumn=2\n"
        "ItemStartX=10\nItemStartY=10\nItemEndX=190\nItemEndY=150\n[menu]\ntitle=" +
        title + "\n";
    for (int i = 0; i < count; ++i)
      text += "item=Item " + std::to_string(i) + ",open,readme.txt,,,\n";
    WriteText((folder_ / "menu.ini").string(), text);
  }
  // The item at index in the list, or null.
  CMenuItem* Item(int index) {
    CMenuItem* item = app_->page.firstItem;
    for (int i = 0; item != nullptr && i < index; ++i) item = item->next;
    return item;
  }
};

TEST_F(MenuPreviewTest, ReloadsKeepThePlaceWhereItStillExists) {
  WriteBitmap((folder_ / "back.bmp").string(), 200, 200, 0x336699);
  WriteMenu(5, "first");
  std::FILE* out = std::tmpfile();
  std::FILE* errors = std::tmpfile();
  ASSERT_NE(nullptr, out);
  ASSERT_NE(nullptr, errors);
  MenuPreview preview(*app_, *app_, out, errors);
  ASSERT_EQ(1, preview.Open((folder_ / "menu.ini").string().c_str()));
  ASSERT_EQ(1, app_->TurnPage(2, &app_->settings));
  Item(1)->visited = 1;
  app_->page.hoveredItem = Item(4);

  CMenuPage& page = app_->page;
  // Each save in turn, with the highlight put where the step says before it.
  const struct {
    const char* what;
    int items;          // -1: half a file, which cannot be shown
    CMenuItem* before;  // null: the highlight stays as the step before left it
    int result;
    const char* title;
    int page;
    int highlight;  // item index, -1 none, -2 the backward button
  } steps[] = {
      {"a new title", 5, nullptr, 1, "second", 2, 4},
      {"half a file", -1, nullptr, 0, "second", 2, 4},
      {"the highlighted item gone, and its page", 4, nullptr, 1, "third", 1, -1},
      {"the backward button kept", 6, &page.backwardButton, 1, "fourth", 1, -2},
  };
  for (const auto& step : steps) {
    if (step.before != nullptr) page.hoveredItem = step.before;
    if (step.items < 0) {
      WriteText((folder_ / "menu.ini").string(), "[global]\nbkBit");
    } else {
      WriteMenu(step.items, step.title);
    }
    EXPECT_EQ(step.result, preview.Reload()) << step.what;
    EXPECT_STREQ(step.title, app_->settings.titleText) << step.what;
    EXPECT_EQ(step.page, page.currentPage) << step.what;
    CMenuItem* expected = step.highlight >= 0    ? Item(step.highlight)
                          : step.highlight == -2 ? &page.backwardButton
                                                 : nullptr;
    EXPECT_EQ(expected, page.hoveredItem) << step.what;
    EXPECT_EQ(1, Item(1)->visited) << step.what;
  }
  // The half file said why the last good state stayed.
  std::rewind(errors);
  char said[512] = {};
  EXPECT_NE(nullptr, std::fgets(said, sizeof said, errors));
  EXPECT_NE(nullptr, std::strstr(said, "error")) << said;
  std::fclose(out);
  std::fclose(errors);
}

}  // namespace
}  // namespace app_test
