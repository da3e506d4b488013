// quorel-tool: authoring aids for menu definition files. "check" reports what a menu and the
// levels it reaches would do wrong, "dump" prints the loaded menu as JSON, "render" writes the
// composed window (or every page of every level) as PNG, "keys" prints the settings-key
// reference. Runs the core on the headless backend: no display.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/menu_app.h"
#include "platform/file_system.h"
#include "platform/headless/headless_control.h"
#include "platform/window.h"
#include "tools/check_menu.h"
#include "tools/dist_disc.h"
#include "tools/file_problem.h"
#include "tools/headless_menu.h"
#include "tools/key_reference.h"
#include "tools/menu_json.h"
#include "tools/native_path.h"
#include "tools/png_writer.h"
#include "tools/preview_menu.h"
#include "tools/render_all.h"
#include "tools/shown_text.h"
#include "tools/tool_platform.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitError = 1;
constexpr int kExitUsage = 2;

constexpr char kSynopsis[] =
    "usage: quorel-tool check FILE [--json] [--country N]... [--verbose]\n"
    "       quorel-tool dump FILE [--page N]\n"
    "       quorel-tool render FILE -o OUT.png [--page N] [--hover K] [--focus]\n"
    "                         [--visited I,J,...]\n"
    "       quorel-tool render --all OUTDIR FILE [--windows WINXP,WIN98SE,...]\n"
    "       quorel-tool keys\n"
    "       quorel-tool preview FILE [--program QUOREL]\n"
    "       quorel-tool dist MENUDIR OUTDIR [--iso FILE] [--label TEXT] [--force] [--json]\n"
    "                        [--exe QUOREL.EXE] [--linux DIR]\n"
    "       quorel-tool --help | --version\n";
constexpr char kOptions[] =
    "\n"
    "  check   reports, as file:line: severity: message, what FILE and every include file,\n"
    "          section and LINK level it reaches would do wrong; exit 0 nothing found,\n"
    "          1 warnings only, 2 errors (or a wrong command line)\n"
    "  dump    loads FILE as the menu program does and prints settings, items and page as JSON\n"
    "  render  writes the composed menu window to OUT.png; with --all every page of every level,\n"
    "          country and release to OUTDIR, and OUTDIR/contact-sheet.png\n"
    "  keys    prints the settings-key table of docs/authoring.md\n"
    "  preview shows FILE in the menu's own window and reads it again within half a second of\n"
    "          every save of a file it read; the check's findings go to standard error at the\n"
    "          start and after every change, and a click prints what it would start (one JSON\n"
    "          line on standard output) instead of starting it; closing the window ends it\n"
    "  dist    checks MENUDIR/Quorel.ini (exit 2 on errors), copies MENUDIR into the empty or new\n"
    "          OUTDIR and adds quorel.exe, autorun.inf, autorun.sh and the Linux program in\n"
    "          linux/; progress and a summary on standard error; exit 1 when something is refused\n"
    "  --iso FILE      dist: also an ISO 9660 image of OUTDIR (Joliet and Rock Ridge, xorriso);\n"
    "                  Linux only: on Windows a disc-burning program makes it from OUTDIR\n"
    "  --label TEXT    dist: disc label and volume id (default: the menu's title)\n"
    "  --force         dist: go on despite errors from check\n"
    "  --exe FILE      dist: the Windows program to ship (default: the win32 build's; in a\n"
    "                  release windows/quorel.exe)\n"
    "  --linux DIR     dist: the portable Linux program's folder (default: this build's; in a\n"
    "                  release linux/portable)\n"
    "  --program FILE  preview: the menu program to use (default: the one beside the tool)\n"
    "  --json          dist: the summary as JSON on standard output;\n"
    "                  check: one JSON array of findings (file, line, severity, code, message)\n"
    "  --country N     check: also check country N (those with a String section always are)\n"
    "  --verbose       check: also notes (keys a release section takes over, each file's "
    "encoding)\n"
    "  --windows LIST  render --all: the releases to render (default: the tool's own)\n"
    "  --page N        show page N (from 0) instead of the page the load chose\n"
    "  --hover K       put the pointer on the K-th entry of the visible list (from 0)\n"
    "  --focus         draw the keyboard's focus frame on the entry of --hover\n"
    "  --visited I,J   mark the items I, J, ... (indexes in the item list) as visited\n";

