// Tests of quorel-tool on the bundled demo: what dump reports, that render draws what dump
// reports and exactly the committed picture, the demo's languages and targets, and the tool's
// answers to bad input. Runs the built tool as a child process; reads its PNG with libpng.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/sdl/code_page.h"
#include "platform/sdl/sdl_font_face.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kDemo = QUOREL_DEMO_DIR;

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A private folder for outputs and for the state the menu keeps between runs, so no run sees
// what an earlier one (or the user's own menu) remembered.
const fs::path& Scratch() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / ("quorel_tool_test_" + std::to_string(getpid()));
    fs::remove_all(path);
    fs::create_directories(path / "state");
    return path;
  }();
  return folder;
}

// Runs the tool with the given country code; stdout and stderr are kept apart.
RunResult RunTool(const std::vector<std::string>& arguments, const std::string& country = "0") {
  const fs::path errFile = Scratch() / "stderr.txt";
  std::string command = "env QUOREL_COUNTRY=" + Quote(country) +
                        " QUOREL_WINDIR=" + Quote((Scratch() / "state").string()) +
                        " XDG_STATE_HOME=" + Quote((Scratch() / "state").string()) + " " +
                        Quote(QUOREL_TOOL_PATH);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " 2>" + Quote(errFile.string());

  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
      {{"dump", Scratch().string()}, 1, "not a file"},
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

}  // namespace
