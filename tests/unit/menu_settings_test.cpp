// Tests of the MenuSettings layout, fresh records and the settings key table's targets and
// defaults. Core only; no files.
#include "profile/menu_settings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>

#include "platform/copy_text.h"

namespace {

std::string Lower(const char* text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Fills a record with every key's default through the table's targets, as a load of a file
// without any of the keys would.
MenuSettings WithDefaults() {
  MenuSettings settings = CreateMenuSettings();
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    void* target = SettingTarget(&settings, key);
    switch (key.kind) {
      case SettingText:
        CopyText(static_cast<char*>(target), key.bufferSize, key.textDefault);
        break;
      case SettingInteger:
        std::memcpy(target, &key.intDefault, sizeof key.intDefault);
        break;
      case SettingColor:
        std::memcpy(target, &key.colorDefault, sizeof key.colorDefault);
        break;
      case SettingFlag:
        break;
    }
  }
  return settings;
}

TEST(MenuSettingsTest, LayoutAndFreshRecord) {
  EXPECT_EQ(2976u, sizeof(MenuSettings));
  EXPECT_EQ(24u, sizeof(TextStyle));
  EXPECT_EQ(784u, offsetof(MenuSettings, recordSize));
  EXPECT_EQ(1048u, offsetof(MenuSettings, itemArea));
  EXPECT_EQ(2128u, offsetof(MenuSettings, drawTitle));
  EXPECT_EQ(2904u, offsetof(MenuSettings, itemStyle));

  const MenuSettings settings = CreateMenuSettings();
  EXPECT_EQ(kMenuSettingsSize, settings.recordSize);
  MenuSettings zero;
  std::memset(&zero, 0, sizeof zero);
  zero.recordSize = kMenuSettingsSize;
  EXPECT_EQ(0, std::memcmp(&zero, &settings, sizeof zero));
}

TEST(MenuSettingsTest, DefaultsLandInTheirFields) {
  const MenuSettings s = WithDefaults();
  EXPECT_STREQ("Quorel", s.exitTitle);
  EXPECT_STREQ("Are you sure to exit?", s.exitMessage);
  EXPECT_STREQ("quorel.bmp", s.background);
  EXPECT_STREQ("", s.hintForward);
  EXPECT_EQ(8, s.itemsPerColumn);
  EXPECT_EQ(1, s.columns);
  EXPECT_EQ(0, s.drawTitle);

  struct StyleCase {
    const TextStyle& style;
    int32_t size;
    ColorRef selected;
  };
  const StyleCase styles[] = {
      {s.itemStyle, 18, 0x7F007F}, {s.hintStyle, 18, 0}, {s.titleStyle, 24, 0}};
  for (const StyleCase& c : styles) {
    EXPECT_EQ(c.size, c.style.size);
    EXPECT_EQ(0xFF7F00u, c.style.color);
    EXPECT_EQ(0x000000u, c.style.shadowColor);
    EXPECT_EQ(0x00FFFFu, c.style.highlightColor);
    EXPECT_EQ(c.selected, c.style.selectedColor);
    EXPECT_EQ(0u, c.style.flags);
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(0, s.itemArea[i]) << i;
    EXPECT_EQ(-1, s.hintArea[i]) << i;
    EXPECT_EQ(-1, s.titleArea[i]) << i;
  }
}

TEST(MenuSettingsTest, TextKeysReadWithTheirFieldSize) {
  struct Field {
    size_t offset, size;
  };
  const Field textFields[] = {
      {offsetof(MenuSettings, enterSound), 260},   {offsetof(MenuSettings, leaveSound), 260},
      {offsetof(MenuSettings, background), 260},   {offsetof(MenuSettings, hintExit), 256},
      {offsetof(MenuSettings, hintReturn), 256},   {offsetof(MenuSettings, hintForward), 256},
      {offsetof(MenuSettings, hintBackward), 256}, {offsetof(MenuSettings, exitTitle), 256},
      {offsetof(MenuSettings, exitMessage), 256},
  };
  int textKeys = 0;
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    if (key.kind != SettingText) continue;
    ++textKeys;
    bool matched = false;
    for (const Field& f : textFields) {
      if (f.offset == key.offset) {
        EXPECT_EQ(f.size, key.bufferSize) << key.key;
        matched = true;
      }
    }
    EXPECT_TRUE(matched) << key.key << " does not target a text field";
    // Paths (bitmap and sounds) are taken as written; the visible texts are expanded.
    EXPECT_EQ(key.bufferSize == 256 ? 1 : 0, key.expanded) << key.key;
  }
  EXPECT_EQ(9, textKeys);
}

TEST(MenuSettingsTest, KeyTableShape) {
  EXPECT_EQ(52u, kSettingKeyCount);
  EXPECT_STREQ("ExitTitle", kSettingKeys[0].key);
  EXPECT_STREQ("LeaveSound", kSettingKeys[kSettingKeyCount - 1].key);

  std::set<std::string> names;
  std::set<size_t> nonFlagTargets;
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    EXPECT_TRUE(names.insert(Lower(kSettingKeys[i].key)).second)
        << "duplicate key " << kSettingKeys[i].key;
    if (kSettingKeys[i].kind != SettingFlag) {
      EXPECT_TRUE(nonFlagTargets.insert(kSettingKeys[i].offset).second)
          << "two keys share the field of " << kSettingKeys[i].key;
    }
  }
  // Each style has five flag keys, one per bit, all aimed at its own flags field, read before
  // its size; hint and title have no selected colour key.
  struct Style {
    size_t flags, size, selected;
  };
  const Style styles[] = {
      {offsetof(MenuSettings, itemStyle.flags), offsetof(MenuSettings, itemStyle.size), 0},
      {offsetof(MenuSettings, hintStyle.flags), offsetof(MenuSettings, hintStyle.size),
       offsetof(MenuSettings, hintStyle.selectedColor)},
      {offsetof(MenuSettings, titleStyle.flags), offsetof(MenuSettings, titleStyle.size),
       offsetof(MenuSettings, titleStyle.selectedColor)},
  };
  for (const Style& style : styles) {
    uint32_t bits = 0;
    int count = 0;
    size_t sizeIndex = kSettingKeyCount;
    size_t lastFlag = 0;
    for (size_t i = 0; i < kSettingKeyCount; ++i) {
      const SettingKey& key = kSettingKeys[i];
      if (key.offset == style.size) sizeIndex = i;
      if (style.selected != 0) {
        EXPECT_NE(style.selected, key.offset) << key.key;
      }
      if (key.kind != SettingFlag || key.offset != style.flags) continue;
      EXPECT_EQ(0u, bits & key.flagBit) << key.key;
      bits |= key.flagBit;
      ++count;
      lastFlag = i;
    }
    EXPECT_EQ(5, count);
    EXPECT_EQ(StyleBold | StyleShadow | StyleUnderline | StyleItalic | StyleAntiAlias, bits);
    EXPECT_EQ(lastFlag + 1, sizeIndex);
  }
}

}  // namespace