// A problem with the command line: reported with the usage text, exit code 2.
struct UsageError {
  std::string message;
};
// A problem with the input or the output: reported alone, exit code 1.
struct ToolError {
  std::string message;
};

struct Options {
  std::string command;
  std::string file;
  std::string output;
  bool all = false;  // render --all: output is a folder
  bool json = false;
  bool verbose = false;
  std::vector<int32_t> countries;
  std::vector<std::string> releases;
  std::optional<int32_t> page;
  std::optional<int32_t> hover;
  bool focus = false;
  std::vector<int32_t> visited;
};

// A whole non-negative decimal number that fits 32 bits.
std::optional<int32_t> ParseIndex(std::string_view text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 0)
    return std::nullopt;
  return value;
}

int32_t IndexOption(std::string_view option, std::string_view value) {
  const std::optional<int32_t> index = ParseIndex(value);
  if (!index) {
    throw UsageError{std::string(option) + " needs a number from 0, not \"" + std::string(value) +
                     "\""};
  }
  return *index;
}

std::vector<int32_t> IndexList(std::string_view value) {
  std::vector<int32_t> indexes;
  size_t start = 0;
  while (true) {
    const size_t comma = value.find(',', start);
    const std::string_view part = value.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    indexes.push_back(IndexOption("--visited", part));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return indexes;
}

// A whole decimal number that fits 32 bits, with an optional sign.
int32_t CountryOption(std::string_view value) {
  int32_t number = 0;
  const char* end = value.data() + value.size();
  const auto result = std::from_chars(value.data(), end, number);
  if (value.empty() || result.ec != std::errc() || result.ptr != end)
    throw UsageError{"--country needs a number, not \"" + std::string(value) + "\""};
  return number;
}

std::vector<std::string> ReleaseList(std::string_view value) {
  std::vector<std::string> releases;
  size_t start = 0;
  while (true) {
    const size_t comma = value.find(',', start);
    const std::string part(value.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (ReleaseVariant(part) < 0)
      throw UsageError{"--windows: unknown release \"" + part +
                       "\" (WINNT4, WIN2K, WINXP, WIN95, WIN98, WIN98SE, WINME, OTHER)"};
    releases.push_back(part);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return releases;
}

Options ParseArguments(int argc, char** argv) {
  if (argc < 2) throw UsageError{"no command given"};
  Options options;
  options.command = argv[1];
  const std::string& command = options.command;
  if (command != "dump" && command != "render" && command != "check" && command != "keys")
    throw UsageError{"unknown command \"" + command + "\""};
  const bool render = command == "render";
  const bool check = command == "check";

  for (int i = 2; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool takesValue =
        ((command == "dump" || render) && argument == "--page") ||
        (render && (argument == "-o" || argument == "--hover" || argument == "--visited" ||
                    argument == "--all" || argument == "--windows")) ||
        (check && argument == "--country");
    if (takesValue) {
      if (i + 1 >= argc) throw UsageError{std::string(argument) + " needs a value"};
      const std::string_view value = argv[++i];
      if (argument == "--page") {
        options.page = IndexOption(argument, value);
      } else if (argument == "--hover") {
        options.hover = IndexOption(argument, value);
      } else if (argument == "--visited") {
        options.visited = IndexList(value);
      } else if (argument == "--country") {
        options.countries.push_back(CountryOption(value));
      } else if (argument == "--windows") {
        options.releases = ReleaseList(value);
      } else {
        options.all = argument == "--all";
        options.output = value;
      }
    } else if (render && argument == "--focus") {
      options.focus = true;
    } else if (check && argument == "--json") {
      options.json = true;
    } else if (check && argument == "--verbose") {
      options.verbose = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw UsageError{"unknown option \"" + std::string(argument) + "\" for " + command};
    } else if (options.file.empty() && command != "keys") {
      options.file = argument;
    } else {
      throw UsageError{command == "keys" ? "keys takes no file"
                                         : "more than one definition file given"};
    }
  }
  if (command == "keys") return options;
  if (options.file.empty()) throw UsageError{"no definition file given"};
  if (render && options.output.empty()) throw UsageError{"render needs -o OUT.png or --all OUTDIR"};
  if (render && !options.all && !options.releases.empty())
    throw UsageError{"--windows goes with render --all"};
  if (render && options.all && (options.page || options.hover || !options.visited.empty()))
    throw UsageError{"render --all shows every page; --page, --hover and --visited do not apply"};
  return options;
}

std::vector<ShownMessage> ShownMessages() {
  std::vector<ShownMessage> messages;
  for (const HeadlessEvent& event : HeadlessEvents()) {
    if (event.kind == HeadlessEvent::Kind::MessageBox)
      messages.push_back(ShownMessage{event.caption, event.text});
  }
  return messages;
}

// The failure text with the message boxes that explain it.
std::string WithMessages(std::string text) {
  for (const ShownMessage& message : ShownMessages())
    text += "\n  message \"" + message.caption + "\": " + message.text;
  return text;
}

// Loads and applies the definition file as the menu program does at its first level: with the
// file's own directory current, into a fresh record. The page and the marks asked for are set
// after the load, so they win over whatever the load chose.
std::unique_ptr<CMenuApp> LoadMenu(const Options& options) {
  std::error_code error;
  const fs::path file = NativePath(options.file);
  const std::string problem = FileProblem(options.file);
  // An empty file is the loader's to refuse, with the messages it shows.
  if (!problem.empty() && problem != "is empty") throw ToolError{options.file + ": " + problem};
  const fs::path directory = fs::absolute(file, error).parent_path();
  MenuLoad load;
  load.file = NativeText(file.filename());
  load.workDir = NativeText(directory);
  load.page = options.page;
  ResetHeadlessMenu();
  LoadedMenu menu;
  if (!error) menu = LoadMenuHeadless(load);
  if (menu.stage == LoadedMenu::Stage::kNoWorkDir)
    throw ToolError{"cannot make " + NativeText(directory) + " the current directory"};
  if (menu.stage == LoadedMenu::Stage::kNoWindow) throw ToolError{"cannot set up the menu window"};
  if (menu.stage == LoadedMenu::Stage::kNotLoaded)
    throw ToolError{
        WithMessages(options.file + ": cannot be loaded (missing, empty or unreadable)")};
  if (menu.stage == LoadedMenu::Stage::kNotApplied)
    throw ToolError{WithMessages(options.file + ": its settings cannot be applied")};
  return std::move(menu.app);
}

void MarkVisited(const std::vector<int32_t>& indexes, CMenuApp* app) {
  for (const int32_t wanted : indexes) {
    CMenuItem* item = app->page.firstItem;
    for (int32_t i = 0; item != nullptr && i < wanted; ++i) item = item->next;
    if (item == nullptr) {
      throw UsageError{"--visited " + std::to_string(wanted) + ": the menu has " +
                       std::to_string(app->page.itemCount) + " items"};
    }
    item->visited = 1;
  }
}

void Hover(int32_t wanted, CMenuApp* app) {
  int32_t count = 0;
  for (VisibleNode* node = app->page.firstVisible; node != nullptr; node = node->next, ++count) {
    if (count == wanted) {
      app->page.hoveredItem = node->entry;
      return;
    }
  }
  throw UsageError{"--hover " + std::to_string(wanted) + ": the page shows " +
                   std::to_string(count) + " entries"};
}

int Dump(const Options& options) {
  const std::unique_ptr<CMenuApp> app = LoadMenu(options);
  const HeadlessWindowState window = HeadlessWindow();
  std::cout << MenuToJson(*app, window.clientWidth, window.clientHeight, ShownMessages()).dump(2)
            << '\n';
  return 0;
}

int Render(const Options& options) {
  // The output name is taken relative to where the tool was started, not to the menu's folder.
  const fs::path output = fs::absolute(NativePath(options.output));
  const std::unique_ptr<CMenuApp> app = LoadMenu(options);
  MarkVisited(options.visited, app.get());
  if (options.hover) Hover(*options.hover, app.get());
  if (options.focus) app->page.focusShown = 1;
  for (const ShownMessage& message : ShownMessages())
    std::cerr << TerminalSafe(
                     ShownUtf8("quorel-tool: message \"" + message.caption + "\": " + message.text),
                     true)
              << '\n';

  const WindowHandle window = HeadlessCreateWindow();
  DrawTarget* target = GetWindowTarget(window);
  const int painted = app->PaintWindow(target, nullptr);
  ReleaseWindowTarget(window, target);
  if (!painted) throw ToolError{options.file + ": nothing to paint"};

  std::string error;
  if (!WritePng(HeadlessWindowPicture(), NativeText(output), &error)) throw ToolError{error};
  return 0;
}

int Check(const Options& options) {
  CheckOptions checkOptions;
  checkOptions.file = options.file;
  checkOptions.countries = options.countries;
  const CheckResult result = RunCheck(checkOptions);
  const std::vector<Finding> findings = result.report.Sorted(options.verbose);
  if (options.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Finding& finding : findings) {
      list.push_back({{"file", PrintedPath(finding.file)},
                      {"line", finding.line},
                      {"severity", SeverityName(finding.severity)},
                      {"code", finding.code},
                      {"message", ShownUtf8(finding.message)}});
    }
    // File names are the system's bytes; what is no UTF-8 is replaced rather than refused.
    std::cout << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    std::cerr << FormatSummary(result.report) << '\n';
  } else {
    for (const Finding& finding : findings) std::cout << FormatFinding(finding) << '\n';
    std::cout << FormatSummary(result.report) << '\n';
  }
  return result.report.ExitCode();
}

// dist takes two folders and options of its own.
DistOptions ParseDist(int argc, char** argv) {
  DistOptions options;
  options.windowsProgram = DefaultWindowsProgram();
  options.linuxDir = DefaultLinuxDir();
  std::vector<std::string> folders;
  for (int i = 2; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--iso" || argument == "--label" || argument == "--exe" ||
        argument == "--linux") {
      if (i + 1 >= argc) throw UsageError{std::string(argument) + " needs a value"};
      const std::string value = argv[++i];
      if (argument == "--iso") options.iso = value;
      if (argument == "--label") options.label = value;
      if (argument == "--exe") options.windowsProgram = value;
      if (argument == "--linux") options.linuxDir = value;
    } else if (argument == "--force") {
      options.force = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw UsageError{"unknown option \"" + std::string(argument) + "\" for dist"};
    } else {
      folders.emplace_back(argument);
    }
  }
  if (folders.size() != 2) throw UsageError{"dist needs MENUDIR and OUTDIR"};
  options.menuDir = folders[0];
  options.outDir = folders[1];
  return options;
}

int Dist(const DistOptions& options) {
  DistSummary summary;
  const int code = RunDist(options, std::cerr, &summary);
  if (options.json && code == 0) {
    nlohmann::ordered_json out = {{"files", summary.files},
                                  {"bytes", summary.bytes},
                                  {"imageBytes", summary.imageBytes},
                                  {"autorunKept", summary.autorunKept}};
    std::cout << out.dump(2) << '\n';
  }
  return code;
}

int Keys() {
  const std::string table = KeyReferenceMarkdown();
  if (table.empty()) throw ToolError{"the key table and the meanings of its keys differ"};
  std::cout << table;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  StartToolProcess();
  std::vector<std::string> texts = ToolArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  argc = static_cast<int>(texts.size());
  argv = pointers.data();
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << kSynopsis << kOptions;
    return 0;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << "quorel-tool " QUOREL_VERSION "\n";
    return 0;
  }
  try {
    if (argc >= 2 && std::string_view(argv[1]) == "dist") return Dist(ParseDist(argc, argv));
    if (argc >= 2 && std::string_view(argv[1]) == "preview") {
      PreviewOptions preview;
      const std::string problem = ParsePreview(argc, argv, &preview);
      if (!problem.empty()) throw UsageError{problem};
      return RunPreview(preview);
    }
    const Options options = ParseArguments(argc, argv);
    if (options.command == "check") return Check(options);
    if (options.command == "keys") return Keys();
    if (options.command == "dump") return Dump(options);
    if (options.all) return RenderAll(options.file, options.output, options.releases);
    return Render(options);
  } catch (const UsageError& error) {
    std::cerr << "quorel-tool: " << TerminalSafe(ShownUtf8(error.message), true) << '\n'
              << kSynopsis;
    return kExitUsage;
  } catch (const ToolError& error) {
    std::cerr << "quorel-tool: " << TerminalSafe(ShownUtf8(error.message), true) << '\n';
    return kExitError;
  } catch (const std::exception& error) {
    std::cerr << "quorel-tool: " << TerminalSafe(ShownUtf8(error.what()), true) << '\n';
    return kExitError;
  }
}
