// The menu program's preview (--preview FILE), for authors: the real menu window, read again
// whenever a file it read changes, with what a click would start printed instead of started,
// and no session file, log-on registration or single-instance guard, so it may run beside the
// menu. Core headers and platform/*.h only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "menu/definition_loader.h"
#include "platform/file_watch.h"
#include "platform/window_events.h"

// The preview form of the menu program's command line: the switch, then the definition file
// (blanks around it and one pair of quotation marks taken off; none given: Quorel.ini).
// true and *file when commandLine has that form.
bool IsPreviewCommand(const char* commandLine, std::string* file);

// The whole life of a preview of file: the window, the first load, the watch and the message
// loop. The quit message's exit code, or 0 when the window cannot be made.
int PreviewMain(void* instance, const char* file, int showCommand);

// What a click starts, as the preview prints it: one line of JSON with the verb (null for the
// shell's default), the target, the parameters and the working directory made full.
std::string StartLine(const ShellStart& start);

// Shows app's menu and follows changes to its files: the window's events go through it to inner,
// the timer's ticks drive the watch.
class MenuPreview : public WindowEvents {
 public:
  // How often the watch is asked; a change is loaded at the first tick without a newer one, or
  // after kBurstTicks of continued writing, so within half a second of a save.
  static constexpr uintptr_t kTimerId = 0x5157;
  static constexpr uint32_t kTickMs = 100;
  static constexpr int kBurstTicks = 3;

  // Clicks' starts go to out and what loads find to errors, both as lines.
  MenuPreview(CMenuApp& app, WindowEvents& inner, std::FILE* out, std::FILE* errors);
  ~MenuPreview() override;
  MenuPreview(const MenuPreview&) = delete;
  MenuPreview& operator=(const MenuPreview&) = delete;

  // Opens the definition file path as the first level, its folder as the working directory,
  // and watches what it read. 1 when it is shown; 0 when not (said on errors), in which case the
  // file is watched and opened at its next change.
  int Open(const char* path);
  // Reads the shown level again, keeping the page, the highlight and the marks where they still
  // exist. A state that cannot be read or shown whole (a file half written, an error found) is
  // not taken: the last good one stays, and what is wrong goes to errors. 1 when the new state
  // is shown.
  int Reload();
  // One tick of the timer: a change seen is loaded once the writing has stopped.
  void Tick();

  // --- WindowEvents: handed to inner, but for the timer and the close request ---------------
  void OnCreate(WindowHandle created) override { inner_.OnCreate(created); }
  void OnDestroy() override { inner_.OnDestroy(); }
  void OnPaint(DrawTarget* target, const Rect* paintRect) override {
    inner_.OnPaint(target, paintRect);
  }
  // Closing ends the preview at once: there is no menu to leave.
  int OnClose() override;
  void OnEndSession(int ending) override { inner_.OnEndSession(ending); }
  void DisplayChanged(int32_t bitsPerPixel, int32_t screenWidth, int32_t screenHeight) override {
    inner_.DisplayChanged(bitsPerPixel, screenWidth, screenHeight);
  }
  int OnKey(uint32_t message, uintptr_t key, intptr_t flags) override {
    return inner_.OnKey(message, key, flags);
  }
  int OnCommand(int command) override { return inner_.OnCommand(command); }
  int OnSysCommand(uintptr_t command) override { return inner_.OnSysCommand(command); }
  void OnMouse(uint32_t message, uint32_t x, uint32_t y, uintptr_t keyState) override {
    inner_.OnMouse(message, x, y, keyState);
  }
  void OnTimer(uintptr_t id) override;

 private:
  // The level whose files are watched: its number, file and working directory.
  std::string LevelKey() const;
  // Watches the files the shown level read (or the file to open while none is shown).
  void Watch(const ChosenSections& chosen);
  // Loads file in scratch objects as the menu would: 1 when it loads and its background can be
  // read with no error found; what was found goes to *found, the sections read to *chosen.
  int TryLoad(const char* file, std::vector<LoadFinding>* found, ChosenSections* chosen);
  void Report(const LoadFinding& finding);
  void Say(const std::string& text);

  CMenuApp& app_;
  WindowEvents& inner_;
  std::FILE* out_;
  std::FILE* errors_;
  std::string openName_;  // the first level's file name and folder, kept for a later open
  std::string openFolder_;
  FileWatch* watch_ = nullptr;
  std::vector<std::string> watched_;
  std::string watchedLevel_;
  int pendingTicks_ = 0;  // ticks since a change was first seen and not yet loaded
};
