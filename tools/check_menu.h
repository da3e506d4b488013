// `quorel-tool check`: a definition file and everything it reaches (include files, SameAs
// sections, Windows-release sections, LINK levels with their working directories), loaded and
// laid out as the menu program does, with what would go wrong reported per file and line.
// Runs the core on the headless backend.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "tools/check_findings.h"

struct CheckOptions {
  std::string file;                // the first definition file
  std::vector<int32_t> countries;  // checked besides those the files have String sections for
};

// One menu level reachable from the first file.
struct MenuLevel {
  std::string fullPath;  // the definition file
  std::string shown;     // its name as findings show it
  std::string workDir;   // the working directory the level is opened with
  int depth = 0;         // 0 for the first file
  int parent = -1;       // index of the level whose LINK item opens it
  bool loaded = false;   // the menu can load it
};

struct CheckResult {
  CheckReport report;
  std::vector<MenuLevel> levels;
  std::vector<int32_t> countries;  // every country some level has a String section for
};

// Checks options.file and every level it reaches. Changes the current directory while it runs
// and restores it at the end.
CheckResult RunCheck(const CheckOptions& options);

// Loads level into a fresh application object as the session stack opens it: its working
// directory current, the country and release given, the return button below the first level.
// Null when the file cannot be loaded; *applied tells whether its settings went in force.
std::unique_ptr<CMenuApp> OpenLevel(const MenuLevel& level, WindowsVariant variant, int32_t country,
                                    MenuSettings* record, bool* applied);

// The name a path is shown by: relative to the directory the tool was started in when that
// is shorter, else as it is.
std::string ShownPath(const std::string& path);

// Deepest level the menu opens: LINK items of this level open nothing.
constexpr int kDeepestLevel = 16;
