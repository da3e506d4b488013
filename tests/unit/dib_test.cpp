// Tests of CDib: the messages and state after loading good and damaged files, sizes, colour
// tables and palettes, and how PaintImage and PaintScanRange place pixels on a canvas.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/dib_draw.h"
#include "platform/file_system.h"
#include "platform/headless/headless_control.h"
#include "render/dib.h"
#include "tests/support/bmp_writer.h"
#include "tests/unit/special_files.h"
#include "tests/unit/temp_folder.h"
#include "tests/unit/test_canvas.h"

namespace {

namespace fs = std::filesystem;

// Files built field by field; a damaged case sets its bad field, or cuts or patches the bytes,
// on purpose.
using Bmp = quorel_test::BmpFile;
using quorel_test::EncodeBmp;

// A colour table of count entries: entry i is blue i, green 100 + i, red 200 - i.
std::vector<uint8_t> Table(int count, int entrySize = 4) {
  std::vector<uint8_t> t;
  for (int i = 0; i < count; ++i) {
    t.insert(t.end(), {uint8_t(i), uint8_t(100 + i), uint8_t(200 - i)});
    if (entrySize == 4) t.push_back(0);
  }
  return t;
}

// A 24-bit image of width x 2 pixels with bytes of rows.
Bmp Rgb(int32_t width, size_t bytes, uint32_t sizeImage = 0) {
  Bmp b;
  b.width = width;
  b.sizeImage = sizeImage;
  b.pixels.assign(bytes, 1);
  return b;
}

// A 1-bit 8 x 2 image; its top row shows entry 0 (red 200, green 100) on the left.
Bmp OneBit() {
  Bmp b;
  b.width = 8;
  b.bitCount = 1;
  b.table = Table(2);
  b.pixels = {0xF0, 0, 0, 0, 0x0F, 0, 0, 0};
  return b;
}

class DibTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    TakeShownMessages();
  }
  // Loads bytes and returns the result; messages go to shown.
  int Load(CDib& dib, const std::vector<uint8_t>& bytes, std::vector<std::string>* shown) {
    const int result = dib.LoadFromFile(Write("image.bmp", bytes).c_str());
    *shown = TakeShownMessages();
    return result;
  }
};

// An RLE8 image of width x height whose data is bytes long (runs of 255 pixels of entry 1).
Bmp Rle(int32_t width, int32_t height, size_t bytes, uint32_t sizeImage = 0) {
  Bmp b;
  b.width = width;
  b.height = height;
  b.bitCount = 8;
  b.compression = 1;
  b.table = Table(256);
  for (size_t i = 0; i < bytes; ++i) b.pixels.push_back(i % 2 == 0 ? 255 : 1);
  b.sizeImage = sizeImage;
  return b;
}

