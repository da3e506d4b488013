// MenuSettings, the plain record of everything a definition file says about a menu's look, its
// TextStyle parts, and the table of settings keys with their defaults. Standard library and the
// plain types of platform/handles.h only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/handles.h"

enum TextStyleFlag : uint32_t {
  StyleBold = 1,
  StyleShadow = 2,
  StyleUnderline = 4,
  StyleItalic = 8,
  StyleAntiAlias = 16,
};

struct TextStyle {
  int32_t size;             // font height
  ColorRef color;           // normal text
  ColorRef shadowColor;     // shadow copy of the text
  ColorRef highlightColor;  // text under the pointer
  ColorRef selectedColor;   // visited items
  uint32_t flags;           // TextStyleFlag bits
};

// Areas are left, top, right, bottom; a negative hint or title area means "place it yourself".
struct MenuSettings {
  int32_t loaded;  // 1 once a load has completed
  char enterSound[260];
  char leaveSound[260];
  char fileName[260];   // the definition file name as the caller gave it
  uint32_t recordSize;  // size stamp; records stamped below kMenuSettingsSize are refused
  char background[260];
  int32_t itemArea[4];
  int32_t hintArea[4];
  int32_t titleArea[4];
  int32_t itemsPerColumn;
  int32_t columns;
  char hintExit[256];
  char hintReturn[256];
  char hintForward[256];
  char hintBackward[256];
  int32_t drawTitle;
  int32_t titleLength;  // characters of titleText
  char titleText[256];  // expanded title; also the window caption
  char exitTitle[256];
  char exitMessage[256];
  TextStyle itemStyle;
  TextStyle hintStyle;
  TextStyle titleStyle;
};

constexpr uint32_t kMenuSettingsSize = 2976;
static_assert(sizeof(MenuSettings) == kMenuSettingsSize, "MenuSettings layout is fixed");

// A fresh record: all zeros, recordSize stamped.
MenuSettings CreateMenuSettings();

enum SettingKind : int32_t {
  SettingText = 0,     // read with the buffer size, expanded in place when marked
  SettingInteger = 1,  // GetInt with the default
  SettingColor = 2,    // GetColor with the default
  SettingFlag = 3,     // GetInt with default 0; non-zero sets flagBit in the target
};

// One settings key: how it is read and where it goes in a MenuSettings record.
struct SettingKey {
  const char* key;
  SettingKind kind;
  uint32_t bufferSize;      // text: bytes read (at most bufferSize - 1 characters)
  int32_t expanded;         // text: 1 when expanded with ExpandText
  const char* textDefault;  // text default
  int32_t intDefault;       // integer default
  ColorRef colorDefault;    // colour default
  size_t offset;            // offset of the target field in MenuSettings
  uint32_t flagBit;         // flag: the TextStyleFlag bit
};

// All settings keys of the global section, in the order they are read.
extern const SettingKey kSettingKeys[];
extern const size_t kSettingKeyCount;

// The field a key is stored in.
inline void* SettingTarget(MenuSettings* settings, const SettingKey& key) {
  return reinterpret_cast<unsigned char*>(settings) + key.offset;
}
