// Tests of quorel-tool on the bundled demo: what dump reports, that render draws what dump
// reports and exactly the committed picture, the demo's languages and targets, and the tool's
// answers to bad input; check on the broken menus of tests/data/broken and on hostile files,
// render --all and its contact sheet, the key table of docs/authoring.md; dist of the demo, its
// refusals and its image. Runs the built tool as
// a child process; reads its PNG with libpng.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sdl/sdl_font_face.h"
#include "portable/code_page.h"
#include "tests/support/scratch_folder.h"
#include "tools/dist_disc.h"
#include "tools/png_stored.h"
#include "tools/render_all.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kDemo = QUOREL_DEMO_DIR;

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// What a shell command line writes to standard output, and its exit code.
RunResult Piped(const std::string& command) {
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A private folder for outputs and for the state the menu keeps between runs, so no run sees
// what an earlier one (or the user's own menu) remembered; removed when the test program ends.
const fs::path& Scratch() {
  static const quorel_test::ScratchFolder folder("quorel_tool_test_");
  static const bool state = fs::create_directories(folder.path() / "state");
  (void)state;
  return folder.path();
}

// Runs the tool with the given country code (in folder when given); stdout and stderr are kept
// apart. environment: options of env (-u NAME, NAME=value) in place of the private state folder. A
// tool that hangs is stopped after a minute and reported as exit code 124.
RunResult RunTool(const std::vector<std::string>& arguments, const std::string& country = "0",
                  const fs::path& folder = fs::path(), const std::string& environment = "") {
  const fs::path errFile = Scratch() / "stderr.txt";
  const std::string state = environment.empty()
                                ? "QUOREL_WINDIR=" + Quote((Scratch() / "state").string()) +
                                      " XDG_STATE_HOME=" + Quote((Scratch() / "state").string())
                                : environment;
  std::string command = (folder.empty() ? std::string() : "cd " + Quote(folder.string()) + " && ") +
                        "timeout 60 env " + state + " QUOREL_COUNTRY=" + Quote(country) + " " +
                        Quote(QUOREL_TOOL_PATH);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " 2>" + Quote(errFile.string());

  RunResult result = Piped(command);
  std::ifstream err(errFile);
  result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  return result;
}

json Dump(const fs::path& file, const std::vector<std::string>& more = {},
          const std::string& country = "0") {
  std::vector<std::string> arguments = {"dump", file.string()};
  arguments.insert(arguments.end(), more.begin(), more.end());
  const RunResult run = RunTool(arguments, country);
  EXPECT_EQ(0, run.exitCode) << run.err;
  return run.exitCode == 0 ? json::parse(run.out) : json();
}

struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgb;

  uint32_t At(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width + static_cast<size_t>(x)) * 3;
    return (uint32_t{rgb[at]} << 16) | (uint32_t{rgb[at + 1]} << 8) | rgb[at + 2];
  }
  // Pixels of colour 0xRRGGBB in a [left, top, right, bottom] rectangle, bounds included.
  int Count(const json& rect, uint32_t colour) const {
    int count = 0;
    for (int y = rect[1].get<int>(); y <= rect[3].get<int>() && y < int(height); ++y)
      for (int x = rect[0].get<int>(); x <= rect[2].get<int>() && x < int(width); ++x)
        count += At(x, y) == colour;
    return count;
  }
};

Image ReadPng(const fs::path& png) {
  Image image;
  png_image reader;
  std::memset(&reader, 0, sizeof reader);
  reader.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&reader, png.string().c_str())) {
    ADD_FAILURE() << "no readable PNG: " << reader.message;
    return image;
  }
  reader.format = PNG_FORMAT_RGB;
  image.rgb.resize(PNG_IMAGE_SIZE(reader));
  if (!png_image_finish_read(&reader, nullptr, image.rgb.data(), 0, nullptr)) {
    ADD_FAILURE() << "PNG cannot be read: " << reader.message;
    return image;
  }
  image.width = reader.width;
  image.height = reader.height;
  return image;
}

Image Render(const std::vector<std::string>& more, const std::string& country = "0") {
  const fs::path png = Scratch() / "render.png";
  fs::remove(png);
  std::vector<std::string> arguments = {"render", (kDemo / "Quorel.ini").string(), "-o",
                                        png.string()};
  arguments.insert(arguments.end(), more.begin(), more.end());
  const RunResult run = RunTool(arguments, country);
  EXPECT_EQ(0, run.exitCode) << run.err;
  return ReadPng(png);
}

std::vector<std::string> Kinds(const json& dump) {
  std::vector<std::string> kinds;
  for (const json& entry : dump["page"]["visible"]) kinds.push_back(entry["kind"]);
  return kinds;
}

std::vector<int> Indexes(const json& dump) {
  std::vector<int> indexes;
  for (const json& entry : dump["page"]["visible"])
    if (entry.contains("index")) indexes.push_back(entry["index"]);
  return indexes;
}

// Colours of the demo's Quorel.ini, as 0xRRGGBB.
constexpr uint32_t kItemColour = 0xECF2F6;
constexpr uint32_t kHighlightColour = 0xFFCC5C;
constexpr uint32_t kVisitedColour = 0x96BED2;
constexpr uint32_t kHintColour = 0xC4E6F4;

json HintArea(const json& dump) {
  const json& r = dump["hintRect"];  // x, y, width, height
  return json::array({r[0].get<int>(), r[1].get<int>(), r[0].get<int>() + r[2].get<int>() - 1,
                      r[1].get<int>() + r[3].get<int>() - 1});
}

// --- The demo as dump reports it --------------------------------------------------------------

TEST(DemoDump, TwoPagesOfTwoColumnsWithTheirButtons) {
  const struct {
    int page;
    std::vector<int> items;
    std::vector<std::string> kinds;
  } cases[] = {
      {0,
       {0, 1, 2, 3, 4, 5, 6, 7},
       {"item", "item", "item", "item", "item", "item", "item", "item", "exitButton",
        "forwardButton"}},
      {1, {8, 9}, {"item", "item", "exitButton", "backwardButton"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page));
    const json dump = Dump(kDemo / "Quorel.ini", {"--page", std::to_string(c.page)});
    ASSERT_FALSE(dump.is_null());
    EXPECT_EQ(c.page, dump["page"]["currentPage"]);
    EXPECT_EQ(10, dump["page"]["itemCount"]);
    EXPECT_EQ(10u, dump["items"].size());
    EXPECT_EQ(c.kinds, Kinds(dump));
    EXPECT_EQ(c.items, Indexes(dump));
    // Rectangles are reported for exactly the items on the page, the same as in the list.
    for (size_t i = 0; i < dump["items"].size(); ++i) {
      const bool shown = std::find(c.items.begin(), c.items.end(), int(i)) != c.items.end();
      EXPECT_EQ(shown, dump["items"][i].contains("rect")) << "item " << i;
    }
    for (const json& entry : dump["page"]["visible"]) {
      if (!entry.contains("index")) continue;
      EXPECT_EQ(entry["rect"], dump["items"][entry["index"].get<size_t>()]["rect"]);
    }
  }
}

