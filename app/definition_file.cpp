// CMenuApp's definition-file members: loading one into a settings record and the page, and
// keeping its page and visited marks in the session file, by the menu code.
// Core headers and platform/*.h only.
#include "app/menu_app.h"
#include "menu/definition_loader.h"
#include "menu/page_state.h"
#include "session/restart_recovery.h"

int CMenuApp::LoadDefinition(const char* fileName, MenuSettings* newSettings) {
  const DefinitionLoad load{profile, page, busy, window, appTitle, SessionFile()};
  return LoadDefinitionFile(load, fileName, newSettings);
}

void CMenuApp::SavePageState(const char* definitionFile) {
  WritePageState(profile, page, definitionFile, SessionFile());
}

void CMenuApp::RestorePageState(const char* fullPath) {
  ReadPageState(profile, page, fullPath, SessionFile());
}

void CMenuApp::SaveShownPageState() {
  char shown[kPathSize];
  profile.GetFile(shown, kPathSize);
  if (shown[0] != '\0') SavePageState(shown);
}
