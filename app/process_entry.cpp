// The process entry: single-instance guard, window class and window, the first definition
// file or the restore form, and the message loop. Core headers and platform/*.h only.
#include "app/process_entry.h"

#include <string>

#include "app/entry_access.h"
#include "app/menu_preview.h"
#include "platform/app_shell.h"
#include "platform/copy_text.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/window_events.h"
#include "session/journal_replay.h"
#include "session/restart_recovery.h"

namespace {

// The replay's requests, answered by the application object.
class AppJournalLevels : public JournalLevels {
 public:
  explicit AppJournalLevels(CMenuApp& app) : app_(app) {}
  int OpenLevel(const char* definitionFile, const char* workingDirectory) override {
    return app_.OpenMenu(definitionFile, workingDirectory, 0);
  }
  void CentreWindow() override { app_.CenterWindow(); }
  int32_t LevelShown() const override { return app_.sessionIndex; }

 private:
  CMenuApp& app_;
};

}  // namespace

int ReplayJournal(CMenuApp& app, const char* sessionFile) {
  AppJournalLevels levels(app);
  return ReplayJournal(levels, sessionFile);
}

int InitInstance(CMenuApp& app, void* instance, int showCommand, const char* commandLine,
                 CommandLineRules rules) {
  appInstance = instance;
  // The window's events reach app from its creation on, and tell assistive technology what
  // they changed.
  SetWindowEvents(WatchEntries(app));
  WindowHandle window = CreateMainWindow(instance, windowClassName, appTitle);
  if (window == nullptr) return 0;
  // Without its off-screen buffer the program cannot paint; stop as a failed start does.
  if (!app.Initialize(instance, window)) return 0;
  if (GetCurrentDir(startDirectory, sizeof startDirectory) >= sizeof startDirectory) {
    startDirectory[0] = '\0';
  }

  const StartRequest request = ParseCommandLine(commandLine, startDirectory, rules);
  // Before the first level is opened: it writes the journal and reads remembered pages there.
  ChooseSessionFile(request.restore ? request.sessionFile.c_str() : nullptr);
  if (request.restore) {
    // Whatever the journal gives: with no level opened the window shows the painting error
    // text, and the start still succeeds so the recovery is registered again.
    ReplayJournal(app, request.sessionFile.c_str());
    ShowWindowAs(window, showCommand);
    UpdateWindowNow(window);
    return 1;
  }

  // A fresh start begins a new journal: levels of an earlier run that ended without clean-up
  // must not come back at the next log-on.
  EmptyJournalAbove(-1, SessionFile());
  if (app.OpenMenu(request.definitionFile.c_str(), request.workingDirectory.c_str(), 1)) {
    ShowWindowAs(window, showCommand);
    UpdateWindowNow(window);
    return 1;
  }
  const std::string message = "Profile error - " + request.definitionFile;
  ShowMessageBox(window, message.c_str(), appTitle, MessageOk);
  // The clean-up of a normal end: start directory, quit message, restart recovery.
  SendDestroyNotice(window);
  return 0;
}

int MenuMain(void* instance, const char* commandLine, int showCommand, CommandLineRules rules) {
  LoadAppStrings();
  std::string previewFile;
  if (IsPreviewCommand(commandLine, &previewFile)) {
    return PreviewMain(instance, previewFile.c_str(), showCommand);
  }
  if (!ClaimSingleInstance(kInstanceGuardName)) {
    const std::string message = std::string(appTitle) + " is already running!";
    ShowMessageBox(nullptr, message.c_str(), appTitle, MessageOk);
    ActivateOtherCopy(windowClassName);
    return 1;
  }
  RegisterMainClass(instance, windowClassName);
  if (!InitInstance(theApp, instance, showCommand, commandLine, rules)) {
    ReleaseSingleInstance();
    return 0;
  }
  RegisterRestart(startDirectory);
  const int exitCode = RunMessageLoop(instance);
  ReleaseSingleInstance();
  return exitCode;
}
