// Rendering every page a menu reaches, and the contact sheet: thumbnails (block means of the
// page pictures) with their names under them, missing levels and backgrounds as labelled gaps.
#include "tools/render_all.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "menu/page_grid.h"
#include "platform/ascii_case.h"
#include "platform/dib_draw.h"
#include "platform/dib_format.h"
#include "platform/draw.h"
#include "platform/headless/headless_control.h"
#include "platform/image_limits.h"
#include "platform/window.h"
#include "tools/check_menu.h"
#include "tools/headless_menu.h"
#include "tools/native_path.h"
#include "tools/png_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kReleaseNames[] = {"OTHER", "WINNT4", "WIN2K",   "WINXP",
                                         "WIN95", "WIN98",  "WIN98SE", "WINME"};
constexpr int kLabelHeight = 18;
constexpr int kGap = 8;
// Runs with more pages than this tell their progress on standard error.
constexpr size_t kQuietPages = 8;

struct Thumbnail {
  std::string label;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB; empty for a gap
};

Thumbnail Shrink(const HeadlessPicture& picture, const std::string& label) {
  Thumbnail thumb;
  thumb.label = label;
  const int factor = ThumbnailFactor(picture.width, picture.height);
  thumb.width = picture.width / factor;
  thumb.height = picture.height / factor;
  thumb.pixels.resize(static_cast<size_t>(thumb.width) * thumb.height);
  for (int y = 0; y < thumb.height; ++y) {
    for (int x = 0; x < thumb.width; ++x) {
      uint32_t sum[3] = {0, 0, 0};
      for (int dy = 0; dy < factor; ++dy) {
        const uint32_t* row = &picture.rgb[static_cast<size_t>(y * factor + dy) * picture.width];
        for (int dx = 0; dx < factor; ++dx) {
          const uint32_t p = row[x * factor + dx];
          sum[0] += p >> 16 & 0xFF, sum[1] += p >> 8 & 0xFF, sum[2] += p & 0xFF;
        }
      }
      const uint32_t n = static_cast<uint32_t>(factor * factor);
      thumb.pixels[static_cast<size_t>(y) * thumb.width + x] =
          ((sum[0] + n / 2) / n) << 16 | ((sum[1] + n / 2) / n) << 8 | ((sum[2] + n / 2) / n);
    }
  }
  return thumb;
}

std::string FileLabel(const std::string& shown) {
  std::string label;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown.compare(i, 3, "../") == 0 || shown.compare(i, 3, "..\\") == 0) {
      label += "up_";
      i += 2;
    } else {
      label += (shown[i] == '/' || shown[i] == '\\') ? '_' : shown[i];
    }
  }
  return label;
}

constexpr int kCellWidth = kThumbnailSide + kGap;
constexpr int kCellHeight = kThumbnailSide * 3 / 4 + kLabelHeight + kGap;

// Thumbnails per row: at least 8, more for big runs so the sheet stays about square.
int SheetColumns(int count) {
  return std::max(1, std::min(count, std::max(8, static_cast<int>(std::ceil(std::sqrt(count))))));
}

void WriteSheet(const std::vector<Thumbnail>& thumbs, const fs::path& path) {
  const int count = static_cast<int>(thumbs.size());
  const int columns = SheetColumns(count);
  const int rows = (count + columns - 1) / columns;
  const int cellHeight = kCellHeight;
  const int width = std::max(1, columns * kCellWidth + kGap);
  const int height = std::max(1, rows * cellHeight + kGap);
  if (int64_t{width} * height > kMaxImagePixels)
    throw std::runtime_error("the contact sheet is too large to draw");
  const WindowHandle window = HeadlessCreateWindow();
  SizeWindowForClient(window, width, height);
  // The thumbnails as one 32-bit bottom-up bitmap, drawn by the build's own drawing code.
  std::vector<uint32_t> sheet(static_cast<size_t>(width) * height, 0x303030);
  auto fill = [&](int left, int top, int w, int h, auto colour) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        sheet[static_cast<size_t>(height - 1 - (top + y)) * width + left + x] = colour(x, y);
  };
  for (int i = 0; i < count; ++i) {
    const Thumbnail& thumb = thumbs[i];
    const SheetPoint cell = SheetCell(i, count);
    if (thumb.pixels.empty()) {
      fill(cell.x, cell.y, kThumbnailSide, kThumbnailSide * 3 / 4,
           [](int, int) { return uint32_t{0x781818}; });
    } else {
      fill(cell.x, cell.y, thumb.width, thumb.height, [&thumb](int x, int y) {
        return thumb.pixels[static_cast<size_t>(y) * thumb.width + x];
      });
    }
  }
  // Its info header: size, width, height, planes 1, 32 bits, no compression; the rest 0.
  uint8_t header[dib_format::kInfoHeaderSize] = {};
  const uint32_t fields[] = {dib_format::kInfoHeaderSize, static_cast<uint32_t>(width),
                             static_cast<uint32_t>(height), 1 | 32u << 16};
  for (size_t i = 0; i < 16; ++i) header[i] = static_cast<uint8_t>(fields[i / 4] >> (i % 4 * 8));
  DrawTarget* target = GetWindowTarget(window);
  DrawDibBits(target, 0, 0, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 0, 0, 0,
              static_cast<uint32_t>(height), sheet.data(), sheet.size() * sizeof(uint32_t), header,
              sizeof header);
  const FontHandle font =
      CreateFontFor(FontRequest{13, FontWeightNormal, 0, 0, FontQualityAntialiased});
  const FontHandle previous = SelectFont(target, font);
  SetBackgroundMode(target, BackgroundTransparent);
  SetTextColour(target, 0xFFFFFF);
  for (int i = 0; i < count; ++i) {
    const SheetPoint cell = SheetCell(i, count);
    const int left = cell.x;
    const int top = cell.y + kThumbnailSide * 3 / 4;
    const Rect rect{left, top + 2, left + kThumbnailSide, top + kLabelHeight};
    DrawTextIn(target, thumbs[i].label.c_str(), -1, rect, 0);
  }
  SelectFont(target, previous);
  DeleteFont(font);
  ReleaseWindowTarget(window, target);
  std::string error;
  if (!WritePng(HeadlessWindowPicture(), NativeText(path), &error)) throw std::runtime_error(error);
}

}  // namespace

