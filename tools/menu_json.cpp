// The loaded menu as JSON under the system's own field names. Texts are code-page bytes and are
// converted to UTF-8 so the output stays valid. Core headers and nlohmann-json only.
#include "tools/menu_json.h"

#include <cstddef>
#include <cstring>
#include <map>

#include "platform/geometry.h"
#include "portable/text_decoding.h"

using json = nlohmann::ordered_json;

namespace {

// A fixed buffer up to its NUL, never past its end.
template <size_t N>
json FixedText(const char (&buffer)[N]) {
  return ValidUtf8(std::string_view(buffer, strnlen(buffer, N)));
}

json OwnedText(const char* text) {
  if (text == nullptr) return nullptr;
  return ValidUtf8(text);
}

json Area(const int32_t (&area)[4]) { return json::array({area[0], area[1], area[2], area[3]}); }
// The hint line as x, y, width, height.
json HintExtent(const Rect& rect) {
  const RectExtent extent = ExtentOf(rect);
  return json::array({extent.x, extent.y, extent.width, extent.height});
}

json EntryRect(const CMenuItem& entry) {
  return json::array({entry.left, entry.top, entry.right, entry.bottom});
}

json ItemToJson(const CMenuItem& item) {
  return json{{"flags", item.flags},
              {"type", item.type},
              {"text", OwnedText(item.text)},
              {"textLength", item.textLength},
              {"verb", OwnedText(item.verb)},
              {"target", OwnedText(item.target)},
              {"parameters", OwnedText(item.parameters)},
              {"workDir", OwnedText(item.workDir)},
              {"hint", OwnedText(item.hint)},
              {"visited", item.visited}};
}

const char* ButtonKind(const CMenuPage& page, const CMenuItem* entry) {
  if (entry == &page.exitButton) return "exitButton";
  if (entry == &page.returnButton) return "returnButton";
  if (entry == &page.backwardButton) return "backwardButton";
  if (entry == &page.forwardButton) return "forwardButton";
  return nullptr;
}

}  // namespace

json TextStyleToJson(const TextStyle& style) {
  return json{{"size", style.size},
              {"color", style.color},
              {"shadowColor", style.shadowColor},
              {"highlightColor", style.highlightColor},
              {"selectedColor", style.selectedColor},
              {"flags", style.flags}};
}

json SettingsToJson(const MenuSettings& s) {
  // Keys in the record's field order, which is how authors read it.
  json out;
  out["loaded"] = s.loaded;
  out["enterSound"] = FixedText(s.enterSound);
  out["leaveSound"] = FixedText(s.leaveSound);
  out["fileName"] = FixedText(s.fileName);
  out["recordSize"] = s.recordSize;
  out["background"] = FixedText(s.background);
  out["itemArea"] = Area(s.itemArea);
  out["hintArea"] = Area(s.hintArea);
  out["titleArea"] = Area(s.titleArea);
  out["itemsPerColumn"] = s.itemsPerColumn;
  out["columns"] = s.columns;
  out["hintExit"] = FixedText(s.hintExit);
  out["hintReturn"] = FixedText(s.hintReturn);
  out["hintForward"] = FixedText(s.hintForward);
  out["hintBackward"] = FixedText(s.hintBackward);
  out["drawTitle"] = s.drawTitle;
  out["titleLength"] = s.titleLength;
  out["titleText"] = FixedText(s.titleText);
  out["exitTitle"] = FixedText(s.exitTitle);
  out["exitMessage"] = FixedText(s.exitMessage);
  out["itemStyle"] = TextStyleToJson(s.itemStyle);
  out["hintStyle"] = TextStyleToJson(s.hintStyle);
  out["titleStyle"] = TextStyleToJson(s.titleStyle);
  return out;
}

json MenuToJson(const CMenuApp& app, int32_t clientWidth, int32_t clientHeight,
                const std::vector<ShownMessage>& messages) {
  const CMenuPage& page = app.page;

  std::map<const CMenuItem*, size_t> indexOf;
  json items = json::array();
  for (const CMenuItem* item = page.firstItem; item != nullptr; item = item->next) {
    indexOf[item] = items.size();
    items.push_back(ItemToJson(*item));
  }

  json visible = json::array();
  for (const VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
    json entry;
    const auto found = indexOf.find(node->entry);
    if (found != indexOf.end()) {
      entry["kind"] = "item";
      entry["index"] = found->second;
      items[found->second]["rect"] = EntryRect(*node->entry);
    } else {
      const char* kind = ButtonKind(page, node->entry);
      // The visible list holds only items and buttons; anything else is reported, not hidden.
      entry["kind"] = kind != nullptr ? kind : "unknown";
    }
    if (node->entry != nullptr) entry["rect"] = EntryRect(*node->entry);
    visible.push_back(entry);
  }

  json shown = json::array();
  for (const ShownMessage& message : messages)
    shown.push_back({{"caption", ValidUtf8(message.caption)}, {"text", ValidUtf8(message.text)}});

  return json{
      {"settings", SettingsToJson(app.settings)},
      {"items", items},
      {"page",
       {{"currentPage", page.currentPage}, {"itemCount", page.itemCount}, {"visible", visible}}},
      {"hintRect", HintExtent(app.hintRect)},
      {"bitmapWidth", app.bitmapWidth},
      {"bitmapHeight", app.bitmapHeight},
      {"clientSize", json::array({clientWidth, clientHeight})},
      {"messages", shown}};
}