TEST_F(DibTest, DamagedFilesAreReportedAndLeaveNoImage) {
  const std::vector<uint8_t> good = EncodeBmp(Rgb(2, 16));
  auto with = [&](auto change) {
    Bmp b;
    b.pixels.assign(16, 1);
    change(b);
    return EncodeBmp(b);
  };
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"empty file", {}, "read error 1"},
      {"13 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 13), "read error 1"},
      {"not BM",
       [&] {
         auto v = good;
         v[0] = 'X';
         return v;
       }(),
       "Invalid bitmap file"},
      {"rows beyond the file", with([](Bmp& b) { b.offBits = 1000; }), "Invalid bitmap file"},
      {"no room for a header", with([](Bmp& b) { b.offBits = 20; }), "Invalid bitmap file"},
      {"header size 66", with([](Bmp& b) { b.headerSize = 66; }), "Invalid bitmap file"},
      {"header past block", with([](Bmp& b) {
         b.headerSize = 124;
         b.offBits = 14 + 60;
       }),
       "Invalid bitmap file"},
      {"2 planes", with([](Bmp& b) { b.planes = 2; }), "Invalid bitmap file"},
      {"2 bits", with([](Bmp& b) {
         b.bitCount = 2;
         b.table = Table(4);
       }),
       "Invalid bitmap file"},
      {"JPEG", with([](Bmp& b) { b.compression = 4; }), "Invalid bitmap file"},
      {"RLE8 at 4 bits", with([](Bmp& b) {
         b.bitCount = 4;
         b.compression = 1;
         b.table = Table(16);
       }),
       "Invalid bitmap file"},
      {"bit fields at 24 bits", with([](Bmp& b) {
         b.compression = 3;
         b.table.assign(12, 0xFF);
       }),
       "Invalid bitmap file"},
      {"width 0", with([](Bmp& b) { b.width = 0; }), "Invalid bitmap file"},
      {"negative width", with([](Bmp& b) { b.width = -2; }), "Invalid bitmap file"},
      {"height 0", with([](Bmp& b) { b.height = 0; }), "Invalid bitmap file"},
      {"width 100,000", with([](Bmp& b) {
         b.width = 100000;
         b.height = 1;
       }),
       "Invalid bitmap file"},
      {"short colour table", with([](Bmp& b) {
         b.bitCount = 8;
         b.table = Table(16);
       }),
       "Invalid bitmap file"},
      {"huge colour count", with([](Bmp& b) { b.colorsUsed = 0x12345678; }), "Invalid bitmap file"},
      {"top-down RLE", with([](Bmp& b) {
         b.height = -2;
         b.bitCount = 8;
         b.compression = 1;
         b.table = Table(256);
       }),
       "Invalid bitmap file"},
      {"image size of 2 GB", with([](Bmp& b) { b.sizeImage = 0x7FFFFFF0; }), "Invalid bitmap file"},
      // Sizes no image or window could hold are refused before anything is allocated.
      {"width 32,768", with([](Bmp& b) { b.width = 32768; }), "Invalid bitmap file"},
      {"height 32,768", with([](Bmp& b) { b.height = 32768; }), "Invalid bitmap file"},
      {"top-down height 32,768", with([](Bmp& b) { b.height = -32768; }), "Invalid bitmap file"},
      {"4,096 x 4,097 pixels", with([](Bmp& b) {
         b.width = 4096;
         b.height = 4097;
         b.bitCount = 1;
         b.table = Table(2);
       }),
       "Invalid bitmap file"},
      {"RLE 65,535 x 65,535", EncodeBmp(Rle(65535, 65535, 2100000, 4200000)),
       "Invalid bitmap file"},
      // Compressed data is judged by what the file holds: 34 KB cannot describe 16 M pixels,
      // however large the size the header declares.
      {"RLE bomb", EncodeBmp(Rle(4000, 4000, 34 * 1024)), "Invalid bitmap file"},
      {"RLE declaring 60 MB", EncodeBmp(Rle(4000, 4000, 4, 60 << 20)), "Invalid bitmap file"},
      // Beyond 64 MiB of pixel data a file must hold at least half of it.
      {"75 MB of rows, 16 bytes held", with([](Bmp& b) { b.width = b.height = 5000; }),
       "Invalid bitmap file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CDib dib;
    std::vector<std::string> shown;
    ASSERT_EQ(1, Load(dib, good, &shown));
    EXPECT_EQ(0, Load(dib, c.bytes, &shown));
    EXPECT_EQ(std::vector<std::string>{std::string("class CDib|") + c.message}, shown);
    EXPECT_EQ(0, dib.ImageExtent().width);
    EXPECT_EQ(0, dib.ImageExtent().height);
    Canvas canvas(2, 2);
    EXPECT_EQ(0, dib.PaintImage(canvas.target(), 0, 0, 2, 2, 0, 0));
    EXPECT_EQ(nullptr, dib.info);
    EXPECT_EQ(nullptr, dib.bits);
    EXPECT_EQ(nullptr, dib.palette);
  }
}