TEST(DemoDump, WindowIsTheBackgroundAndNothingWasComplained) {
  const json dump = Dump(kDemo / "Quorel.ini");
  ASSERT_FALSE(dump.is_null());
  EXPECT_EQ(json::array({640, 480}), dump["clientSize"]);
  EXPECT_EQ(640, dump["bitmapWidth"]);
  EXPECT_EQ(480, dump["bitmapHeight"]);
  EXPECT_EQ(json::array(), dump["messages"]);
  EXPECT_EQ(1, dump["settings"]["drawTitle"]);
  EXPECT_NE(0u, dump["settings"]["titleStyle"]["flags"].get<uint32_t>() & 2u) << "title shadow";
  // The second column starts half the item area to the right.
  const json& visible = dump["page"]["visible"];
  EXPECT_EQ(visible[0]["rect"][0].get<int>() + 260, visible[4]["rect"][0].get<int>());
}

// Every text resolves (no "???"), in each language, including the ones that only the include
// file holds; bytes of the code page arrive as UTF-8.
TEST(DemoDump, TextsOfEachCountry) {
  const struct {
    std::string country;
    std::string title;
    std::string licence;  // item 3: differs between the fallback and country 1
    std::string faq;      // item 8: only in the include file
    std::string hintForward;
  } cases[] = {
      {"0", "Welcome to the Quorel demo", "Licence", "Frequently asked questions", "Next page"},
      {"1", "Welcome to the Quorel demo", "License", "Frequently asked questions", "Next page"},
      {"49", "Willkommen zur Quorel-Demo", "Lizenz", "H\u00e4ufige Fragen", "N\u00e4chste Seite"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("country " + c.country);
    const json dump = Dump(kDemo / "Quorel.ini", {}, c.country);
    ASSERT_FALSE(dump.is_null());
    EXPECT_EQ(c.title, dump["settings"]["titleText"]);
    EXPECT_EQ(c.licence, dump["items"][3]["text"]);
    EXPECT_EQ(c.faq, dump["items"][8]["text"]);
    EXPECT_EQ(c.hintForward, dump["settings"]["hintForward"]);
    EXPECT_EQ(json::array(), dump["messages"]);
    EXPECT_EQ(std::string::npos, dump.dump().find("???")) << "an unresolved text";
  }
}

// Every item of both demo menus names something that exists beside them, every item has a hint,
// and the LINK item leads to a menu that loads cleanly.
TEST(DemoDump, EveryTargetExists) {
  for (const char* menu : {"Quorel.ini", "more.ini"}) {
    SCOPED_TRACE(menu);
    const json dump = Dump(kDemo / menu);
    ASSERT_FALSE(dump.is_null());
    EXPECT_EQ(json::array(), dump["messages"]);
    ASSERT_FALSE(dump["items"].empty());
    for (const json& item : dump["items"]) {
      ASSERT_TRUE(item["target"].is_string()) << item.dump();
      EXPECT_TRUE(item["hint"].is_string()) << item.dump();
      std::string target = item["target"];
      std::replace(target.begin(), target.end(), '\\', '/');
      EXPECT_TRUE(fs::exists(kDemo / target)) << target;
    }
  }
  const json dump = Dump(kDemo / "Quorel.ini");
  int links = 0;
  for (const json& item : dump["items"]) links += item["verb"] == "LINK";
  EXPECT_EQ(1, links);
}

// --- Render draws what dump reports ---------------------------------------------------------

TEST(DemoRender, DrawsTheEntriesDumpReports) {
  const json dump = Dump(kDemo / "Quorel.ini");
  ASSERT_FALSE(dump.is_null());
  const Image plain = Render({});
  ASSERT_EQ(640u, plain.width);
  ASSERT_EQ(480u, plain.height);
  for (const json& entry : dump["page"]["visible"]) {
    if (entry["kind"] != "item") continue;
    EXPECT_GT(plain.Count(entry["rect"], kItemColour), 20) << entry.dump();
    EXPECT_EQ(0, plain.Count(entry["rect"], kHighlightColour)) << entry.dump();
  }
  EXPECT_EQ(0, plain.Count(HintArea(dump), kHintColour)) << "a hint with nothing hovered";
}

TEST(DemoRender, HoverAndVisitedChangeTheRightPlaces) {
  const json dump = Dump(kDemo / "Quorel.ini");
  ASSERT_FALSE(dump.is_null());
  const json& visible = dump["page"]["visible"];
  // Entry 5 hovered, items 1 and 5 visited: hovered wins over visited.
  const Image image = Render({"--hover", "5", "--visited", "1,5"});
  ASSERT_EQ(640u, image.width);
  EXPECT_GT(image.Count(visible[5]["rect"], kHighlightColour), 20);
  EXPECT_EQ(0, image.Count(visible[5]["rect"], kVisitedColour));
  EXPECT_GT(image.Count(visible[1]["rect"], kVisitedColour), 20);
  EXPECT_EQ(0, image.Count(visible[1]["rect"], kItemColour));
  EXPECT_GT(image.Count(visible[0]["rect"], kItemColour), 20);
  EXPECT_GT(image.Count(HintArea(dump), kHintColour), 20) << "the hovered item's hint";

  // A page button has a hint too.
  const Image button = Render({"--hover", "9"});
  EXPECT_EQ("forwardButton", visible[9]["kind"]);
  EXPECT_GT(button.Count(HintArea(dump), kHintColour), 10);
}

// The demo with a hovered entry, visited ones and the hint, pixel for pixel as the committed
// picture shows it: how painting is done may change, what it paints may not. The picture was
// made with "quorel-tool render demo/Quorel.ini -o tests/data/demo_render.png --page 0
// --hover 5 --visited 1,2" and the Liberation Serif faces (fonts-liberation2); other faces draw
// other pixels.
TEST(DemoRender, SameAsTheCommittedPicture) {
  for (const bool bold : {false, true}) {
    for (const bool italic : {false, true}) {
      const FontFace* face = FindFontFace(bold, italic);
      if (face == nullptr || face->path.find("LiberationSerif") == std::string::npos) {
        GTEST_SKIP() << "the serif face here is not Liberation Serif, which drew the picture";
      }
    }
  }
  const Image expected = ReadPng(fs::path(QUOREL_TEST_DATA_DIR) / "demo_render.png");
  const Image image = Render({"--page", "0", "--hover", "5", "--visited", "1,2"});
  ASSERT_EQ(640u, expected.width);
  ASSERT_EQ(expected.width, image.width);
  ASSERT_EQ(expected.height, image.height);
  int differing = 0;
  std::string first;
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      if (image.At(int(x), int(y)) == expected.At(int(x), int(y))) continue;
      if (differing++ == 0) {
        char where[96];
        std::snprintf(where, sizeof where, "first at %u, %u: %06X instead of %06X", x, y,
                      image.At(int(x), int(y)), expected.At(int(x), int(y)));
        first = where;
      }
    }
  }
  EXPECT_EQ(0, differing) << first;
}

// --- Bad input ------------------------------------------------------------------------------

