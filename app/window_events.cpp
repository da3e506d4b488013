// CMenuApp's answers to the main window's events: creation, destruction, painting, closing
// with the exit question and the leave sound, commands and the About boxes.
// Core headers and platform/*.h only.
#include <cstdio>

#include "app/menu_app.h"
#include "platform/app_shell.h"
#include "platform/draw.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/window_events.h"
#include "session/restart_recovery.h"

void CMenuApp::OnCreate(WindowHandle created) { AddAboutToSystemMenu(created); }

void CMenuApp::OnDestroy() {
  SetCurrentDir(startDirectory);
  PostQuit(0);
  UnregisterRestart();
}

void CMenuApp::OnPaint(DrawTarget* target, const Rect* paintRect) {
  if (PaintWindow(target, paintRect)) return;
  // The error names the default definition file, whatever was asked for.
  char text[64];
  std::snprintf(text, sizeof text, "Error in processing profile - \"%s\"", ".\\Quorel.ini");
  DrawTextAt(target, 0, 0, text);
}

int CMenuApp::OnClose() {
  if (!ConfirmExit()) return 0;
  PlayLeaveSound();
  DestroyMainWindow(window);
  return 1;
}

void CMenuApp::OnEndSession(int ending) {
  // The restart recovery stays in place for the next log-on.
  (void)ending;
}

int CMenuApp::OnCommand(int command) {
  switch (command) {
    case CommandAbout:
      ShowAboutBox(window, appInstance, AboutBoxKind::Command);
      return 1;
    case CommandExit:
      SendCloseRequest(window);
      return 1;
    default:
      return 0;
  }
}

int CMenuApp::OnSysCommand(uintptr_t command) {
  if (command != static_cast<uintptr_t>(CommandAbout)) return 0;
  ShowAbout();
  return 1;
}

int CMenuApp::ConfirmExit() {
  // Without settings in force both texts are empty.
  return ShowMessageBox(window, settings.exitMessage, settings.exitTitle,
                        MessageYesNo | MessageIconQuestion) == ResultYes
             ? 1
             : 0;
}

void CMenuApp::PlayLeaveSound() {
  // Played to its end before the window goes; a missing file is skipped.
  if (settings.leaveSound[0] != '\0') PlayMenuSound(settings.leaveSound, 0);
}

void CMenuApp::ShowAbout() { ShowAboutBox(window, instance, AboutBoxKind::SystemMenu); }
