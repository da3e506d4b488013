// Tests of LoadDefinition: defaults, colours and flags, section choice by release, include
// files, SameAs, the title look-ups, item limits, expansion and refused loads.
#include <cstring>

#include "platform/message_box.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

class LoaderTest : public AppTest {};

TEST_F(LoaderTest, MinimalFileGivesDefaultsAndOneItem) {
  WriteText("menu.ini", "[global]\nDrawTitle=0\n[menu]\nitem=Readme,open,readme.txt,,,\n");
  ASSERT_EQ(1, Load("menu.ini"));
  const MenuSettings& s = settings_;
  EXPECT_EQ(1, s.loaded);
  EXPECT_STREQ("menu.ini", s.fileName);  // as given, not made full
  EXPECT_EQ((std::vector<int32_t>{1, 8, 18, 18, 24}),
            (std::vector<int32_t>{s.columns, s.itemsPerColumn, s.itemStyle.size, s.hintStyle.size,
                                  s.titleStyle.size}));
  EXPECT_EQ(0xFF7F00u, s.itemStyle.color);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(0, s.itemArea[i]);
    EXPECT_EQ(-1, s.titleArea[i]);
  }
  EXPECT_STREQ("quorel.bmp", s.background);
  EXPECT_STREQ("Quorel", s.exitTitle);
  EXPECT_STREQ("Are you sure to exit?", s.exitMessage);
  EXPECT_STREQ(appTitle, s.titleText);
  EXPECT_EQ(std::vector<std::string>{"Readme"}, ItemTexts());
  EXPECT_EQ(0, std::memcmp(&s.hintStyle, &app_->page.hintStyle, sizeof(TextStyle)));
}

TEST_F(LoaderTest, GlobalSettingsBySuffixAndInclude) {
  app_->profile.variant = VariantXP;
  WriteText("shared.ini", "[global]\nItemFontColor=0 0 255\n");
  const struct {
    const char* global;
    ColorRef color;
    bool bold;
    int32_t columns;
    const char* section;  // the settings section the load tells it read
    bool included;        // ... in shared.ini
  } cases[] = {
      {"[global]\nItemFontColor=255 0 0", 0x0000FF, false, 1, "global", false},
      {"[global]\nItemFontBold=yes", 0xFF7F00, false, 1, "global", false},  // not a number: 0
      {"[global]\nItemFontBold=2\nMenuItemColumons=3", 0xFF7F00, true, 3, "global", false},
      // The suffixed section replaces the plain one: its missing keys take defaults.
      {"[global]\nMenuItemColumons=3\n[global.WINXP]\nItemFontBold=1", 0xFF7F00, true, 1,
       "global.WINXP", false},
      {"[global]\n#include=shared.ini\nMenuItemColumons=3", 0xFF0000, false, 1, "global", true},
      {"[global]\n#include=absent.ini\nMenuItemColumons=3", 0xFF7F00, false, 3, "global", false},
      {"[other]\nMenuItemColumons=3", 0xFF7F00, false, 1, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.global);
    WriteText("menu.ini", std::string(c.global) + "\n[menu]\nitem=A,open,a\n");
    ChosenSections chosen;
    ASSERT_EQ(1, Load("menu.ini", &chosen));
    EXPECT_EQ(c.section, chosen.settingsSection);
    EXPECT_EQ(c.included ? (folder_ / "shared.ini").string() : "", chosen.includeFile);
    EXPECT_EQ(c.color, settings_.itemStyle.color);
    EXPECT_EQ(c.bold, (settings_.itemStyle.flags & StyleBold) != 0);
    EXPECT_EQ(c.columns, settings_.columns);
    EXPECT_EQ(std::vector<std::string>{"A"}, ItemTexts());
    EXPECT_EQ((folder_ / "menu.ini").string(), app_->profile.filePath);  // back from include
  }
}

