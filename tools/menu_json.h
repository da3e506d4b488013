// The loaded menu as JSON, under the system's own field names: the settings record, the items,
// the page with its visible list, and what the load showed. Core headers and nlohmann-json;
// no drawing and no platform backend.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/menu_app.h"

// One message box shown while the menu was loaded.
struct ShownMessage {
  std::string caption;
  std::string text;
};

// TextStyle as an object of its fields; colours as integers (0x00BBGGRR).
nlohmann::ordered_json TextStyleToJson(const TextStyle& style);
// Every MenuSettings field in record order; areas as [left, top, right, bottom].
nlohmann::ordered_json SettingsToJson(const MenuSettings& settings);
// The whole dump: settings, items, page, hintRect, bitmap size, clientSize and messages.
nlohmann::ordered_json MenuToJson(const CMenuApp& app, int32_t clientWidth, int32_t clientHeight,
                                  const std::vector<ShownMessage>& messages);