TEST(ToolErrors, ClearMessageAndExitCode) {
  const fs::path bad = Scratch() / "no_background.ini";
  std::ofstream(bad) << "[global]\nbkBitmap=missing.bmp\n[menu]\nitem=A, open, a.txt,\n";
  const fs::path empty = Scratch() / "empty.ini";
  std::ofstream(empty).close();
  const std::string demo = (kDemo / "Quorel.ini").string();
  const std::string out = (Scratch() / "out.png").string();
  const fs::path fifo = Scratch() / "fifo.ini";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  const fs::path loop = Scratch() / "loop.ini";
  fs::create_symlink(loop.filename(), loop);
  const fs::path locked = Scratch() / "locked.ini";
  std::ofstream(locked) << "[menu]\n";
  fs::permissions(locked, fs::perms::none);

  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string says;
  } cases[] = {
      {{}, 2, "no command"},
      {{"paint", demo}, 2, "unknown command"},
      {{"dump"}, 2, "no definition file"},
      {{"dump", demo, "--page"}, 2, "--page needs a value"},
      {{"dump", demo, "--page", "one"}, 2, "--page needs a number"},
      {{"dump", demo, "--hover", "1"}, 2, "unknown option"},
      {{"dump", demo, "--focus"}, 2, "unknown option"},
      {{"render", demo}, 2, "-o"},
      {{"render", demo, "-o", out, "--hover", "10"}, 2, "the page shows 10 entries"},
      {{"render", demo, "-o", out, "--visited", "0,,1"}, 2, "--visited needs a number"},
      {{"render", demo, "-o", out, "--visited", "10"}, 2, "the menu has 10 items"},
      {{"dump", (Scratch() / "missing.ini").string()}, 1, "no such file"},
      {{"dump", Scratch().string()}, 1, "is a folder, not a file"},
      {{"dump", fifo.string()}, 1, "fifo.ini: is a FIFO, not a file"},
      {{"render", "/dev/zero", "-o", out}, 1, "/dev/zero: is a device, not a file"},
      {{"dump", loop.string()}, 1, "loop.ini: symbolic link loop"},
      // Root reads whatever the permissions say.
      {{"dump", locked.string()},
       1,
       geteuid() == 0 ? "locked.ini: its settings"
                      : "locked.ini: cannot be read: Permission denied"},
      {{"dump", empty.string()}, 1, "cannot be loaded"},
      {{"dump", bad.string()}, 1, "File not found"},
      {{"render", demo, "-o", (Scratch() / "no" / "dir.png").string()}, 1, "cannot write"},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += argument + " ";
    SCOPED_TRACE(shown);
    const RunResult run = RunTool(c.arguments);
    EXPECT_EQ(c.exitCode, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find(c.says)) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

// --- check ------------------------------------------------------------------------------------

const fs::path kBroken = fs::path(QUOREL_TEST_DATA_DIR) / "broken";

// The distinct "file:line: severity: code" of the findings of a --json run.
std::vector<std::string> FindingKeys(const json& findings) {
  std::vector<std::string> keys;
  for (const json& f : findings) {
    EXPECT_FALSE(f["message"].get<std::string>().empty()) << f.dump();
    keys.push_back(f["file"].get<std::string>() + ":" + std::to_string(f["line"].get<int>()) +
                   ": " + f["severity"].get<std::string>() + ": " + f["code"].get<std::string>());
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

// Each broken menu gives exactly the findings its expected.txt lists, and the exit code their
// worst severity calls for (notes do not count).
TEST(Check, BrokenMenusGiveTheirExpectedFindings) {
  int menus = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kBroken)) {
    if (!entry.is_directory()) continue;
    ++menus;
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream list(entry.path() / "expected.txt");
    std::vector<std::string> expected;
    int exitCode = 0;
    for (std::string line; std::getline(list, line);) {
      if (line.empty()) continue;
      expected.push_back(line);
      if (line.find(": error: ") != std::string::npos) exitCode = 2;
      if (line.find(": warning: ") != std::string::npos && exitCode == 0) exitCode = 1;
    }
    std::sort(expected.begin(), expected.end());
    ASSERT_FALSE(expected.empty()) << "no expected.txt";
    const RunResult run =
        RunTool({"check", "Quorel.ini", "--json", "--verbose"}, "0", entry.path());
    EXPECT_EQ(exitCode, run.exitCode) << run.err;
    EXPECT_EQ(expected, FindingKeys(json::parse(run.out, nullptr, false))) << run.out;
  }
  EXPECT_GE(menus, 10);
}

TEST(Check, TheDemoIsClean) {
  const RunResult run = RunTool({"check", (kDemo / "Quorel.ini").string(), "--verbose"});
  EXPECT_EQ(0, run.exitCode) << run.out << run.err;
  // Nothing but the summary and, with --verbose, the encoding each file was read in.
  std::istringstream out(run.out);
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("0 errors, 0 warnings in 3 files", lines.back());
  lines.pop_back();
  EXPECT_EQ(3u, lines.size()) << run.out;
  for (const std::string& line : lines)
    EXPECT_NE(std::string::npos, line.find(":1: note: read as "));
}

// The human form: one "file:line: severity: message" per finding, by line, then the summary.
TEST(Check, HumanFormIsSortedWithASummary) {
  const RunResult run = RunTool({"check", "Quorel.ini"}, "0", kBroken / "missing_files");
  EXPECT_EQ(2, run.exitCode);
  std::vector<std::string> lines;
  std::istringstream out(run.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(7u, lines.size()) << run.out;
  EXPECT_EQ("5 errors, 1 warning in 1 file", lines.back());
  int previous = 0;
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    int number = 0;
    char severity[16] = "";
    ASSERT_EQ(2, std::sscanf(lines[i].c_str(), "Quorel.ini:%d: %15[a-z]:", &number, severity))
        << lines[i];
    EXPECT_LE(previous, number);
    previous = number;
  }
  EXPECT_NE(
      std::string::npos,
      run.out.find("Quorel.ini:9: error: item 'Setup': target 'setup\\install.exe' not found"))
      << run.out;
  // Notes only with --verbose.
  const RunResult quiet = RunTool({"check", "Quorel.ini"}, "0", kBroken / "release");
  EXPECT_EQ(0, quiet.exitCode);
  EXPECT_EQ(std::string::npos, quiet.out.find("note:")) << quiet.out;
}

// Files that are not menus at all end promptly with findings: never a crash, a hang or a write.
TEST(Check, HostileFilesEndWithFindings) {
  const fs::path folder = Scratch() / "hostile";
  fs::create_directories(folder / "folder.ini");
  std::ofstream(folder / "binary.ini", std::ios::binary) << std::string("\0\x01\xff[\r\n=\0", 8);
  {
    // A 65 MiB file, larger than the menu reads, written sparse.
    std::ofstream huge(folder / "huge.ini", std::ios::binary);
    huge.seekp((65 << 20) - 1);
    huge.put('\n');
  }
  ASSERT_EQ(0, mkfifo((folder / "fifo.ini").c_str(), 0600));
  // Include files naming each other, and references that ask for them over and over.
  std::string bomb = "[menu]\ntitle=%a%%a%%a%%a%%a%%a%%a%%a%\n";
  for (int i = 0; i < 300; ++i) bomb += "item=%x%%y%%z%, LINK, cycle.ini,,,%h%%h%%h%\n";
  bomb += "[String]\n#include=cycle.ini\n";
  std::ofstream(folder / "cycle.ini") << bomb;
  // Terminal controls (a title change, a bell, a screen clear, a CSI in C1 form) in a key, the
  // title, an item's caption and target; a Windows-1252 caption with one of the code page's
  // bytes that stand for a C1 control.
  std::ofstream(folder / "controls.ini", std::ios::binary)
      << "[global]\nbkBitmap=" << (kDemo / "background.bmp").string()
      << "\n\x1b]0;owned\x07=1\n[menu]\ntitle=\x1b[2J\n"
      << "item=Caf\xe9 \x81"
         "31m, open, \x1b[2Jmissing.exe,\n"
      << "item=Web, open, https://example.org/,\n";
  std::ofstream(folder / "fifo-background.ini") << "[global]\nbkBitmap=fifo.ini\n[menu]\n";
  // One 10 MB key: cut in the message, and no slow search for the key it resembles.
  std::ofstream(folder / "longkey.ini") << "[global]\n" << std::string(10 << 20, 'k') << "=1\n";
  const struct {
    std::string file;
    bool json;
    int exitCode;
    std::string says;
  } cases[] = {
      {"folder.ini", false, 2, "folder.ini:1: error: is a folder, not a file\n"},
      {"fifo.ini", false, 2, "fifo.ini:1: error: is a FIFO, not a file\n"},
      {"fifo-background.ini", false, 2, "/hostile/fifo.ini is a FIFO, not a file\n"},
      {"huge.ini", true, 2, "larger than 64 MiB"},
      {"missing.ini", true, 2, "no such file"},
      {"binary.ini", true, 2, "background"},
      {"cycle.ini", true, 2, "link-cycle"},
      {"controls.ini", false, 2, "unknown key '\\x1b]0;owned\\x07' in [global]"},
      {"controls.ini", false, 2, "item 'Caf\u00e9 \\u008131m': target '\\x1b[2Jmissing.exe'"},
      {"controls.ini", true, 2, "target '\\u001b[2Jmissing.exe'"},
      {"longkey.ini", false, 2, "unknown key '" + std::string(60, 'k') + "...' in [global]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto before = fs::last_write_time(folder / "cycle.ini");
    std::vector<std::string> arguments = {"check", c.file};
    if (c.json) arguments.push_back("--json");
    const RunResult run = RunTool(arguments, "0", folder);
    EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.out.find(c.says)) << run.out;
    EXPECT_LT(run.out.size(), 1u << 20);
    EXPECT_EQ(std::string::npos, run.out.find("example.org")) << "a web address is no file";
    EXPECT_EQ(std::string::npos, run.out.find_first_of("\x1b\x07")) << "raw control characters";
    if (c.json) {
      EXPECT_FALSE(json::parse(run.out, nullptr, false).is_discarded()) << run.out;
    }
    EXPECT_EQ(before, fs::last_write_time(folder / "cycle.ini"));
  }
}

// check, dump and render read; they make no state folder nor any file but the one asked for.
TEST(Check, ReadingCommandsMakeNoStateFolder) {
  const fs::path home = Scratch() / "home";
  fs::remove_all(home);
  const std::string environment = "-u QUOREL_WINDIR -u XDG_STATE_HOME HOME=" + Quote(home.string());
  const std::string demo = (kDemo / "Quorel.ini").string();
  const std::string out = (Scratch() / "state-test.png").string();
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"check", demo}, {"dump", demo}, {"render", demo, "-o", out}}) {
    SCOPED_TRACE(arguments[0]);
    const RunResult run = RunTool(arguments, "0", fs::path(), environment);
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_FALSE(fs::exists(home)) << "made " << home;
  }
}

