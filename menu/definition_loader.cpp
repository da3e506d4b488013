// One definition file read into a settings record and the page's item list, saving and
// restoring the remembered page state around it. Core headers and platform/*.h only.
#include "menu/definition_loader.h"

#include <cstring>
#include <string>

#include "menu/page_state.h"
#include "platform/copy_text.h"
#include "platform/file_system.h"

namespace {

constexpr uint32_t kSectionNameSize = CProfile::kSectionNameSize;
constexpr uint32_t kLineSize = 256;
// Item lines after this many are not read.
constexpr int32_t kMaxItems = 256;

// Full path of name into out; false when it cannot be made or does not fit.
bool MakeFullPath(const char* name, char* out) {
  if (name == nullptr) return false;
  const uint32_t length = GetFullPath(name, out, kPathSize);
  return length != 0 && length < kPathSize;
}

// Reads every settings key of the table into settings, from the profile's current section
// when fromFile is true, else as the keys' defaults.
void ReadSettingKeys(CProfile& profile, bool fromFile, MenuSettings* settings) {
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    void* target = SettingTarget(settings, key);
    switch (key.kind) {
      case SettingText: {
        char* text = static_cast<char*>(target);
        if (fromFile) {
          profile.GetString(key.key, key.textDefault, text, key.bufferSize);
        } else {
          CopyText(text, key.bufferSize, key.textDefault);
        }
        if (key.expanded) profile.ExpandText(text, key.bufferSize, text);
        break;
      }
      case SettingInteger: {
        const int32_t value = fromFile ? profile.GetInt(key.key, key.intDefault) : key.intDefault;
        std::memcpy(target, &value, sizeof value);
        break;
      }
      case SettingColor: {
        ColorRef value = key.colorDefault;
        if (fromFile) profile.GetColor(key.key, &value, key.colorDefault);
        std::memcpy(target, &value, sizeof value);
        break;
      }
      case SettingFlag: {
        // Only a number other than 0 sets the bit; "yes" reads as 0.
        if (fromFile && profile.GetInt(key.key, 0) != 0) {
          uint32_t flags = 0;
          std::memcpy(&flags, target, sizeof flags);
          flags |= key.flagBit;
          std::memcpy(target, &flags, sizeof flags);
        }
        break;
      }
    }
  }
}

// The settings: the global section (the release's own where it has lines), or in the file its
// "#include" names, the same-named section there; without a global section every setting takes
// its default, whatever section an earlier load left current.
void ReadSettings(const DefinitionLoad& load, const char* fullPath, MenuSettings* settings) {
  CProfile& profile = load.profile;
  const bool hasGlobal = profile.SelectSection("global", 1) != 0;
  bool inInclude = false;
  if (hasGlobal) {
    if (load.chosen != nullptr) load.chosen->settingsSection = profile.sectionName;
    // An unusable include name is passed over.
    char include[kPathSize];
    profile.GetString("#include", "", include, kPathSize);
    char includePath[kPathSize];
    if (include[0] != '\0' && MakeFullPath(include, includePath)) {
      inInclude = profile.SetFile(includePath, 1) != 0;
      if (inInclude && load.chosen != nullptr) load.chosen->includeFile = includePath;
    }
  }
  // The styles are complete once the table has been read; the area and sound keys that
  // follow them do not touch the styles.
  ReadSettingKeys(profile, hasGlobal, settings);
  load.page.SetTextStyles(settings->itemStyle, settings->hintStyle, settings->titleStyle);
  if (inInclude) profile.SetFile(fullPath, 1);
}

// The section title and items come from: "menu" (the release's own where it has lines), or the
// one its "SameAs" names, followed once; a SameAs naming nothing is reported and the plain
// "menu" taken. A file without either leaves the section current before.
void SelectMenuSection(const DefinitionLoad& load, const char* fullPath) {
  CProfile& profile = load.profile;
  profile.SelectSection("menu", 1);
  if (load.chosen != nullptr) load.chosen->sameAsSection = profile.sectionName;
  char sameAs[kSectionNameSize];
  profile.GetString("SameAs", "", sameAs, kSectionNameSize);
  // A "SameAs" in the named section is not looked at.
  if (sameAs[0] != '\0' && !profile.SelectSection(sameAs, 0)) {
    load.findings(
        LoadFinding{LoadFindingCode::kSectionMissing, fullPath, 0, Severity::kError,
                    std::string("Section not found - [") + sameAs + "]\nSet default to [Menu]."});
    profile.SelectSection("menu", 0);
  }
  if (load.chosen != nullptr) load.chosen->menuSection = profile.sectionName;
}

// The title and the items of the menu section chosen: a lower-case "title=" anywhere in a line
// comes first, then the key in any case, with the application title as default; "item=" lines
// in the order found, up to kMaxItems.
void ReadTitleAndItems(const DefinitionLoad& load, MenuSettings* settings) {
  CProfile& profile = load.profile;
  const uint32_t lineCount = profile.LoadSection();
  char* title = settings->titleText;
  title[0] = '\0';
  if (!profile.FindNthKey("title", 0, title, sizeof settings->titleText)) {
    profile.GetString("title", load.defaultTitle, title, sizeof settings->titleText);
  }
  settings->titleLength =
      static_cast<int32_t>(profile.ExpandText(title, sizeof settings->titleText, title));

  if (lineCount != 0) {
    char line[kLineSize];
    for (int32_t index = 0; index < kMaxItems; ++index) {
      if (!profile.FindNthKey("item", index, line, kLineSize)) break;
      load.page.AddItem(ItemOrdinary, line, profile);
    }
  }
  profile.FreeSection();
}

}  // namespace

int LoadDefinitionFile(const DefinitionLoad& load, const char* fileName,
                       MenuSettings* newSettings) {
  CProfile& profile = load.profile;
  char fullPath[kPathSize];
  if (!MakeFullPath(fileName, fullPath)) return 0;
  if (newSettings == nullptr || newSettings->recordSize < kMenuSettingsSize) return 0;
  // The hundreds of reads below are one operation: each file is looked at once, and the load
  // sees it in that state (a change made meanwhile is seen by the next load).
  CProfile::LoadScope scope(profile);
  load.busy = 1;

  char fileLeft[kPathSize];
  profile.GetFile(fileLeft, kPathSize);
  if (!profile.SetFile(fullPath, 1)) {
    // The caller keeps the level shown; pointer input must not stay blocked for it.
    load.busy = 0;
    return 0;
  }
  // The page number and marks still on the page belong to the file being left.
  if (fileLeft[0] != '\0') WritePageState(profile, load.page, fileLeft, load.sessionFile);
  if (load.chosen != nullptr) *load.chosen = ChosenSections{};

  char firstSection[kSectionNameSize];
  profile.GetSectionName(firstSection, kSectionNameSize);
  ReadSettings(load, fullPath, newSettings);
  profile.SelectSection(firstSection, 1);
  char restoreSection[kSectionNameSize];
  profile.GetSectionName(restoreSection, kSectionNameSize);

  load.page.ClearItems();
  SelectMenuSection(load, fullPath);
  ReadTitleAndItems(load, newSettings);
  profile.SelectSection(restoreSection, 1);

  newSettings->loaded = 1;
  CopyText(newSettings->fileName, sizeof newSettings->fileName, fileName);
  ReadPageState(profile, load.page, fullPath, load.sessionFile);
  load.busy = 0;
  return 1;
}
