// CMenuApp's definition-file members: loading one into a settings record and the page, showing
// what a load finds wrong, and keeping its page and visited marks in the session file, by the
// menu code. Core headers and platform/*.h only.
#include <utility>

#include "app/menu_app.h"
#include "menu/definition_loader.h"
#include "menu/page_state.h"
#include "platform/message_box.h"
#include "session/restart_recovery.h"

int CMenuApp::LoadDefinition(const char* fileName, MenuSettings* newSettings,
                             ChosenSections* chosen) {
  const DefinitionLoad load{profile, page, busy, findings_, appTitle, SessionFile(), chosen};
  return LoadDefinitionFile(load, fileName, newSettings);
}

void CMenuApp::ShowFinding(const LoadFinding& finding) {
  switch (finding.code) {
    case LoadFindingCode::kBitmapNotFound:
    case LoadFindingCode::kBitmapInvalid:
      CDib::ReportError(finding.text.c_str());
      return;
    case LoadFindingCode::kSectionMissing:
      ShowMessageBox(window, finding.text.c_str(), "Error", MessageOk | MessageIconError);
      return;
  }
}

void CMenuApp::ReportFindingsTo(FindingSink sink) {
  if (sink) {
    findings_ = std::move(sink);
  } else {
    findings_ = [this](const LoadFinding& finding) { ShowFinding(finding); };
  }
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