SheetPoint SheetCell(int index, int count) {
  const int columns = SheetColumns(count);
  return SheetPoint{kGap + (index % columns) * kCellWidth, kGap + (index / columns) * kCellHeight};
}

int ThumbnailFactor(int width, int height) {
  const int side = std::max(width, height);
  return std::max(1, (side + kThumbnailSide - 1) / kThumbnailSide);
}

int ReleaseVariant(const std::string& name) {
  for (int v = 0; v < 8; ++v) {
    if (name == kReleaseNames[v]) return v;
  }
  return -1;
}

namespace {

// FNV-1a of text: the same menu gives the same names on every run.
uint32_t StableHash(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  return hash;
}

// A file-name part per level: its path relative to the first level's folder, with the level's
// file and working directory hashed in where two levels would otherwise share a name (in any
// letter case: "sub\deep.ini" and "sub_deep.ini", or one file opened with two folders).
std::vector<std::string> LevelNames(const std::vector<MenuLevel>& levels) {
  const fs::path base = NativePath(levels.front().workDir);
  std::vector<std::string> names;
  std::map<std::string, int> uses;
  for (const MenuLevel& level : levels) {
    names.push_back(FileLabel(NativeText(NativePath(level.fullPath).lexically_proximate(base))));
    ++uses[FoldedName(names.back())];  // as file systems that ignore case compare names
  }
  for (size_t i = 0; i < levels.size(); ++i) {
    if (uses[FoldedName(names[i])] < 2) continue;
    char hash[16];
    std::snprintf(hash, sizeof hash, "~%06x",
                  StableHash(levels[i].fullPath + '\n' + levels[i].workDir) & 0xFFFFFFu);
    names[i] += hash;
  }
  return names;
}

struct RenderRun {
  fs::path out;
  std::vector<Thumbnail> thumbs;
  size_t done = 0;
  int status = 0;
};

// Every page of one level in one country and release: a PNG each and their thumbnails; a gap
// when the level or its background cannot be loaded.
void RenderLevel(const MenuLevel& level, int32_t country, WindowsVariant variant,
                 const std::string& stem, RenderRun* run) {
  MenuSettings record = CreateMenuSettings();
  bool applied = false;
  std::unique_ptr<CMenuApp> app = OpenLevel(level, variant, country, &record, &applied);
  if (app == nullptr || !applied) {
    run->thumbs.push_back(
        Thumbnail{(app == nullptr ? "missing: " : "no background: ") + stem, 0, 0, {}});
    run->status = 1;
    return;
  }
  const int32_t pages = GridOf(record).PageCount(app->page.itemCount);
  for (int32_t p = 0; p < pages; ++p) {
    app->page.currentPage = p;
    MenuSettings again = app->settings;
    app->ApplySettings(&again, 0);
    DrawTarget* target = GetWindowTarget(app->window);
    app->PaintWindow(target, nullptr);
    ReleaseWindowTarget(app->window, target);
    const std::string name = stem + "-p" + std::to_string(p);
    std::string writeError;
    const HeadlessPicture picture = HeadlessWindowPicture();
    if (!WritePng(picture, NativeText(run->out / NativePath(name + ".png")), &writeError))
      throw std::runtime_error(writeError);
    run->thumbs.push_back(Shrink(picture, name));
    if (++run->done > kQuietPages) {
      std::cerr << "render: " << run->done << " pages, " << name << '\n';
    }
  }
  HeadlessTakeEvents();
}

}  // namespace

int RenderAll(const std::string& file, const std::string& outDir,
              const std::vector<std::string>& releases) {
  RenderRun run;
  std::error_code error;
  run.out = fs::absolute(NativePath(outDir), error);
  fs::create_directories(run.out, error);
  if (!fs::is_directory(run.out, error)) throw std::runtime_error("cannot make " + outDir);

  std::vector<WindowsVariant> variants;
  variants.reserve(releases.size() + 1);
  for (const std::string& release : releases) {
    variants.push_back(static_cast<WindowsVariant>(ReleaseVariant(release)));
  }
  if (variants.empty()) variants.push_back(CProfile().variant);

  CheckOptions options;
  options.file = file;
  const CheckResult reach = RunCheck(options);
  std::vector<int32_t> countries = {0};
  for (const int32_t code : reach.countries) {
    if (code != 0) countries.push_back(code);
  }
  std::sort(countries.begin() + 1, countries.end());

  const fs::path start = fs::current_path();
  ResetHeadlessMenu();
  const std::vector<std::string> levelNames = LevelNames(reach.levels);
  for (size_t i = 0; i < reach.levels.size(); ++i) {
    for (const int32_t country : countries) {
      for (const WindowsVariant variant : variants) {
        const std::string stem = levelNames[i] + "-" +
                                 (country == 0 ? std::string("default") : std::to_string(country)) +
                                 "-" + kReleaseNames[variant];
        RenderLevel(reach.levels[i], country, variant, stem, &run);
      }
    }
  }
  fs::current_path(start, error);
  WriteSheet(run.thumbs, run.out / "contact-sheet.png");
  HeadlessReset();
  return run.status;
}
