// The menu program that `quorel-tool preview` shows the menu in: found beside the tool, started
// with the tool's standard output and error, and asked without waiting whether it still runs.
// One implementation per system (posix_preview_process.cpp, win32_preview_process.cpp).
#pragma once

#include <string>

// The menu program beside the running tool (quorel, quorel.exe on Windows); "" when there is
// none.
std::string MenuProgramBesideTool();

class PreviewProcess {
 public:
  PreviewProcess() = default;
  // Ends a program still running: the preview ends with the tool.
  ~PreviewProcess();
  PreviewProcess(const PreviewProcess&) = delete;
  PreviewProcess& operator=(const PreviewProcess&) = delete;

  // Starts program with the preview switch and file (a full path). false and *error when it
  // cannot start.
  bool Start(const std::string& program, const std::string& file, std::string* error);
  // -1 while it runs, else its exit code (128 + the signal that ended it). Never waits.
  int Poll();

 private:
  long long id_ = -1;  // the process (its id, or its handle on Windows) while it is ours
  int code_ = -1;
};
