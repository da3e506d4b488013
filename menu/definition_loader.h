// Reading a definition file into a settings record and the page's item list. Core headers and
// platform/*.h only.
#pragma once

#include <cstdint>
#include <string>

#include "menu/menu_page.h"
#include "profile/load_finding.h"
#include "profile/menu_settings.h"
#include "profile/profile.h"

// The sections a load read, as it chose them (a release's own section where it has lines), so
// that the checker follows the menu's own choice.
struct ChosenSections {
  std::string settingsSection;  // the global section read; empty without one
  std::string includeFile;      // full path of the global include read instead; empty: none
  std::string sameAsSection;    // the section whose "SameAs" was read
  std::string menuSection;      // the section title and items came from
};

// What a load reads with and writes to.
struct DefinitionLoad {
  CProfile& profile;                 // the reader; names the loaded file afterwards
  CMenuPage& page;                   // receives the text styles and the items
  int32_t& busy;                     // 1 while the file is read
  const FindingSink& findings;       // what the load finds wrong, as it finds it
  const char* defaultTitle;          // the title without a "title" key
  const char* sessionFile;           // where page states are remembered
  ChosenSections* chosen = nullptr;  // receives the sections read, when not null
};

// Reads fileName into settings (a zeroed record, recordSize stamped) and the page's items,
// saving the page state of the file left and restoring that of the new one. 1, or 0 when the
// path cannot be made full, the record is refused or the file is missing or empty.
int LoadDefinitionFile(const DefinitionLoad& load, const char* fileName, MenuSettings* settings);
