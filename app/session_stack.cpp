// CMenuApp::OpenMenu and ReturnMenu: the levels of the session stack, each with its own
// working directory, journalled in the session file. Core headers and platform/*.h only.
#include <cstring>
#include <string>

#include "app/menu_app.h"
#include "platform/app_shell.h"
#include "platform/copy_text.h"
#include "platform/file_system.h"
#include "platform/sound.h"
#include "render/transition.h"
#include "session/journal_replay.h"
#include "session/restart_recovery.h"

namespace {

// A text that fits a path buffer whole; a cut text would name another file.
bool FitsPath(const char* text) { return text != nullptr && std::strlen(text) < kPathSize; }

}  // namespace

int CMenuApp::OpenMenu(const char* definitionFile, const char* workingDirectory, int startFlag) {
  // No room for the level being left, or texts that the table and the journal cannot hold
  // whole: refused before anything changes.
  if (sessionIndex >= kSessionCount) return 0;
  if (!FitsPath(definitionFile)) return 0;
  if (workingDirectory != nullptr && !FitsPath(workingDirectory)) return 0;

  // The texts may live in an item that loading the new file frees: keep copies.
  char fileText[kPathSize];
  CopyText(fileText, sizeof fileText, definitionFile);
  char directoryText[kPathSize];
  CopyText(directoryText, sizeof directoryText, workingDirectory);
  definitionFile = fileText;
  if (workingDirectory != nullptr) workingDirectory = directoryText;

  MenuSettings fresh = CreateMenuSettings();

  // The directory of the level shown, which the table records when it is left.
  char shownDirectory[kPathSize];
  const uint32_t length = GetCurrentDir(shownDirectory, kPathSize);
  if (length == 0 || length >= kPathSize) return 0;
  if (workingDirectory != nullptr && !SetCurrentDir(workingDirectory)) return 0;
  const char* newDirectory = workingDirectory != nullptr ? workingDirectory : shownDirectory;

  ChangeCursor(waitCursor);
  if (sessionIndex >= 0) {
    SessionEntry& entry = sessions[sessionIndex];
    CopyText(entry.definitionFile, sizeof entry.definitionFile, settings.fileName);
    CopyText(entry.workingDirectory, sizeof entry.workingDirectory, shownDirectory);
  }
  if (!LoadDefinition(definitionFile, &fresh)) {
    ChangeCursor(arrowCursor);
    return 0;
  }
  ++sessionIndex;
  if (!ApplySettings(&fresh, startFlag)) return 0;
  if (startFlag == 1 && settings.enterSound[0] != '\0') {
    PlayMenuSound(settings.enterSound, SoundAsync);
  }
  RedrawWithEffect(sessionIndex == 0 ? EffectCells : EffectOpenBox);
  const std::string journalled = std::string(settings.fileName) + "," + newDirectory;
  WriteJournalEntry(sessionIndex, journalled.c_str(), SessionFile());
  return 1;
}

int CMenuApp::ReturnMenu() {
  if (sessionIndex - 1 < 0) {
    // The exit button's place: the exit question decides.
    SendCloseRequest(window);
    return 0;
  }
  const SessionEntry& entry = sessions[sessionIndex - 1];
  if (!SetCurrentDir(entry.workingDirectory)) return 0;
  MenuSettings fresh = CreateMenuSettings();
  ChangeCursor(waitCursor);
  if (!LoadDefinition(entry.definitionFile, &fresh)) {
    ChangeCursor(arrowCursor);
    return 0;
  }
  // The key stays with an empty value, which ends the journal for a replay.
  WriteJournalEntry(sessionIndex, "", SessionFile());
  --sessionIndex;
  if (!ApplySettings(&fresh, 0)) return 0;
  RedrawWithEffect(EffectCloseBorder);
  return 1;
}
