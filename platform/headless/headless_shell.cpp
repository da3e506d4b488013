// The process entry's window services without a screen: the guard, the one window's life,
// close requests and destroy notifications passed to the window's event receiver, the
// quit message and the About boxes, all recorded. Needs the headless state only.
#include "platform/app_shell.h"
#include "platform/headless/headless_state.h"
#include "platform/window.h"
#include "platform/window_events.h"

namespace {

void RecordKind(HeadlessEvent::Kind kind) { Record(HeadlessEvent{kind}); }

void PassDestroy() {
  if (Headless().receiver != nullptr) Headless().receiver->OnDestroy();
}

void PassClose() {
  if (Headless().receiver != nullptr) Headless().receiver->OnClose();
}

}  // namespace

void SetWindowEvents(WindowEvents* events) { Headless().receiver = events; }

void HeadlessSetOtherCopyRunning(bool running) { Headless().otherCopyRunning = running; }

int ClaimSingleInstance(const char* name) {
  (void)name;
  HeadlessState& state = Headless();
  if (state.otherCopyRunning) return 0;
  state.guardHeld = true;
  return 1;
}

void ReleaseSingleInstance() { Headless().guardHeld = false; }

void ActivateOtherCopy(const char* className) {
  HeadlessEvent event{HeadlessEvent::Kind::Activate};
  event.text = className != nullptr ? className : "";
  Record(event);
}

void RegisterMainClass(void* instance, const char* className) { (void)instance, (void)className; }

WindowHandle CreateMainWindow(void* instance, const char* className, const char* title) {
  (void)instance, (void)className;
  WindowHandle window = HeadlessCreateWindow();
  SetWindowCaption(window, title);
  return window;
}

void ShowWindowAs(WindowHandle window, int showCommand) {
  (void)showCommand;
  ShowWindowNow(window);
}

void UpdateWindowNow(WindowHandle window) { (void)window; }

void DestroyMainWindow(WindowHandle window) {
  if (KnownWindow(window) == nullptr) return;
  PassDestroy();
  RecordKind(HeadlessEvent::Kind::Destroy);
  HeadlessDestroyWindow();
}

void SendDestroyNotice(WindowHandle window) {
  if (KnownWindow(window) == nullptr) return;
  RecordKind(HeadlessEvent::Kind::DestroyNotice);
  PassDestroy();
}

void SendCloseRequest(WindowHandle window) {
  if (KnownWindow(window) == nullptr) return;
  RecordKind(HeadlessEvent::Kind::CloseRequest);
  PassClose();
}

void AddAboutToSystemMenu(WindowHandle window) {
  if (KnownWindow(window) != nullptr) RecordKind(HeadlessEvent::Kind::SystemMenu);
}

void PostQuit(int exitCode) {
  Headless().quitCode = exitCode;
  HeadlessEvent event{HeadlessEvent::Kind::Quit};
  event.result = exitCode;
  Record(event);
}

int RunMessageLoop(void* instance) {
  (void)instance;
  // Nothing arrives without a screen: the loop ends with what was posted.
  const int code = Headless().quitCode;
  return code < 0 ? 0 : code;
}

void ShowAboutBox(WindowHandle owner, void* instance, AboutBoxKind kind) {
  (void)owner, (void)instance;
  HeadlessEvent event{HeadlessEvent::Kind::AboutBox};
  event.flags = kind == AboutBoxKind::SystemMenu ? 1 : 0;
  Record(event);
}
