// Draws the files of the BMP suite in ../shared/data with CDib onto 32-bit canvases: good
// files must match the reference pictures the suite names, damaged ones must be reported or
// drawn safely, questionable ones must not crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless_control.h"
#include "render/dib.h"
#include "tests/unit/reference_picture.h"
#include "tests/unit/test_canvas.h"

namespace {

namespace fs = std::filesystem;

#ifndef QUOREL_SHARED_DATA_DIR
#define QUOREL_SHARED_DATA_DIR ""
#endif

const fs::path kSuite = fs::path(QUOREL_SHARED_DATA_DIR) / "bmpsuite";
constexpr uint32_t kBackground = 0xFF00FF;  // shows through wherever nothing was drawn

std::vector<fs::path> FilesIn(const char* folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kSuite / folder)) {
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The reference pictures that the suite's page shows as the correct display of folder/name,
// in the page's order ("pal8nonsquare" has one stretched for viewers and one as stored).
std::vector<fs::path> ReferencesOf(const std::string& page, const std::string& entry) {
  std::vector<fs::path> found;
  const size_t cell = page.find(">" + entry + "<");
  if (cell == std::string::npos) return found;
  const size_t rowEnd = page.find("</tr>", cell);
  for (size_t at = page.find("<img src=\"", cell); at < rowEnd;
       at = page.find("<img src=\"", at + 1)) {
    const size_t start = at + 10;
    const std::string src = page.substr(start, page.find('"', start) - start);
    if (src.rfind("../", 0) != 0) found.push_back(kSuite / "html" / src);
  }
  return found;
}

// Bits per pixel of a loaded image, from its header (the core header's field sits earlier).
int BitsPerPixelOf(const CDib& dib) {
  const uint8_t* header = dib.info.get();
  const size_t at = header[0] == 12 && header[1] == 0 ? 10 : 14;
  return header[at] | header[at + 1] << 8;
}

// Loads path, draws it whole at its own size and compares it with the first reference of the
// same size, channel by channel, where the reference is opaque. Where it is transparent (pixels
// that RLE codes skip) the surface must show its background: drawing leaves them untouched.
void ExpectMatchesReference(const std::string& page, const fs::path& path,
                            const std::string& entry) {
  CDib dib;
  ASSERT_EQ(1, dib.LoadFromFile(path.string().c_str()));
  EXPECT_EQ(std::vector<std::string>{}, TakeShownMessages());
  const DibExtent extent = dib.ImageExtent();
  ASSERT_GT(extent.width, 0);
  ASSERT_GT(extent.height, 0);
  Canvas surface(extent.width, extent.height, kBackground);
  EXPECT_EQ(1, dib.PaintImage(surface.target(), 0, 0, extent.width, extent.height, 0, 0));

  Picture reference;
  for (const fs::path& candidate : ReferencesOf(page, entry)) {
    Picture p;
    if (ReadReferencePicture(candidate, &p) && p.width == extent.width &&
        p.height == extent.height) {
      reference = std::move(p);
      break;
    }
  }
  ASSERT_FALSE(reference.rgba.empty()) << "no reference picture of the image's size";
  // 16-bit pixels hold 5 or 6 bits a channel. Widened to 8 bits they may differ by one: the
  // suite's pictures round (v * 255 / 31), GDI repeats the high bits (v << 3 | v >> 2).
  const int slack = BitsPerPixelOf(dib) == 16 ? 1 : 0;
  int compared = 0, wrong = 0;
  std::string first;
  for (int y = 0; y < extent.height; ++y) {
    for (int x = 0; x < extent.width; ++x) {
      const uint8_t* want = &reference.rgba[(static_cast<size_t>(y) * extent.width + x) * 4];
      const uint32_t got = surface.At(x, y);
      if (want[3] == 0 && got != kBackground && wrong++ == 0) first = "drawn where undefined";
      if (want[3] != 255) continue;
      ++compared;
      const int channels[3] = {int(got >> 16), int(got >> 8 & 0xFF), int(got & 0xFF)};
      for (int c = 0; c < 3; ++c) {
        if (std::abs(channels[c] - want[c]) > slack) {
          if (wrong++ == 0) {
            std::ostringstream s;
            s << "first at " << x << "," << y << ": got " << std::hex << got << " want "
              << int(want[0]) << "," << int(want[1]) << "," << int(want[2]);
            first = s.str();
          }
          break;
        }
      }
    }
  }
  EXPECT_GT(compared, 0);
  EXPECT_EQ(0, wrong) << first;
}

class BmpSuiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kSuite / "g")) {
      GTEST_SKIP() << "the BMP suite is not at " << kSuite << " (../shared/data is absent)";
    }
    std::ifstream in(kSuite / "html" / "bmpsuite.html");
    std::ostringstream text;
    text << in.rdbuf();
    page_ = text.str();
    ASSERT_FALSE(page_.empty());
    TakeShownMessages();
  }
  std::string page_;
};

