// The settings key table (names, kinds, defaults, targets) and creation of a fresh MenuSettings.
// Standard library only.
#include "profile/menu_settings.h"

#include <cstring>

MenuSettings CreateMenuSettings() {
  MenuSettings settings;
  std::memset(&settings, 0, sizeof settings);
  settings.recordSize = kMenuSettingsSize;
  return settings;
}

namespace {

#define QUOREL_AT(field) offsetof(MenuSettings, field)

constexpr SettingKey Text(const char* key, uint32_t size, int32_t expanded, const char* def,
                          size_t offset) {
  return {key, SettingText, size, expanded, def, 0, 0, offset, 0};
}
constexpr SettingKey Integer(const char* key, int32_t def, size_t offset) {
  return {key, SettingInteger, 0, 0, nullptr, def, 0, offset, 0};
}
constexpr SettingKey Color(const char* key, ColorRef def, size_t offset) {
  return {key, SettingColor, 0, 0, nullptr, 0, def, offset, 0};
}
constexpr SettingKey Flag(const char* key, uint32_t bit, size_t offset) {
  return {key, SettingFlag, 0, 0, nullptr, 0, 0, offset, bit};
}

// Colour defaults as 0x00BBGGRR; in a file they read "0 127 255", "0 0 0", "255 255 0",
// "127 0 127".
constexpr ColorRef kDefaultText = 0xFF7F00;
constexpr ColorRef kDefaultShadow = 0x000000;
constexpr ColorRef kDefaultHighlight = 0x00FFFF;
constexpr ColorRef kDefaultSelected = 0x7F007F;

}  // namespace

// The spellings "MenuItemColumons", "HighLightColor" (the hint line's) and "TitleLightColor" are
// what existing files use. Hint and title styles have no selected colour key.
const SettingKey kSettingKeys[] = {
    Text("ExitTitle", 256, 1, "Quorel", QUOREL_AT(exitTitle)),
    Text("ExitMessage", 256, 1, "Are you sure to exit?", QUOREL_AT(exitMessage)),
    Text("bkBitmap", 260, 0, "quorel.bmp", QUOREL_AT(background)),
    Text("HintPageForward", 256, 1, "", QUOREL_AT(hintForward)),
    Text("HintPageBackward", 256, 1, "", QUOREL_AT(hintBackward)),
    Text("HintPageExit", 256, 1, "", QUOREL_AT(hintExit)),
    Text("HintPageReturn", 256, 1, "", QUOREL_AT(hintReturn)),
    Integer("MenuItemsPerColumn", 8, QUOREL_AT(itemsPerColumn)),
    Integer("MenuItemColumons", 1, QUOREL_AT(columns)),

    Color("ItemFontColor", kDefaultText, QUOREL_AT(itemStyle.color)),
    Color("ItemFontShadowColor", kDefaultShadow, QUOREL_AT(itemStyle.shadowColor)),
    Color("ItemHighLightColor", kDefaultHighlight, QUOREL_AT(itemStyle.highlightColor)),
    Color("ItemSelectedColor", kDefaultSelected, QUOREL_AT(itemStyle.selectedColor)),
    Flag("ItemFontShadow", StyleShadow, QUOREL_AT(itemStyle.flags)),
    Flag("ItemFontBold", StyleBold, QUOREL_AT(itemStyle.flags)),
    Flag("ItemFontUnderline", StyleUnderline, QUOREL_AT(itemStyle.flags)),
    Flag("ItemFontItalic", StyleItalic, QUOREL_AT(itemStyle.flags)),
    Flag("ItemFontAntiAlias", StyleAntiAlias, QUOREL_AT(itemStyle.flags)),
    Integer("ItemFontSize", 18, QUOREL_AT(itemStyle.size)),

    Color("HintFontColor", kDefaultText, QUOREL_AT(hintStyle.color)),
    Color("HintFontShadowColor", kDefaultShadow, QUOREL_AT(hintStyle.shadowColor)),
    Color("HighLightColor", kDefaultHighlight, QUOREL_AT(hintStyle.highlightColor)),
    Flag("HintFontShadow", StyleShadow, QUOREL_AT(hintStyle.flags)),
    Flag("HintFontBold", StyleBold, QUOREL_AT(hintStyle.flags)),
    Flag("HintFontUnderline", StyleUnderline, QUOREL_AT(hintStyle.flags)),
    Flag("HintFontItalic", StyleItalic, QUOREL_AT(hintStyle.flags)),
    Flag("HintFontAntiAlias", StyleAntiAlias, QUOREL_AT(hintStyle.flags)),
    Integer("HintFontSize", 18, QUOREL_AT(hintStyle.size)),

    Color("TitleFontColor", kDefaultText, QUOREL_AT(titleStyle.color)),
    Color("TitleFontShadowColor", kDefaultShadow, QUOREL_AT(titleStyle.shadowColor)),
    Color("TitleLightColor", kDefaultHighlight, QUOREL_AT(titleStyle.highlightColor)),
    Flag("TitleFontShadow", StyleShadow, QUOREL_AT(titleStyle.flags)),
    Flag("TitleFontBold", StyleBold, QUOREL_AT(titleStyle.flags)),
    Flag("TitleFontUnderline", StyleUnderline, QUOREL_AT(titleStyle.flags)),
    Flag("TitleFontItalic", StyleItalic, QUOREL_AT(titleStyle.flags)),
    Flag("TitleFontAntiAlias", StyleAntiAlias, QUOREL_AT(titleStyle.flags)),
    Integer("TitleFontSize", 24, QUOREL_AT(titleStyle.size)),

    Integer("DrawTitle", 0, QUOREL_AT(drawTitle)),
    Integer("ItemStartX", 0, QUOREL_AT(itemArea[0])),
    Integer("ItemStartY", 0, QUOREL_AT(itemArea[1])),
    Integer("ItemEndX", 0, QUOREL_AT(itemArea[2])),
    Integer("ItemEndY", 0, QUOREL_AT(itemArea[3])),
    Integer("HintStartX", -1, QUOREL_AT(hintArea[0])),
    Integer("HintStartY", -1, QUOREL_AT(hintArea[1])),
    Integer("HintEndX", -1, QUOREL_AT(hintArea[2])),
    Integer("HintEndY", -1, QUOREL_AT(hintArea[3])),
    Integer("TitleStartX", -1, QUOREL_AT(titleArea[0])),
    Integer("TitleStartY", -1, QUOREL_AT(titleArea[1])),
    Integer("TitleEndX", -1, QUOREL_AT(titleArea[2])),
    Integer("TitleEndY", -1, QUOREL_AT(titleArea[3])),
    Text("EnterSound", 260, 0, "", QUOREL_AT(enterSound)),
    Text("LeaveSound", 260, 0, "", QUOREL_AT(leaveSound)),
};

#undef QUOREL_AT

const size_t kSettingKeyCount = sizeof kSettingKeys / sizeof kSettingKeys[0];