TEST_F(DibTest, MissingFileNamesItsFullPathAndKeepsTheImage) {
  char saved[4096];
  ASSERT_GT(GetCurrentDir(saved, sizeof saved), 0u);
  ASSERT_EQ(1, SetCurrentDir(root_.string().c_str()));
  CDib dib;
  std::vector<std::string> shown;
  ASSERT_EQ(1, Load(dib, EncodeBmp(OneBit()), &shown));
  std::vector<SpecialFile> cases = {
      {"missing.bmp", (root_ / "missing.bmp").string()},
      {".", root_.string()},  // a folder cannot be opened as a file
  };
  // Only files on disk are read: a FIFO without a writer or a device could block an open or a
  // read for ever.
  const std::vector<SpecialFile> special = MakeSpecialFiles(root_);
  ASSERT_FALSE(special.empty()) << "the special files could not be made";
  cases.insert(cases.end(), special.begin(), special.end());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(0, dib.LoadFromFile(c.name.c_str()));
    EXPECT_EQ(std::vector<std::string>{"class CDib|File not found - " + c.full},
              TakeShownMessages());
    EXPECT_EQ(8, dib.ImageExtent().width);
    Canvas canvas(8, 2);
    EXPECT_EQ(1, dib.PaintImage(canvas.target(), 0, 0, 8, 2, 0, 0));
    EXPECT_EQ(0xC86400u, canvas.At(0, 0));
  }
  SetCurrentDir(saved);
}