TEST_F(BmpSuiteTest, GoodFilesMatchTheirReferencePictures) {
  for (const fs::path& path : FilesIn("g")) {
    const std::string entry = "g/" + path.filename().string();
    SCOPED_TRACE(entry);
    ExpectMatchesReference(page_, path, entry);
  }
}

// RLE files whose codes skip pixels: the suite's first reference leaves those transparent,
// and everything else must match.
TEST_F(BmpSuiteTest, RleSkipsMatchWhereTheReferenceIsOpaque) {
  for (const char* name :
       {"pal4rletrns.bmp", "pal8rletrns.bmp", "pal4rlecut.bmp", "pal8rlecut.bmp"}) {
    const std::string entry = std::string("q/") + name;
    SCOPED_TRACE(entry);
    ExpectMatchesReference(page_, kSuite / "q" / name, entry);
  }
}

// What each damaged file gets: a message, or (empty) it loads and draws safely because the
// damage lies in something drawing does not trust (unused density and size fields, RLE codes
// that run past the rows, palette indexes past the table, an empty blue mask) or it shows what
// there is (rows cut short read as zeros).
TEST_F(BmpSuiteTest, DamagedFilesAreReportedOrDrawnSafely) {
  const std::map<std::string, std::string> expected = {
      {"badbitcount.bmp", "Invalid bitmap file"},
      {"badbitssize.bmp", "Invalid bitmap file"},
      {"baddens1.bmp", ""},
      {"baddens2.bmp", ""},
      {"badfilesize.bmp", ""},
      {"badheadersize.bmp", "Invalid bitmap file"},
      {"badpalettesize.bmp", "Invalid bitmap file"},
      {"badplanes.bmp", "Invalid bitmap file"},
      {"badrle.bmp", ""},
      {"badrle4.bmp", ""},
      {"badrle4bis.bmp", ""},
      {"badrle4ter.bmp", ""},
      {"badrlebis.bmp", ""},
      {"badrleter.bmp", ""},
      {"badwidth.bmp", "Invalid bitmap file"},
      {"pal8badindex.bmp", ""},
      {"reallybig.bmp", "Invalid bitmap file"},
      {"rgb16-880.bmp", ""},
      {"rletopdown.bmp", "Invalid bitmap file"},
      {"shortfile.bmp", ""},
  };
  for (const fs::path& path : FilesIn("b")) {
    const std::string name = path.filename().string();
    SCOPED_TRACE(name);
    const auto want = expected.find(name);
    ASSERT_NE(expected.end(), want) << "a file of the suite this test does not know";
    CDib dib;
    const int loaded = dib.LoadFromFile(path.string().c_str());
    const std::vector<std::string> shown = TakeShownMessages();
    if (!want->second.empty()) {
      EXPECT_EQ(0, loaded);
      EXPECT_EQ(std::vector<std::string>{"class CDib|" + want->second}, shown);
      continue;
    }
    ASSERT_EQ(1, loaded);
    EXPECT_EQ(std::vector<std::string>{}, shown);
    if (!ReferencesOf(page_, "b/" + name).empty()) {
      ExpectMatchesReference(page_, path, "b/" + name);
    } else {
      Canvas surface(160, 80, kBackground);
      const DibExtent extent = dib.ImageExtent();
      EXPECT_EQ(1, dib.PaintImage(surface.target(), 0, 0, extent.width, extent.height, 0, 0));
    }
  }
}

// Files of doubtful validity: each loads and draws (onto a surface smaller than some of
// them), or fails with exactly one of the system's messages.
TEST_F(BmpSuiteTest, QuestionableFilesLoadOrReportWithoutHarm) {
  const std::vector<std::string> messages = {"class CDib|Invalid bitmap file",
                                             "class CDib|Read error 1", "class CDib|read error 1"};
  for (const char* folder : {"q", "x"}) {
    for (const fs::path& path : FilesIn(folder)) {
      SCOPED_TRACE(path.string());
      CDib dib;
      const int loaded = dib.LoadFromFile(path.string().c_str());
      const std::vector<std::string> shown = TakeShownMessages();
      if (loaded == 1) {
        EXPECT_TRUE(shown.empty());
        const DibExtent extent = dib.ImageExtent();
        Canvas surface(100, 50, kBackground);
        EXPECT_EQ(1, dib.PaintImage(surface.target(), -10, -5, extent.width, extent.height, 0, 0));
      } else {
        ASSERT_EQ(1u, shown.size());
        EXPECT_NE(messages.end(), std::find(messages.begin(), messages.end(), shown[0]));
      }
    }
  }
}

}  // namespace
