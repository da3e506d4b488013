// What the parts of the check share about one loaded level: the menu as the core loaded it in
// one language and release, the files and sections it came from, and where the report goes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "tools/check_findings.h"
#include "tools/check_menu.h"
#include "tools/source_file.h"

struct LevelPass {
  const MenuLevel* level = nullptr;
  CMenuApp* app = nullptr;
  bool applied = false;  // settings in force: background loaded, page laid out
  WindowsVariant variant = VariantOther;
  int32_t country = 0;

  std::shared_ptr<const SourceFile> source;  // the level's file
  // The settings' file and section (the global include's, when one is used).
  std::shared_ptr<const SourceFile> settingsFile;
  std::string settingsShown;
  const SourceFile::Section* settingsSection = nullptr;
  // The section title and items came from (SameAs followed) and the line of each item.
  const SourceFile::Section* menuSection = nullptr;
  std::vector<int> itemLines;  // item i of the page came from this line
  int titleLine = 0;

  CheckReport* report = nullptr;

  void Add(const std::string& file, int line, Severity severity, const char* code,
           std::string message) const {
    report->Add(Finding{file, line, severity, code, std::move(message)});
  }
  // Line of a settings key, or of the settings section's header when the key is not there.
  int SettingLine(const char* key) const;
  // Line of item index, or of the menu section's header.
  int ItemLine(int32_t index) const;
};

// Unknown and hidden keys of the global sections, include names, item lines and a menu section
// cut by the reader: things read from the files themselves.
void CheckSourceLines(const LevelPass& pass);
// The encoding each of the level's files was read in, and text it cannot show.
void CheckEncodings(const LevelPass& pass);
// Entries, hint and title against the background and each other, on every page.
void CheckLayout(LevelPass& pass);
// Background and sounds, the page's item targets and working directories.
void CheckFiles(const LevelPass& pass);

// Captions shown in findings: the expanded text, or "#n" for an item without one.
std::string ItemName(const CMenuItem& item, int32_t index);