TEST_F(DibTest, SizesColourCountsAndColourTables) {
  Bmp v5;  // 8 bits, version-5 header, 16 colours in use
  v5.headerSize = 124;
  v5.bitCount = 8;
  v5.colorsUsed = 16;
  v5.table = Table(16);
  v5.pixels = {0, 15, 0, 0, 3, 4, 0, 0};
  Bmp fields565;  // 16 bits with masks and a colour table behind a 40-byte header
  fields565.bitCount = 16;
  fields565.compression = 3;
  fields565.colorsUsed = 2;
  fields565.table = {0, 0xF8, 0, 0, 0xE0, 7, 0, 0, 0x1F, 0, 0, 0};
  for (uint8_t v : Table(2)) fields565.table.push_back(v);
  fields565.pixels.assign(8, 0);
  Bmp core;  // 12-byte header: 16-bit sizes, 3-byte colour entries
  core.headerSize = 12;
  core.width = 300;
  core.height = 1;
  core.bitCount = 4;
  core.table = Table(16, 3);
  core.pixels.assign(152, 0);
  Bmp topDown = OneBit();
  topDown.height = -2;
  // The largest sides and area, their rows all missing (they read as zeros).
  Bmp widest = Rgb(32767, 0);
  widest.height = 1;
  Bmp tallest = Rgb(1, 0);
  tallest.height = -32767;
  Bmp largest = OneBit();
  largest.width = largest.height = 4096;
  largest.pixels.clear();
  // An RLE picture left to skips needs next to no data up to 2048 x 2048 pixels.
  Bmp blank = Rle(2048, 2048, 0);
  blank.pixels = {0, 1};  // end of bitmap
  blank.colorsUsed = 2;
  blank.table = Table(2);
  const struct {
    const char* what;
    Bmp bmp;
    int32_t width, height;
    uint32_t imageSize;
    int32_t colorCount;
    uint32_t tableOffset;
  } cases[] = {
      {"24 bits, width 3", Rgb(3, 24), 3, 2, 24, 0, 40},
      {"24 bits, width 1", Rgb(1, 8), 1, 2, 8, 0, 40},
      {"header's image size", Rgb(1, 10, 10), 1, 2, 10, 0, 40},
      {"1 bit", OneBit(), 8, 2, 8, 2, 40},
      {"top-down", topDown, 8, 2, 8, 2, 40},
      {"version 5", v5, 2, 2, 8, 16, 124},
      {"bit fields", fields565, 2, 2, 8, 2, 52},
      {"core header", core, 300, 1, 152, 16, 12},
      {"widest", widest, 32767, 1, 98304, 0, 40},
      {"tallest", tallest, 1, 32767, 131068, 0, 40},
      {"largest", largest, 4096, 4096, 2 << 20, 2, 40},
      {"blank RLE", blank, 2048, 2048, 2, 2, 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CDib dib;
    std::vector<std::string> shown;
    ASSERT_EQ(1, Load(dib, EncodeBmp(c.bmp), &shown));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(c.width, dib.ImageExtent().width);
    EXPECT_EQ(c.height, dib.ImageExtent().height);
    EXPECT_EQ(c.imageSize, dib.imageSize);
    EXPECT_EQ(c.colorCount, dib.colorCount);
    EXPECT_EQ(dib.info.get() + c.tableOffset, dib.colorTable);
    EXPECT_EQ(c.colorCount > 0, dib.palette != nullptr);
  }
}

// On a display with a palette, realising a picture's palette shows the colour table's entries
// in order (the 3-byte entries of a core header too), as many as the header says are used.
TEST_F(DibTest, PaletteShowsTheColourTableInOrder) {
  if (PaletteDisplay().target() == nullptr) {
    GTEST_SKIP() << "no display with a palette here: GDI draws on the true-colour screen";
  }
  Bmp core = OneBit();
  core.headerSize = 12;
  core.table = Table(2, 3);
  Bmp used;  // 8 bits, 16 of 256 entries in use, version-5 header
  used.headerSize = 124;
  used.bitCount = 8;
  used.colorsUsed = 16;
  used.table = Table(16);
  used.pixels.assign(8, 0);
  const struct {
    const char* what;
    Bmp bmp;
    int entries;
  } cases[] = {{"1 bit", OneBit(), 2}, {"core header", core, 2}, {"16 colours used", used, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CDib dib;
    std::vector<std::string> shown;
    ASSERT_EQ(1, Load(dib, EncodeBmp(c.bmp), &shown));
    PaletteDisplay display;
    EXPECT_EQ(c.entries, dib.ApplyPalette(display.target(), 0));
    for (int i = 0; i < c.entries; ++i) {
      EXPECT_EQ((200u - i) << 16 | (100u + i) << 8 | uint32_t(i), display.Entry(i)) << i;
    }
  }
}

// A file cut short shows what it holds; the bytes it lacks read as zeros, so missing rows are
// drawn black, however little of the rows there is.
TEST_F(DibTest, RowsMissingFromAShortFileAreBlack) {
  constexpr int kWidth = 4, kHeight = 8, kRowBytes = 12;
  const struct {
    const char* what;
    bool topDown;
    size_t bytes;  // of the 96 bytes of rows, each 0x80
  } cases[] = {
      {"two rows of eight", false, 24},
      {"two and a half rows, top-down", true, 30},
      {"cut inside a pixel", false, 25},
      {"no rows", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bmp b = Rgb(kWidth, c.bytes);
    b.height = c.topDown ? -kHeight : kHeight;
    b.pixels.assign(c.bytes, 0x80);
    CDib dib;
    std::vector<std::string> shown;
    ASSERT_EQ(1, Load(dib, EncodeBmp(b), &shown));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(uint32_t{kRowBytes * kHeight}, dib.imageSize);
    Canvas canvas(kWidth, kHeight, 0x123456);
    ASSERT_EQ(1, dib.PaintImage(canvas.target(), 0, 0, kWidth, kHeight, 0, 0));
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const size_t at = size_t((c.topDown ? y : kHeight - 1 - y) * kRowBytes + x * 3);
        uint32_t want = 0;  // blue, green, red: each 0x80 where the file held its byte
        for (size_t i = 0; i < 3; ++i) want |= (at + i < c.bytes ? 0x80u : 0u) << (8 * i);
        EXPECT_EQ(want, canvas.At(x, y)) << x << "," << y;
      }
    }
  }
}

// A 2 x 3 24-bit image whose pixel at column x of display row y (from the top) is
// 0x00RRGGBB with red 0x10 * (x + 1) and green 0x10 * (y + 1).
uint32_t Expected(int x, int y) { return (0x10u * (x + 1)) << 16 | (0x10u * (y + 1)) << 8; }
Bmp Gradient(bool topDown) {
  Bmp b;
  b.width = 2;
  b.height = topDown ? -3 : 3;
  for (int stored = 0; stored < 3; ++stored) {
    const int y = topDown ? stored : 2 - stored;
    for (int x = 0; x < 2; ++x)
      b.pixels.insert(b.pixels.end(), {0, uint8_t(0x10 * (y + 1)), uint8_t(0x10 * (x + 1))});
    b.pixels.insert(b.pixels.end(), {0, 0});
  }
  return b;
}

TEST_F(DibTest, PaintingPlacesSourceRectanglesAndScanRanges) {
  constexpr uint32_t kBack = 0x123456;
  const struct {
    const char* what;
    bool topDown;
    int xDest, yDest, width, height, xSrc, ySrc;
    int startScan, scanCount;  // -1: PaintImage
    // surface (3 x 4) pixel -> image pixel drawn there, or none
    std::vector<std::vector<int>> drawn;  // {sx, sy, ix, iy}
  } cases[] = {
      {"whole, bottom-up", false, 0, 0, 2, 3, 0, 0, -1, -1, {{0, 0, 0, 0}, {1, 2, 1, 2}}},
      {"whole, top-down", true, 0, 0, 2, 3, 0, 0, -1, -1, {{0, 0, 0, 0}, {1, 2, 1, 2}}},
      {"ySrc from the bottom", false, 1, 1, 1, 1, 1, 0, -1, -1, {{1, 1, 1, 2}, {0, 0, -1, -1}}},
      // Top-down or not, ySrc and scan lines count from the bottom row, as GDI counts them.
      {"top-down ySrc", true, 1, 1, 1, 1, 1, 0, -1, -1, {{1, 1, 1, 2}, {2, 2, -1, -1}}},
      {"clipped at top left", false, -1, -2, 2, 3, 0, 0, -1, -1, {{0, 0, 1, 2}, {1, 0, -1, -1}}},
      {"clipped at bottom right", false, 2, 2, 2, 3, 0, 0, -1, -1, {{2, 2, 0, 0}, {2, 3, 0, 1}}},
      // Scan line 1 (the middle row) from the first row in the buffer: stored row 0.
      {"scan range", false, 0, 0, 2, 3, 0, 0, 1, 1, {{0, 0, -1, -1}, {0, 1, 0, 2}, {1, 2, -1, -1}}},
      // Scan line 0 (the bottom row) of a top-down image, from the first row in the buffer.
      {"down scan", true, 0, 0, 2, 3, 0, 0, 0, 1, {{0, 0, -1, -1}, {1, 1, -1, -1}, {0, 2, 0, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CDib dib;
    std::vector<std::string> shown;
    ASSERT_EQ(1, Load(dib, EncodeBmp(Gradient(c.topDown)), &shown));
    Canvas canvas(3, 4, kBack);
    if (c.startScan < 0) {
      EXPECT_EQ(
          1, dib.PaintImage(canvas.target(), c.xDest, c.yDest, c.width, c.height, c.xSrc, c.ySrc));
    } else {
      EXPECT_EQ(1, dib.PaintScanRange(canvas.target(), c.xDest, c.yDest, c.width, c.height, c.xSrc,
                                      c.ySrc, c.startScan, c.scanCount));
    }
    for (const auto& d : c.drawn) {
      const uint32_t want = d[2] < 0 ? kBack : Expected(d[2], d[3]);
      EXPECT_EQ(want, canvas.At(d[0], d[1])) << "at " << d[0] << "," << d[1];
    }
  }
}

TEST_F(DibTest, RleSkipsKeepTheBackgroundAndMissingEntriesAreBlack) {
  Bmp b;  // 4 x 2, 8 bits, two colours; index 9 lies past the table
  b.width = 4;
  b.bitCount = 8;
  b.compression = 1;
  b.colorsUsed = 2;
  b.table = {0, 0, 255, 0, 255, 0, 0, 0};  // red, blue
  // Bottom row: two red, then end of line. Top row: skip one (delta), one blue, one index 9.
  b.pixels = {2, 0, 0, 0, 0, 2, 1, 0, 1, 1, 1, 9, 0, 1};
  b.sizeImage = b.pixels.size();
  CDib dib;
  std::vector<std::string> shown;
  ASSERT_EQ(1, Load(dib, EncodeBmp(b), &shown));
  Canvas canvas(4, 2, 0x00FF00);
  dib.PaintImage(canvas.target(), 0, 0, 4, 2, 0, 0);
  const uint32_t want[2][4] = {{0x00FF00, 0x0000FF, 0x000000, 0x00FF00},
                               {0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(want[y][x], canvas.At(x, y)) << x << "," << y;
}

}  // namespace
