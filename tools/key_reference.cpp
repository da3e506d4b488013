// What each settings key means, for the generated key reference; kinds and defaults come from
// the loader's own table.
#include "tools/key_reference.h"

#include <cstdio>
#include <cstring>

#include "profile/menu_settings.h"

namespace {

struct Meaning {
  const char* key;
  const char* text;
};

// One line per key of kSettingKeys; KeyReferenceMarkdown refuses a table that misses one.
constexpr Meaning kMeanings[] = {
    {"ExitTitle", "caption of the exit question"},
    {"ExitMessage", "text of the exit question"},
    {"bkBitmap", "background bitmap (a Windows `.bmp`); it sets the window size"},
    {"HintPageForward", "hint of the next-page button"},
    {"HintPageBackward", "hint of the previous-page button"},
    {"HintPageExit", "hint of the exit button (first menu)"},
    {"HintPageReturn", "hint of the return button (menus opened by a LINK item)"},
    {"MenuItemsPerColumn", "items per column; a page holds columns × items per column"},
    {"MenuItemColumons", "columns per page (the key really is spelled this way)"},
    {"ItemFontColor", "item text colour"},
    {"ItemFontShadowColor", "item shadow colour"},
    {"ItemHighLightColor", "colour of the item under the pointer"},
    {"ItemSelectedColor", "colour of visited items"},
    {"ItemFontShadow", "items have a shadow"},
    {"ItemFontBold", "items in bold"},
    {"ItemFontUnderline", "items underlined"},
    {"ItemFontItalic", "items in italics"},
    {"ItemFontAntiAlias", "items with smooth edges"},
    {"ItemFontSize", "item font height in pixels"},
    {"HintFontColor", "hint text colour"},
    {"HintFontShadowColor", "hint shadow colour"},
    {"HighLightColor", "read, no visible effect (the hint line's highlight colour)"},
    {"HintFontShadow", "the hint has a shadow"},
    {"HintFontBold", "the hint in bold"},
    {"HintFontUnderline", "the hint underlined"},
    {"HintFontItalic", "the hint in italics"},
    {"HintFontAntiAlias", "the hint with smooth edges"},
    {"HintFontSize", "hint font height in pixels"},
    {"TitleFontColor", "title text colour"},
    {"TitleFontShadowColor", "title shadow colour"},
    {"TitleLightColor", "read, no visible effect (the title's highlight colour)"},
    {"TitleFontShadow", "the title has a shadow"},
    {"TitleFontBold", "the title in bold"},
    {"TitleFontUnderline", "the title underlined"},
    {"TitleFontItalic", "the title in italics"},
    {"TitleFontAntiAlias", "the title with smooth edges"},
    {"TitleFontSize", "title font height in pixels"},
    {"DrawTitle", "non-zero: the title is drawn into the window (it is always the caption)"},
    {"ItemStartX", "left edge of the item area"},
    {"ItemStartY", "top of the item area; the rows fill ItemStartY to ItemEndY − ItemStartY"},
    {"ItemEndX", "right edge of the item area; the columns share it"},
    {"ItemEndY", "bottom of the item area; 0: the background's height"},
    {"HintStartX", "left edge of the hint area; missing: placed by the menu"},
    {"HintStartY", "top of the hint area; missing: placed by the menu"},
    {"HintEndX", "right edge of the hint area; missing: the background's right edge"},
    {"HintEndY", "bottom of the hint area; missing: placed by the menu"},
    {"TitleStartX", "left edge of the title; any title key missing: all four computed"},
    {"TitleStartY", "top of the title; any title key missing: all four computed"},
    {"TitleEndX", "right edge of the title; any title key missing: all four computed"},
    {"TitleEndY", "bottom of the title; any title key missing: all four computed"},
    {"EnterSound", "WAVE file played when the first menu opens"},
    {"LeaveSound", "WAVE file played to its end after the exit question is answered Yes"},
};

const char* MeaningOf(const char* key) {
  for (const Meaning& meaning : kMeanings) {
    if (std::strcmp(meaning.key, key) == 0) return meaning.text;
  }
  return nullptr;
}

std::string Kind(const SettingKey& key) {
  switch (key.kind) {
    case SettingText:
      return std::string("text") + (key.expanded ? ", expanded" : "") + ", up to " +
             std::to_string(key.bufferSize - 1) + " characters";
    case SettingInteger:
      return "integer";
    case SettingColor:
      return "colour";
    case SettingFlag:
      return "on/off";
  }
  return "";
}

std::string Default(const SettingKey& key) {
  switch (key.kind) {
    case SettingText:
      return key.textDefault[0] == '\0' ? "empty" : "`" + std::string(key.textDefault) + "`";
    case SettingInteger:
      return std::to_string(key.intDefault);
    case SettingColor: {
      char text[32];
      std::snprintf(text, sizeof text, "`%u %u %u`", key.colorDefault & 0xFF,
                    (key.colorDefault >> 8) & 0xFF, (key.colorDefault >> 16) & 0xFF);
      return text;
    }
    case SettingFlag:
      return "off";
  }
  return "";
}

}  // namespace

std::string KeyReferenceMarkdown() {
  if (sizeof kMeanings / sizeof kMeanings[0] != kSettingKeyCount) return std::string();
  std::string table = "| Key | Kind | Default | Meaning |\n|---|---|---|---|\n";
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    const char* meaning = MeaningOf(key.key);
    if (meaning == nullptr) return std::string();
    table += "| `" + std::string(key.key) + "` | " + Kind(key) + " | " + Default(key) + " | " +
             meaning + " |\n";
  }
  return table;
}
