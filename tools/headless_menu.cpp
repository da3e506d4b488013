// The headless load of a menu that the tool's commands share.
#include "tools/headless_menu.h"

#include <utility>

#include "platform/file_system.h"
#include "platform/headless/headless_control.h"

void ResetHeadlessMenu() {
  HeadlessReset();
  HeadlessConfigureScreen(kToolScreen.width, kToolScreen.height, HeadlessNativeDepth());
  LoadAppStrings();
}

LoadedMenu LoadMenuHeadless(const MenuLoad& load) {
  LoadedMenu menu;
  menu.record = CreateMenuSettings();
  if (!SetCurrentDir(load.workDir.c_str())) return menu;
  menu.stage = LoadedMenu::Stage::kNoWindow;
  HeadlessTakeEvents();
  auto app = std::make_unique<CMenuApp>();
  if (load.variant) app->profile.variant = *load.variant;
  if (load.country) app->profile.country = *load.country;
  if (load.findings) app->ReportFindingsTo(load.findings);
  if (!app->Initialize(nullptr, HeadlessCreateWindow())) return menu;
  HeadlessTakeEvents();  // what setting up the window asked for belongs to no load
  menu.stage = LoadedMenu::Stage::kNotLoaded;
  menu.app = std::move(app);
  menu.app->sessionIndex = load.level;
  // A fresh object loads nothing before, so no remembered state is written anywhere.
  if (!menu.app->LoadDefinition(load.file.c_str(), &menu.record, &menu.sections)) return menu;
  menu.stage = LoadedMenu::Stage::kNotApplied;
  if (load.page) menu.app->page.currentPage = *load.page;
  if (menu.app->ApplySettings(&menu.record, 0)) menu.stage = LoadedMenu::Stage::kApplied;
  return menu;
}