TEST(Check, CommandLineErrors) {
  const struct {
    std::vector<std::string> arguments;
    std::string says;
  } cases[] = {
      {{"check"}, "no definition file"},
      {{"check", "a.ini", "--country"}, "--country needs a value"},
      {{"check", "a.ini", "--country", "x1"}, "--country needs a number"},
      {{"check", "a.ini", "--page", "1"}, "unknown option"},
      {{"render", "--all", "out", "a.ini", "--windows", "WIN31"}, "unknown release"},
      {{"render", "a.ini", "-o", "a.png", "--windows", "WINXP"}, "--windows goes with"},
      {{"keys", "a.ini"}, "keys takes no file"},
      {{"dist", "menu"}, "dist needs MENUDIR and OUTDIR"},
      {{"dist", "menu", "out", "--iso"}, "--iso needs a value"},
      {{"dist", "menu", "out", "--page", "1"}, "unknown option \"--page\" for dist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const RunResult run = RunTool(c.arguments);
    EXPECT_EQ(2, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find(c.says)) << run.err;
  }
  const RunResult help = RunTool({"--help"});
  for (const char* command : {"check", "dump", "render --all", "keys", "dist MENUDIR OUTDIR"})
    EXPECT_NE(std::string::npos, help.out.find(command)) << command;
}

// --- render --all ------------------------------------------------------------------------------

// Every page of both demo levels in each of its countries, the same pictures single renders give,
// and a contact sheet whose thumbnails are those pictures scaled down by block means.
TEST(RenderAll, EveryPageAndAContactSheetOfThem) {
  const fs::path out = Scratch() / "all";
  fs::remove_all(out);
  // Links where the sheet and a page go are replaced; the files they lead to stay as they are.
  fs::create_directories(out);
  std::ofstream(Scratch() / "victim") << "keep";
  for (const char* name : {"contact-sheet.png", "Quorel.ini-default-OTHER-p0.png"})
    fs::create_symlink(Scratch() / "victim", out / name);
  const RunResult run = RunTool({"render", "--all", out.string(), (kDemo / "Quorel.ini").string()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ("keep", ReadAll(Scratch() / "victim"));
  EXPECT_FALSE(fs::is_symlink(out / "contact-sheet.png"));
  std::vector<std::string> names;
  for (const char* level : {"Quorel.ini", "more.ini"})
    for (const char* country : {"default", "1", "7", "30", "49", "81"})
      for (int page = 0; page < (std::string(level) == "Quorel.ini" ? 2 : 1); ++page)
        names.push_back(std::string(level) + "-" + country + "-OTHER-p" + std::to_string(page));
  for (const std::string& name : names) EXPECT_TRUE(fs::exists(out / (name + ".png"))) << name;
  EXPECT_EQ(names.size() + 1, size_t(std::distance(fs::directory_iterator(out), {})));

  const Image page1 = ReadPng(out / "Quorel.ini-default-OTHER-p1.png");
  const Image single = Render({"--page", "1"});
  ASSERT_EQ(single.width, page1.width);
  EXPECT_EQ(single.rgb, page1.rgb) << "render --all draws page 1 as render does";

  const Image sheet = ReadPng(out / "contact-sheet.png");
  const int count = static_cast<int>(names.size());
  for (const int index : {0, 1, count - 1}) {
    SCOPED_TRACE(index);
    // Thumbnails are in level, country, page order: Quorel.ini default p0 and p1 come first.
    const std::string name = index == 0   ? "Quorel.ini-default-OTHER-p0"
                             : index == 1 ? "Quorel.ini-default-OTHER-p1"
                                          : "more.ini-81-OTHER-p0";
    const Image page = ReadPng(out / (name + ".png"));
    const int factor = 4;  // 640 x 480 into 160 x 120
    const SheetPoint at = SheetCell(index, count);
    int differing = 0;
    for (int y = 0; y < int(page.height) / factor; ++y) {
      for (int x = 0; x < int(page.width) / factor; ++x) {
        uint32_t mean = 0;
        for (int shift : {16, 8, 0}) {
          uint32_t sum = 0;
          for (int dy = 0; dy < factor; ++dy)
            for (int dx = 0; dx < factor; ++dx)
              sum += page.At(x * factor + dx, y * factor + dy) >> shift & 0xFF;
          mean |= ((sum + factor * factor / 2) / (factor * factor)) << shift;
        }
        differing += sheet.At(at.x + x, at.y + y) != mean;
      }
    }
    EXPECT_EQ(0, differing);
  }
}

// Levels whose paths would give one name ("sub\\deep.ini", "sub_deep.ini", "SUB_deep.ini")
// get names of their own, the same on every run, and the sheet labels them as the files are named.
TEST(RenderAll, LevelsThatFoldAlikeKeepTheirOwnPages) {
  const fs::path menu = Scratch() / "alike";
  fs::remove_all(menu);
  fs::create_directories(menu / "sub");
  const std::string global = "[global]\nbkBitmap=" + (kDemo / "background.bmp").string() + "\n";
  std::ofstream(menu / "Quorel.ini")
      << global << "[menu]\ntitle=Top\n"
      << "item=A, LINK, sub\\deep.ini,\nitem=B, LINK, sub_deep.ini,\n"
      << "item=C, LINK, SUB_deep.ini,\n";
  for (const char* level : {"sub/deep.ini", "sub_deep.ini", "SUB_deep.ini"})
    std::ofstream(menu / level) << global << "[menu]\ntitle=" << level << "\n";
  std::vector<std::set<std::string>> runs;
  for (const char* out : {"out1", "out2"}) {
    const RunResult run =
        RunTool({"render", "--all", (menu / out).string(), "Quorel.ini"}, "0", menu);
    ASSERT_EQ(0, run.exitCode) << run.err;
    runs.emplace_back();
    for (const auto& entry : fs::directory_iterator(menu / out))
      runs.back().insert(entry.path().filename().string());
  }
  EXPECT_EQ(runs[0], runs[1]);
  ASSERT_EQ(5u, runs[0].size());  // four levels of one page each and the sheet
  std::set<std::string> folded;
  for (std::string name : runs[0]) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    folded.insert(name);
  }
  EXPECT_EQ(5u, folded.size());
}

// A missing level is a gap on the sheet and exit status 1, not a failed run.
TEST(RenderAll, MissingBackgroundIsAGap) {
  const fs::path out = Scratch() / "gap";
  fs::remove_all(out);
  const RunResult run = RunTool(
      {"render", "--all", out.string(), (kBroken / "missing_background" / "Quorel.ini").string()});
  EXPECT_EQ(1, run.exitCode) << run.err;
  EXPECT_TRUE(fs::exists(out / "contact-sheet.png"));
}

// --- The key table of docs/authoring.md -------------------------------------------------------

TEST(KeyReference, DocumentIsWhatTheKeyTableGives) {
  const RunResult run = RunTool({"keys"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::ifstream file(QUOREL_AUTHORING_DOC);
  const std::string doc((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::string begin = "<!-- settings-keys: generated by quorel-tool keys -->\n";
  const size_t from = doc.find(begin);
  const size_t to = doc.find("<!-- settings-keys: end -->");
  ASSERT_NE(std::string::npos, from);
  ASSERT_NE(std::string::npos, to);
  EXPECT_EQ(run.out, doc.substr(from + begin.size(), to - from - begin.size()))
      << "run quorel-tool keys and put its output into docs/authoring.md";
  // Every key the loader reads is in it, once.
  EXPECT_NE(std::string::npos, run.out.find("| `MenuItemColumons` | integer | 1 |"));
}

// --- Code page to UTF-8 ---------------------------------------------------------------------

TEST(CodePage, BytesBecomeTheirCharacters) {
  const struct {
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"Setup 1.0", "Setup 1.0"},
      {"\x80", "\u20ac"},  // the euro sign of the extras
      {"\x85", "\u2026"},  // ellipsis
      {"\x9f", "\u0178"},  // the last extra
      // The five undefined bytes stand for the control characters of the same number.
      {"\x81\x8d\x8f\x90\x9d", "\u0081\u008d\u008f\u0090\u009d"},
      {"\xa0", "\u00a0"},  // Latin-1 from here on
      {"M\xfcnchen \xdf", "M\u00fcnchen \u00df"},
      {"\xff", "\u00ff"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.utf8, CodePageToUtf8(c.bytes)) << c.bytes;
}

// --- PNG of stored blocks (the Windows tool's writer) ------------------------------------------

// libpng and zlib read what the Windows build writes, pixel for pixel: sums and block lengths
// right for one block, for several (rows past 64 KiB) and for the smallest picture.
TEST(StoredPng, LibpngReadsItBack) {
  const struct {
    int32_t width;
    int32_t height;
  } cases[] = {{1, 1}, {300, 100}, {640, 480}};
  for (const auto& c : cases) {
    std::vector<uint32_t> pixels(static_cast<size_t>(c.width) * c.height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u);
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    const fs::path file = Scratch() / "stored.png";
    std::ofstream(file, std::ios::binary) << StoredPng(c.width, c.height, pixels.data());
    const Image image = ReadPng(file);
    ASSERT_EQ(uint32_t(c.width), image.width);
    ASSERT_EQ(uint32_t(c.height), image.height);
    size_t differ = 0;
    for (int32_t y = 0; y < c.height; ++y)
      for (int32_t x = 0; x < c.width; ++x) differ += image.At(x, y) != pixels[y * c.width + x];
    EXPECT_EQ(0u, differ) << c.width << "x" << c.height;
  }
}

}  // namespace

// --- dist ------------------------------------------------------------------------------------

namespace {

// Output of a shell command line and its exit code.
RunResult Shell(const std::string& command) { return Piped(command + " 2>&1"); }

// A fresh copy of the demo to change, a stand-in Windows program and, unless this build has
// the real one, a stand-in Linux program: dist copies them as they are.
struct DistFixture {
  fs::path root;
  fs::path menu;
  fs::path exe;
  fs::path linuxDir;

  explicit DistFixture(const std::string& name) {
    root = Scratch() / ("dist-" + name);
    fs::remove_all(root);
    menu = root / "menu";
    fs::create_directories(root);
    fs::copy(kDemo, menu, fs::copy_options::recursive);
    exe = root / "quorel.exe";
    std::ofstream(exe, std::ios::binary) << "MZ stand-in";
    linuxDir = QUOREL_PORTABLE_DIR;
    if (!fs::exists(linuxDir / "quorel")) {
      linuxDir = root / "linux";
      fs::create_directories(linuxDir / "lib");
      std::ofstream(linuxDir / "quorel") << "#!/bin/sh\n";
    }
  }
  RunResult Run(const fs::path& out, std::vector<std::string> more = {},
                const std::string& environment = "") const {
    std::vector<std::string> arguments = {"dist",       menu.string(), out.string(),     "--exe",
                                          exe.string(), "--linux",     linuxDir.string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return RunTool(arguments, "0", fs::path(), environment);
  }
};

TEST(Dist, DemoFolderHoldsTheMenuAndTheRuntime) {
  const DistFixture fixture("demo");
  const fs::path out = fixture.root / "out";
  const RunResult run = fixture.Run(out, {"--json"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("dist: copied")) << run.err;

  size_t menuFiles = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kDemo)) {
    if (!entry.is_regular_file()) continue;
    ++menuFiles;
    const fs::path copy = out / entry.path().lexically_relative(kDemo);
    EXPECT_EQ(ReadAll(entry.path()), ReadAll(copy)) << copy;
  }
  EXPECT_EQ(ReadAll(fixture.exe), ReadAll(out / "quorel.exe"));
  EXPECT_EQ(ReadAll(fixture.linuxDir / "quorel"), ReadAll(out / "linux" / "quorel"));
  const json summary = json::parse(run.out);
  size_t linuxFiles = 0;
  for (const auto& entry : fs::recursive_directory_iterator(out / "linux"))
    linuxFiles += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(menuFiles + linuxFiles + 3, summary["files"].get<size_t>());

  // Written in the code page with CRLF; the label is the first level's title.
  const std::string title = Dump(kDemo / "Quorel.ini")["settings"]["titleText"];
  EXPECT_EQ("[AutoRun]\r\nopen=quorel.exe\r\nicon=quorel.exe,0\r\nlabel=" + title +
                "\r\naction=Open the " + title + " menu\r\n",
            ReadAll(out / "autorun.inf"));
  for (const char* program : {"autorun.sh", "linux/quorel"}) {
    struct stat info {};
    ASSERT_EQ(0, stat((out / program).c_str(), &info)) << program;
    EXPECT_EQ(0755u, info.st_mode & 0777u) << program;
  }
  const RunResult syntax = Shell("sh -n " + Quote((out / "autorun.sh").string()));
  EXPECT_EQ(0, syntax.exitCode) << syntax.out;
}

TEST(Dist, LabelOptionInTheCodePageAndTheVolumeId) {
  const DistFixture fixture("label");
  const fs::path out = fixture.root / "out";
  const RunResult run = fixture.Run(out, {"--label", "Caf\xC3\xA9 \xE2\x82\xAC\r\nopen=evil.exe"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  // One line: the line end cannot add a key of its own.
  EXPECT_NE(std::string::npos,
            ReadAll(out / "autorun.inf").find("\r\nlabel=Caf\xE9 \x80open=evil.exe\r\n"));

  const struct {
    const char* label;
    const char* id;
  } ids[] = {{"My Disc 2.0", "MY_DISC_2_0"},
             {"  ", "QUOREL"},
             {"\xC3\xA9t\xC3\xA9", "T"},
             {"a123456789b123456789c123456789d123456789", "A123456789B123456789C123456789D1"}};
  for (const auto& c : ids) EXPECT_EQ(c.id, VolumeId(c.label)) << c.label;
}

TEST(Dist, AutorunScriptStartsFromTheMediumRoot) {
  // The script from a folder whose name has a blank, quotes and a line end, started by its
  // full name and by a relative one; the stand-in program reports where it runs.
  const fs::path medium = Scratch() / "dist-script" / "disc 'one\" \nend";
  fs::remove_all(medium.parent_path());
  fs::create_directories(medium / "linux");
  std::ofstream(medium / "autorun.sh") << AutorunScript();
  std::ofstream(medium / "linux" / "quorel") << "#!/bin/sh\npwd -P > \"$REPORT\"\n";
  fs::permissions(medium / "linux" / "quorel", fs::perms::owner_all);
  const fs::path report = Scratch() / "dist-script" / "report.txt";
  for (const std::string& how : {"sh " + Quote((medium / "autorun.sh").string()),
                                 "cd " + Quote(medium.parent_path().string()) + " && sh " +
                                     Quote((medium.filename() / "autorun.sh").string())}) {
    fs::remove(report);
    const RunResult run = Shell("cd / && export REPORT=" + Quote(report.string()) + " && " + how);
    EXPECT_EQ(0, run.exitCode) << run.out;
    EXPECT_EQ(fs::canonical(medium).string() + "\n", ReadAll(report)) << how;
  }
  // On a machine of another kind: one line on standard error, exit 1, no program started.
  const fs::path bin = medium.parent_path() / "bin";
  fs::create_directories(bin);
  std::ofstream(bin / "uname") << "#!/bin/sh\necho aarch64\n";
  fs::permissions(bin / "uname", fs::perms::owner_all);
  fs::remove(report);
  const RunResult other =
      Piped("export REPORT=" + Quote(report.string()) + " PATH=" + Quote(bin.string()) +
            ":$PATH && sh " + Quote((medium / "autorun.sh").string()) + " 2>&1 >/dev/null");
  EXPECT_EQ(1, other.exitCode);
  EXPECT_EQ(1, std::count(other.out.begin(), other.out.end(), '\n')) << other.out;
  EXPECT_NE(std::string::npos, other.out.find("aarch64")) << other.out;
  EXPECT_FALSE(fs::exists(report));
}

TEST(Dist, RefusalsLeaveNothingBehind) {
  const struct {
    const char* name;
    void (*prepare)(const DistFixture&);
    std::vector<std::string> more;
    int exitCode;
    const char* says;
  } cases[] = {
      {"link-out",
       [](const DistFixture& f) { fs::create_symlink("/etc/hostname", f.menu / "host"); },
       {},
       1,
       "host: error: symbolic link points outside the menu folder"},
      {"link-loop",
       [](const DistFixture& f) { fs::create_directory_symlink(f.menu, f.menu / "extras" / "up"); },
       {},
       1,
       "symbolic link to a folder that holds it"},
      {"target-outside",
       [](const DistFixture& f) {
         std::ofstream(f.root / "setup.exe") << "x";
         std::string ini = ReadAll(f.menu / "Quorel.ini");
         ini.replace(ini.find("readme.txt,,,"), 10, "..\\setup.exe");
         std::ofstream(f.menu / "Quorel.ini", std::ios::binary) << ini;
       },
       {},
       1,
       "target '..\\setup.exe' lies outside the menu folder"},
      {"runtime-name",
       [](const DistFixture& f) { std::ofstream(f.menu / "Quorel.EXE") << "old"; },
       {},
       1,
       "already holds Quorel.EXE"},
      {"joliet-name",
       [](const DistFixture& f) { std::ofstream(f.menu / "extras" / "a:b.txt") << "x"; },
       {"--iso", "image.iso"},
       1,
       "a:b.txt: error: the name 'a:b.txt' holds ':'"},
      {"over-4-GiB",
       [](const DistFixture& f) {
         std::ofstream(f.menu / "big.bin").close();
         fs::resize_file(f.menu / "big.bin", uint64_t{1} << 32);  // sparse: nothing is written
       },
       {"--iso", "image.iso"},
       1,
       "4294967296 bytes; an ISO 9660 image holds files up to 4 GiB"},
      {"check-errors",
       [](const DistFixture& f) { fs::remove(f.menu / "readme.txt"); },
       {},
       2,
       "target 'readme.txt' not found"},
      {"image-folder-missing",
       [](const DistFixture&) {},
       {"--iso", "no/such/image.iso"},
       1,
       "no/such/image.iso: error: the folder"},
      {"link-loop-self",
       [](const DistFixture& f) { fs::create_symlink("self", f.menu / "self"); },
       {},
       1,
       "self: error: symbolic link loop\ndist: 1 problem; nothing was copied"},
      {"image-in-menu",
       [](const DistFixture&) {},
       {"--iso", "menu/Quorel.ini"},
       1,
       "Quorel.ini: error: lies in the menu folder"},
      {"image-exists",
       [](const DistFixture& f) { std::ofstream(f.root / "keep.iso") << "keep"; },
       {"--iso", "keep.iso"},
       1,
       "keep.iso: error: exists; nothing was copied (--force replaces it)"},
      // The Linux folder is copied whole: one that holds OUTDIR would copy into itself.
      {"out-in-linux",
       [](const DistFixture&) {},
       {"--linux", "."},
       1,
       "out: error: lies in the Linux program's folder"},
      {"image-is-folder",
       [](const DistFixture& f) { fs::create_directories(f.root / "isodir"); },
       {"--iso", "isodir"},
       1,
       "isodir: error: is a folder"},
      // Fails after the copy: what was copied goes again.
      {"image-fails",
       [](const DistFixture& f) {
         fs::create_directories(f.root / "bin");
         std::ofstream(f.root / "bin" / "xorriso")
             << "#!/bin/sh\necho 'FAILURE : stand-in'\nexit 5\n";
         fs::permissions(f.root / "bin" / "xorriso", fs::perms::owner_all);
       },
       {"--iso", "image.iso"},
       1,
       "xorriso failed (exit 5): FAILURE : stand-in; the disc folder was removed again"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DistFixture fixture(c.name);
    c.prepare(fixture);
    const fs::path out = fixture.root / "out";
    std::vector<std::string> more = c.more;
    if (more.size() == 2) more[1] = (fixture.root / more[1]).string();
    const char* path = std::getenv("PATH");
    const RunResult run = fixture.Run(
        out, more,
        fs::exists(fixture.root / "bin")
            ? "PATH=" + Quote((fixture.root / "bin").string() + ":" + (path ? path : ""))
            : "");
    EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(c.says)) << run.err;
    // Refused before the first copy or undone; no image or temporary file under any name, no
    // file of the author's changed.
    EXPECT_FALSE(fs::exists(out)) << run.err;
    for (const auto& entry : fs::directory_iterator(fixture.root))
      EXPECT_EQ(std::string::npos, entry.path().filename().string().find("image")) << entry.path();
    if (std::string(c.name) != "target-outside") {
      EXPECT_EQ(ReadAll(kDemo / "Quorel.ini"), ReadAll(fixture.menu / "Quorel.ini"));
    }
    if (fs::exists(fixture.root / "keep.iso")) {
      EXPECT_EQ("keep", ReadAll(fixture.root / "keep.iso"));
    }
    EXPECT_EQ(std::string::npos, run.err.find(" 1 errors")) << run.err;
  }
}

TEST(Dist, ForceGoesOnAndTheAuthorsAutorunInfIsKept) {
  const DistFixture fixture("force");
  fs::remove(fixture.menu / "readme.txt");
  const std::string own = "[autorun]\r\nopen=setup.exe\r\n";
  std::ofstream(fixture.menu / "AutoRun.inf", std::ios::binary) << own;
  const fs::path out = fixture.root / "out";
  const RunResult run = fixture.Run(out, {"--force"});
  EXPECT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("error: item")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("AutoRun.inf is kept")) << run.err;
  EXPECT_EQ(own, ReadAll(out / "AutoRun.inf"));
  EXPECT_FALSE(fs::exists(out / "autorun.inf") &&
               !fs::equivalent(out / "autorun.inf", out / "AutoRun.inf"));

  // A second run into the same, now full, folder changes nothing.
  std::ofstream(fixture.menu / "new.txt") << "new";
  const RunResult again = fixture.Run(out, {"--force"});
  EXPECT_EQ(1, again.exitCode);
  EXPECT_NE(std::string::npos, again.err.find("is not an empty folder")) << again.err;
  EXPECT_FALSE(fs::exists(out / "new.txt"));
}

TEST(Dist, ImageHoldsTheFolderWithExecuteBitsAndWindowsNames) {
  if (Shell("command -v xorriso").exitCode != 0) GTEST_SKIP() << "xorriso is not installed";
  const DistFixture fixture("iso");
  // A name longer than ISO 9660's own names, in mixed case, for the Joliet side.
  const std::string longName = "Release Notes for Version 2.0 (read me).txt";
  std::ofstream(fixture.menu / "extras" / longName) << "notes";
  const fs::path out = fixture.root / "out";
  const fs::path image = fixture.root / "demo.iso";
  std::ofstream(image) << "an image of an earlier run, which --force replaces";
  const RunResult run =
      fixture.Run(out, {"--iso", image.string(), "--label", "Quorel demo", "--force"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("dist: image")) << run.err;

  const fs::path back = fixture.root / "back";
  const RunResult extract =
      Shell("osirrox -indev " + Quote(image.string()) + " -extract / " + Quote(back.string()));
  ASSERT_EQ(0, extract.exitCode) << extract.out;
  const RunResult diff = Shell("diff -r " + Quote(out.string()) + " " + Quote(back.string()));
  EXPECT_EQ(0, diff.exitCode) << diff.out;
  for (const char* program : {"autorun.sh", "linux/quorel"}) {
    struct stat info {};
    ASSERT_EQ(0, stat((back / program).c_str(), &info)) << program;
    EXPECT_EQ(0755u, info.st_mode & 0777u) << program;
  }
  const RunResult volume = Shell("xorriso -indev " + Quote(image.string()) + " -pvd_info");
  EXPECT_NE(std::string::npos, volume.out.find("Volume Id    : QUOREL_DEMO")) << volume.out;
  // The Windows side, read without Rock Ridge.
  const RunResult joliet =
      Shell("xorriso -rockridge off -joliet on -indev " + Quote(image.string()) + " -ls /extras /");
  for (const std::string& name : {longName, std::string("autorun.inf"), std::string("quorel.exe")})
    EXPECT_NE(std::string::npos, joliet.out.find("'" + name + "'")) << joliet.out;
}

// The ELF images in a file: the file itself and those it carries inside (the menu program
// carries its reload program), each written to a file of its own in folder. An embedded image
// ends with its section table, which its header locates.
std::vector<fs::path> ElfImages(const fs::path& file, const fs::path& folder) {
  const std::string bytes = ReadAll(file);
  const std::string magic(
      "\x7f"
      "ELF\x02\x01\x01",
      7);
  std::vector<fs::path> images;
  for (size_t at = bytes.find(magic); at != std::string::npos; at = bytes.find(magic, at + 1)) {
    uint64_t tableAt = 0;
    uint32_t version = 0;
    uint16_t type = 0, machine = 0, headerSize = 0, entrySize = 0, entries = 0;
    if (at + 64 > bytes.size()) break;
    std::memcpy(&type, &bytes[at + 0x10], 2);
    std::memcpy(&machine, &bytes[at + 0x12], 2);
    std::memcpy(&version, &bytes[at + 0x14], 4);
    std::memcpy(&tableAt, &bytes[at + 0x28], 8);
    std::memcpy(&headerSize, &bytes[at + 0x34], 2);
    std::memcpy(&entrySize, &bytes[at + 0x3A], 2);
    std::memcpy(&entries, &bytes[at + 0x3C], 2);
    const uint64_t size = tableAt + uint64_t{entrySize} * entries;
    // A program or library for x86-64 (62), else the bytes only look like one.
    if ((type != 2 && type != 3) || machine != 62 || version != 1 || headerSize != 64 ||
        size < 64 || size > bytes.size() - at)
      continue;
    images.push_back(folder / (file.filename().string() + "." + std::to_string(at)));
    std::ofstream(images.back(), std::ios::binary) << bytes.substr(at, size);
  }
  return images;
}

// The disc's linux/ folder, each program in it and the reload program inside the menu program:
// no glibc symbol version newer than 2.31, nothing needed beyond what every desktop has, none of
// the system's own libraries carried, and at most 8 MB on the disc.
TEST(Dist, LinuxFolderRunsOnGlibc231AndHoldsNoSystemLibrary) {
  const fs::path program = fs::path(QUOREL_PORTABLE_DIR) / "quorel";
  if (!fs::exists(program))
    GTEST_SKIP() << "quorel-portable is not built here (the linux preset builds it, as root)";
  const DistFixture fixture("elf");
  const fs::path out = fixture.root / "out";
  const RunResult run = fixture.Run(out);
  ASSERT_EQ(0, run.exitCode) << run.err;
  const fs::path images = fixture.root / "images";
  fs::create_directories(images);
  // What every system has: glibc, and (on every desktop) fontconfig.
  const std::set<std::string> system = {"libc.so.6",         "libm.so.6",  "libdl.so.2",
                                        "libpthread.so.0",   "librt.so.1", "ld-linux-x86-64.so.2",
                                        "libfontconfig.so.1"};
  // What the disc may never carry: the system's own libraries, glibc's parts among them.
  const char* excluded[] = {"libasound",   "libX11",   "libxcb",     "libwayland-",   "libGL",
                            "libEGL",      "libdrm",   "libgbm",     "libfontconfig", "libfreetype",
                            "libharfbuzz", "libz.",    "libstdc++",  "libgcc_s",      "libjack",
                            "libpipewire", "libc.",    "libm.",      "libdl.",        "libpthread.",
                            "librt.",      "ld-linux", "libresolv.", "libutil.",      "libmvec.",
                            "libanl.",     "libnsl."};
  uint64_t bytes = 0;
  size_t elfs = 0;
  for (const auto& entry : fs::recursive_directory_iterator(out / "linux")) {
    if (!entry.is_regular_file()) continue;
    bytes += entry.file_size();
    const std::string name = entry.path().filename().string();
    for (const char* prefix : excluded) EXPECT_NE(0u, name.rfind(prefix, 0)) << entry.path();
    for (const fs::path& image : ElfImages(entry.path(), images)) {
      ++elfs;
      const RunResult dump = Shell("objdump -T -p " + Quote(image.string()));
      ASSERT_EQ(0, dump.exitCode) << dump.out;
      std::istringstream words(dump.out);
      std::string word, previous;
      for (; words >> word; previous = word) {
        if (previous == "NEEDED") {
          EXPECT_EQ(1u, system.count(word)) << image << " needs " << word;
        }
        int major = 0, minor = 0;
        if (std::sscanf(word.c_str(), "GLIBC_%d.%d", &major, &minor) == 2) {
          EXPECT_LE(major * 100 + minor, 231) << image << " needs " << word;
        }
      }
    }
  }
  EXPECT_GE(elfs, 2u) << "the menu program and the reload program inside it";
  EXPECT_LE(bytes, 8'000'000u);
}

TEST(Dist, JolietNames) {
  const struct {
    std::string name;
    bool fits;
  } cases[] = {{"readme.txt", true},
               {std::string(64, 'a'), true},
               {std::string(65, 'a'), false},
               {"\xC3\xA9" + std::string(63, 'a'), true},
               {"a;1", false},
               {"back\\slash", false},
               {"star*", false},
               {"tab\there", false},
               {"bad\xFFutf8", false}};
  for (const auto& c : cases) EXPECT_EQ(c.fits, JolietProblem(c.name).empty()) << c.name;
}

}  // namespace

namespace {

TEST(Dist, FullDiskIsToldAndLeavesNoImage) {
  if (geteuid() != 0 || Shell("unshare -m true").exitCode != 0)
    GTEST_SKIP() << "a small file system of its own needs a mount namespace (root)";
  const DistFixture fixture("full");
  const fs::path small = fixture.root / "small";
  fs::create_directories(small);
  // Inside the namespace: a 64 KiB file system, first as the folder, then under the image.
  const std::string tool = "env QUOREL_WINDIR=" + Quote((Scratch() / "state").string()) + " " +
                           Quote(QUOREL_TOOL_PATH) + " dist " + Quote(fixture.menu.string());
  const std::string runtime =
      " --exe " + Quote(fixture.exe.string()) + " --linux " + Quote(fixture.linuxDir.string());
  const RunResult run = Shell(
      "unshare -m sh -c " +
      Quote("mount -t tmpfs -o size=64k tmpfs " + Quote(small.string()) + " && " + tool + " " +
            Quote((small / "out").string()) + runtime + " 2>&1 | grep -v 'dist: copied'; ls -A " +
            Quote(small.string()) + "; " + tool + " " + Quote((fixture.root / "out").string()) +
            runtime + " --iso " + Quote((small / "demo.iso").string()) +
            " 2>&1 | grep error; ls -A " + Quote(small.string())));
  EXPECT_NE(std::string::npos, run.out.find(": error: cannot copy: No space left on device"))
      << run.out;
  EXPECT_NE(std::string::npos, run.out.find("demo.iso: error: the disk is full")) << run.out;
  EXPECT_EQ(std::string::npos, run.out.find("demo.iso\n")) << run.out;
  EXPECT_EQ(std::string::npos, run.out.find(".part")) << run.out;
  // The first run's partial folder is gone again.
  EXPECT_EQ(std::string::npos, run.out.find("out\n")) << run.out;
}

}  // namespace