TEST_F(LoaderTest, MenuSectionTitleAndItems) {
  app_->profile.variant = VariantXP;
  std::string many = "Item=Capital,open,x\n";
  for (int i = 0; i < 10000; ++i) many += "item=I" + std::to_string(i) + ",open,x\n";
  const struct {
    std::string menu;
    const char* title;
    size_t items;
    const char* lastItem;
    // The sections the load tells it read: the one holding SameAs, the one items came from.
    const char* sameAsSection;
    const char* menuSection;
  } cases[] = {
      {"[menu.WINXP]\nSameAs=other\n[menu]\nitem=P,open,p\n"
       "[other]\nTitle=Other\nitem=O,open,o\nSameAs=menu\n",
       "Other", 1, "O", "menu.WINXP", "other"},
      // Missing: the message, then the plain section even where a suffixed one exists.
      {"[menu.WINXP]\nSameAs=nothere\nitem=S,open,s\n[menu]\ntitle=Plain\nitem=P,open,p\n", "Plain",
       1, "P", "menu.WINXP", "menu"},
      {"[menu]\nTitle=Welcome\nitem=,open,x\n", "Welcome", 1, "", "menu", "menu"},  // empty caption
      {"[menu]\nTitle=Welcome\nsubtitle=x\n", "x", 0, nullptr, "menu", "menu"},
      {"[String]\nAppName=Demo Disc\n[menu]\ntitle=%AppName% Setup\n", "Demo Disc Setup", 0,
       nullptr, "menu", "menu"},
      {"[menu]\n" + many, "Quorel", 256, "I255", "menu", "menu"},
      // Without a menu section the items come from the section current before: here the
      // global one, which the settings left current.
      {"[global]\ntitle=Global\nitem=G,open,g\n", "Global", 1, "G", "global", "global"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    HeadlessTakeEvents();
    WriteText("menu.ini", c.menu);
    ChosenSections chosen;
    ASSERT_EQ(1, Load("menu.ini", &chosen));
    EXPECT_EQ(c.sameAsSection, chosen.sameAsSection);
    EXPECT_EQ(c.menuSection, chosen.menuSection);
    EXPECT_STREQ(c.title, settings_.titleText);
    EXPECT_EQ(static_cast<int32_t>(std::strlen(c.title)), settings_.titleLength);
    const std::vector<std::string> texts = ItemTexts();
    ASSERT_EQ(c.items, texts.size());
    if (c.lastItem != nullptr) {
      EXPECT_EQ(c.lastItem, texts.back());
    }
    const std::vector<HeadlessEvent> boxes = EventsOf(Kind::MessageBox);
    if (std::string(c.title) == "Plain") {
      ASSERT_EQ(1u, boxes.size());
      EXPECT_EQ("Section not found - [nothere]\nSet default to [Menu].", boxes[0].text);
      EXPECT_EQ("Error", boxes[0].caption);
      EXPECT_EQ(MessageOk | MessageIconError, boxes[0].style);
      EXPECT_TRUE(boxes[0].hasOwner);
    } else {
      EXPECT_TRUE(boxes.empty());
    }
  }
}

TEST_F(LoaderTest, RefusedLoadsChangeNothingAndDoNotBlockInput) {
  WriteText("menu.ini", "[menu]\nitem=A,open,a\n");
  WriteText("empty.ini", "");
  ASSERT_EQ(1, Load("menu.ini"));
  const struct {
    const char* file;
    uint32_t recordSize;
  } cases[] = {{"menu.ini", 2975}, {"missing.ini", 2976}, {"empty.ini", 2976}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    MenuSettings record = CreateMenuSettings();
    record.recordSize = c.recordSize;
    EXPECT_EQ(0, app_->LoadDefinition(c.file, &record));
    EXPECT_EQ(0, record.loaded);
    EXPECT_EQ(0, app_->busy);
    EXPECT_EQ(std::vector<std::string>{"A"}, ItemTexts());
    EXPECT_EQ((folder_ / "menu.ini").string(), app_->profile.filePath);
  }
}

TEST_F(LoaderTest, MissingGlobalSectionGivesDefaultsAtEveryLoad) {
  // The second file must not take its settings from the section the first load left current.
  WriteText("first.ini", "[menu]\nitem=A,open,a\n");
  WriteText("second.ini", "[menu]\nItemFontSize=50\nitem=B,open,b\n");
  ASSERT_EQ(1, Load("first.ini"));
  ASSERT_EQ(1, Load("second.ini"));
  EXPECT_EQ(18, settings_.itemStyle.size);
  EXPECT_EQ(std::vector<std::string>{"B"}, ItemTexts());
}

}  // namespace
}  // namespace app_test
