// `quorel-tool preview`: the menu program in its preview mode, and the check printed again after
// every change to a file that the check read.
#include "tools/preview_menu.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/files_read.h"
#include "platform/file_system.h"
#include "platform/file_watch.h"
#include "tools/check_menu.h"
#include "tools/headless_menu.h"
#include "tools/preview_process.h"

namespace {

namespace fs = std::filesystem;

// The pace of the menu program's own watch (app/menu_preview.h): a check runs at the first tick
// without a newer change, or after three ticks of continued writing.
constexpr auto kTick = std::chrono::milliseconds(100);
constexpr int kBurstTicks = 3;

// The files every level of result read, each once, to be watched for the next check.
std::vector<std::string> FilesRead(const CheckResult& result) {
  std::vector<std::string> files;
  const auto add = [&files](const std::string& file) {
    for (const std::string& known : files)
      if (known == file) return;
    files.push_back(file);
  };
  const fs::path start = fs::current_path();
  for (const MenuLevel& level : result.levels) {
    add(level.fullPath);
    MenuLoad load;
    load.file = level.fullPath;
    load.workDir = level.workDir;
    load.level = level.depth;
    load.findings = [](const LoadFinding&) {};
    ResetHeadlessMenu();
    const LoadedMenu menu = LoadMenuHeadless(load);
    if (menu.stage >= LoadedMenu::Stage::kNotApplied) {
      for (const std::string& file : FilesOfShownLevel(*menu.app, menu.sections)) add(file);
    }
  }
  std::error_code error;
  fs::current_path(start, error);
  return files;
}

// Prints the check of file on standard error; the files it read.
std::vector<std::string> PrintCheck(const std::string& file) {
  CheckOptions options;
  options.file = file;
  const CheckResult result = RunCheck(options);
  for (const Finding& finding : result.report.Sorted(false))
    std::cerr << FormatFinding(finding) << '\n';
  std::cerr << "quorel-tool: preview: " << FormatSummary(result.report) << std::endl;
  return FilesRead(result);
}

std::string MenuProgram(const PreviewOptions& options) {
  if (!options.program.empty()) return options.program;
  std::string program = MenuProgramBesideTool();
  std::error_code error;
  if (program.empty() && fs::exists(QUOREL_PREVIEW_PROGRAM, error))
    program = QUOREL_PREVIEW_PROGRAM;
  if (program.empty())
    throw std::runtime_error("no menu program beside quorel-tool to preview in (--program PATH)");
  return program;
}

}  // namespace

std::string ParsePreview(int argc, char** argv, PreviewOptions* options) {
  for (int i = 2; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--program") {
      if (i + 1 >= argc) return "--program needs a value";
      options->program = argv[++i];
    } else if (argument.size() > 1 && argument[0] == '-') {
      return "unknown option \"" + std::string(argument) + "\" for preview";
    } else if (options->file.empty()) {
      options->file = argument;
    } else {
      return "more than one definition file given";
    }
  }
  return options->file.empty() ? "no definition file given" : "";
}

int RunPreview(const PreviewOptions& options) {
  const std::string program = MenuProgram(options);
  std::error_code error;
  const fs::path file = fs::absolute(options.file, error).lexically_normal();
  if (error) throw std::runtime_error(options.file + ": " + error.message());

  // The window first: the check of a large menu takes a moment.
  PreviewProcess menu;
  std::string problem;
  if (!menu.Start(program, file.string(), &problem)) throw std::runtime_error(problem);
  std::vector<std::string> files = PrintCheck(options.file);
  FileWatch* watch = StartFileWatch(files);
  int pendingTicks = 0;
  int code = -1;
  while ((code = menu.Poll()) == -1) {
    std::this_thread::sleep_for(kTick);
    const bool changed = FilesChanged(watch) != 0;
    if (changed) ++pendingTicks;
    if (pendingTicks == 0 || (changed && pendingTicks < kBurstTicks)) continue;
    pendingTicks = 0;
    std::cerr << "quorel-tool: preview: a file changed; the check again:" << std::endl;
    const std::vector<std::string> now = PrintCheck(options.file);
    if (now != files) {
      EndFileWatch(watch);
      watch = StartFileWatch(now);
      files = now;
    }
  }
  EndFileWatch(watch);
  return code;
}
