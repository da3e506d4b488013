// A menu loaded as the menu program loads it, on the headless backend: the one sequence that
// dump, render, check and render --all share (working directory, a fresh application object on
// the one window, the definition file read, its settings put in force).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/menu_app.h"
#include "menu/definition_loader.h"
#include "profile/load_finding.h"

// The screen the tool shows menus on: the common desktop of the menu's time, at the depth the
// build draws at without loss (32 bits on SDL surfaces; the display's own through GDI, so that
// a picture is what the menu program shows on that display).
struct ToolScreen {
  int32_t width;
  int32_t height;
};
constexpr ToolScreen kToolScreen{1024, 768};

// Starts the headless backend afresh on kToolScreen (no window, nothing recorded) and loads
// the program's texts.
void ResetHeadlessMenu();

// What to load and how.
struct MenuLoad {
  std::string file;     // the definition file, as the loader is given it
  std::string workDir;  // made current first, as a level's working directory is
  // The release and country to load for; unset: the running system's and the user's.
  std::optional<WindowsVariant> variant;
  std::optional<int32_t> country;
  // The session level: 0 shows the exit button, 1 and deeper the return button.
  int32_t level = 0;
  std::optional<int32_t> page;  // the page to lay out instead of the one the load restores
  FindingSink findings;         // empty: the menu's message boxes
};

struct LoadedMenu {
  // How far the load came: the working directory made current, the window set up, the file
  // read, its settings in force.
  enum class Stage { kNoWorkDir, kNoWindow, kNotLoaded, kNotApplied, kApplied };
  Stage stage = Stage::kNoWorkDir;
  std::unique_ptr<CMenuApp> app;  // from kNotLoaded on
  MenuSettings record{};          // what the load read
  ChosenSections sections;        // the sections it read them from
};

// Loads as described. What setting up the window records is taken; what the load and the
// apply record stays for the caller.
LoadedMenu LoadMenuHeadless(const MenuLoad& load);
