// Speed of the menu's hot paths on the headless window: composing the whole window, the repaint
// of a hover (one entry and the hint line), a pointer movement from one entry to another, loading a
// 256-item definition file with includes, laying out a page, the transition effects against their
// pauses; a plain copy of the frame's bytes is the floor to compare with.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "platform/draw.h"
#include "platform/headless/headless_control.h"
#include "platform/sdl/sdl_update_area.h"
#include "platform/window.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

// Where the benchmarks write their definition files and backgrounds.
fs::path& Folder() {
  static fs::path folder;
  return folder;
}

// A 24-bit bottom-up bitmap file with a diagonal gradient, so rows differ as in a real picture.
void WriteBitmap(const fs::path& path, int32_t width, int32_t height) {
  quorel_test::BmpFile bmp;
  bmp.width = width;
  bmp.height = height;
  const uint32_t rowBytes = quorel_test::BmpRowBytes(width, 24);
  bmp.pixels.assign(size_t{rowBytes} * static_cast<uint32_t>(height), 0);
  bmp.sizeImage = static_cast<uint32_t>(bmp.pixels.size());
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bmp.pixels.data() + size_t{rowBytes} * static_cast<size_t>(y);
    for (int32_t x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>(64 + (x + y) % 128);
      row[x * 3 + 1] = static_cast<uint8_t>(32 + y % 96);
      row[x * 3 + 2] = static_cast<uint8_t>(16 + x % 64);
    }
  }
  quorel_test::WriteBmp(path.string(), bmp);
}

// A menu with every text feature in use: shadows, antialiasing, bold title, hints, references
// to the string section, and an include file for both the look and some texts.
// The texts' words: English, or German with umlauts in Windows-1252 or UTF-8 bytes.
struct MenuWords {
  const char* entry;
  const char* hint;
};
constexpr MenuWords kEnglish{"Menu entry number ", "Hint of item "};
constexpr MenuWords kGermanAnsi{
    "Men\xFC"
    "eintrag Nummer ",
    "Hinweis f\xFCr den Eintrag "};
constexpr MenuWords kGermanUtf8{
    "Men\xC3\xBC"
    "eintrag Nummer ",
    "Hinweis f\xC3\xBCr den Eintrag "};

void WriteMenu(const fs::path& folder, const std::string& name, const std::string& background,
               int32_t width, int32_t height, int itemCount, const MenuWords& words = kEnglish) {
  std::ofstream look(folder / (name + ".look.ini"));
  look << "[global]\nbkBitmap=" << background << "\nMenuItemColumons=2\nMenuItemsPerColumn=8\n"
       << "ItemStartX=" << width / 10 << "\nItemStartY=" << height / 5
       << "\nItemEndX=" << width - width / 10 << "\nItemFontSize=" << height / 24
       << "\nItemFontShadow=1\nItemFontAntiAlias=1\nItemFontColor=230 240 250\n"
       << "HintFontSize=" << height / 28 << "\nHintFontShadow=1\nHintFontAntiAlias=1\n"
       << "HintPageForward=%Next%\nHintPageBackward=%Back%\nHintPageExit=%Leave%\n"
       << "DrawTitle=1\nTitleFontSize=" << height / 12
       << "\nTitleFontBold=1\nTitleFontShadow=1\nTitleFontAntiAlias=1\n";
  std::ofstream texts(folder / (name + ".texts.ini"));
  texts << "[String]\n";
  for (int i = 0; i < itemCount; i += 2)
    texts << "Hint" << i << "=Shared hint of item " << i << ", read from the include file.\n";
  std::ofstream menu(folder / name);
  menu << "[global]\n#include=" << name << ".look.ini\n[menu]\ntitle=%Title%\n";
  for (int i = 0; i < itemCount; ++i) {
    menu << "item=%Item" << i << "%, open, document" << i << ".txt, /quiet, .\\docs, %Hint" << i
         << "%\n";
  }
  menu << "[String]\n#include=" << name << ".texts.ini\nTitle=Benchmark menu\nNext=Next page\n"
       << "Back=Previous page\nLeave=Leave\n";
  for (int i = 0; i < itemCount; ++i) {
    menu << "Item" << i << "=" << words.entry << i << "\n";
    if (i % 2 == 1) menu << "Hint" << i << "=" << words.hint << i << ", from the menu file.\n";
  }
}

// A definition file of about 64 KB whose 256 item lines are made mostly of references, to names
// of its own string section and of an included one.
void WriteReferenceMenu(const fs::path& folder, const std::string& name) {
  std::ofstream texts(folder / (name + ".texts.ini"));
  texts << "[String]\n";
  for (int i = 0; i < 64; ++i) texts << "Shared" << i << "=shared text " << i << "\n";
  texts << "Args=/quiet /log\nDir=.\\docs\n";
  std::ofstream menu(folder / name);
  menu << "[global]\n#include=menu_640.ini.look.ini\n[menu]\ntitle=%Title% %Shared0%\n";
  for (int i = 0; i < 256; ++i) {
    menu << "item=%Item" << i << "% %Shared" << i % 64 << "% %Word" << i % 32 << "%, open, %Doc"
         << i << "%%Ext%, %Args% %Word" << (i + 1) % 32 << "%, %Dir%, %Hint" << i << "% %Shared"
         << (i + 7) % 64 << "% %Word" << (i + 2) % 32 << "% %Tail%\n";
  }
  menu << "[String]\n#include=" << name << ".texts.ini\nTitle=References\nExt=.txt\n"
       << "Tail=and a tail\n";
  for (int i = 0; i < 32; ++i) menu << "Word" << i << "=word" << i << "\n";
  for (int i = 0; i < 256; ++i) {
    menu << "Item" << i << "=Entry number " << i << " of the reference menu\nDoc" << i
         << "=document_" << i << "\nHint" << i << "=Hint of entry " << i
         << ", assembled from references in the definition file\n";
  }
}

// One loaded and applied menu on a headless screen of the background's size.
class LoadedMenu {
 public:
  LoadedMenu(const std::string& file, int32_t width, int32_t height) {
    HeadlessReset();
    HeadlessConfigureScreen(width, height, 32);
    window_ = HeadlessCreateWindow();
    app_ = std::make_unique<CMenuApp>();
    ok_ = app_->Initialize(nullptr, window_) == 1;
    settings_ = CreateMenuSettings();
    app_->sessionIndex = 0;
    ok_ = ok_ && app_->LoadDefinition(file.c_str(), &settings_) == 1 &&
          app_->ApplySettings(&settings_, 0) == 1;
    HeadlessTakeEvents();
  }
  ~LoadedMenu() {
    app_.reset();
    HeadlessReset();
  }

  bool ok() const { return ok_; }
  CMenuApp& app() { return *app_; }
  WindowHandle window() const { return window_; }

  // Moves the pointer onto the visible entry at position (from no entry) and returns what that
  // invalidated: the entry and the hint line.
  UpdateArea Hover(int position) {
    VisibleNode* node = app_->page.firstVisible;
    for (int i = 0; node != nullptr && i < position; ++i) node = node->next;
    UpdateArea area;
    if (node == nullptr || node->entry == nullptr) return area;
    app_->page.hoveredItem = nullptr;
    MoveOnto(*node->entry);
    return TakeUpdateArea();
  }

  void MoveOnto(const CMenuItem& entry) {
    app_->OnMouse(MessageMouseMove, static_cast<uint32_t>((entry.left + entry.right) / 2),
                  static_cast<uint32_t>((entry.top + entry.bottom) / 2), 0);
  }

  // The invalidations recorded since the last call, kept as the SDL window keeps them.
  UpdateArea TakeUpdateArea() {
    UpdateArea area;
    for (const HeadlessEvent& event : HeadlessTakeEvents()) {
      if (event.kind != HeadlessEvent::Kind::Invalidate) continue;
      const SDL_Rect rect = event.wholeArea ? SDL_Rect{0, 0, app_->bitmapWidth, app_->bitmapHeight}
                                            : SDL_Rect{event.x, event.y, event.width, event.height};
      AddToUpdateArea(&area, rect);
    }
    return area;
  }

  // Paints each rectangle of area on its own, as the SDL window does; the pixels painted.
  int64_t Paint(const UpdateArea& area) {
    int64_t pixels = 0;
    DrawTarget* target = GetWindowTarget(window_);
    for (int i = 0; i < area.count; ++i) {
      const SDL_Rect& part = area.rects[i];
      const Rect rect{part.x, part.y, part.x + part.w, part.y + part.h};
      benchmark::DoNotOptimize(app_->PaintWindow(target, &rect));
      pixels += int64_t{part.w} * part.h;
    }
    ReleaseWindowTarget(window_, target);
    return pixels;
  }

 private:
  WindowHandle window_ = nullptr;
  std::unique_ptr<CMenuApp> app_;
  MenuSettings settings_;
  bool ok_ = false;
};

struct FrameSize {
  int32_t width;
  int32_t height;
  const char* file;
};
constexpr FrameSize kFrames[] = {{640, 480, "menu_640.ini"}, {1920, 1080, "menu_1920.ini"}};

void MakeInputs() {
  const fs::path& folder = Folder();
  for (const FrameSize& frame : kFrames) {
    const std::string background = "background_" + std::to_string(frame.width) + ".bmp";
    WriteBitmap(folder / background, frame.width, frame.height);
    WriteMenu(folder, frame.file, background, frame.width, frame.height, 20);
  }
  WriteMenu(folder, "menu_256.ini", "background_640.bmp", 640, 480, 256);
  WriteMenu(folder, "menu_256_ansi.ini", "background_640.bmp", 640, 480, 256, kGermanAnsi);
  WriteMenu(folder, "menu_256_utf8.ini", "background_640.bmp", 640, 480, 256, kGermanUtf8);
  WriteReferenceMenu(folder, "menu_references.ini");
}

const FrameSize& FrameOf(const benchmark::State& state) { return kFrames[state.range(0)]; }

void SetFrameLabel(benchmark::State& state, const FrameSize& frame) {
  state.SetLabel(std::to_string(frame.width) + "x" + std::to_string(frame.height));
  state.SetBytesProcessed(int64_t{state.iterations()} * frame.width * frame.height * 4);
}

// The floor: copying the bytes of one frame at 32 bits per pixel.
void BM_CopyFrame(benchmark::State& state) {
  const FrameSize& frame = FrameOf(state);
  const size_t bytes = size_t(frame.width) * size_t(frame.height) * 4;
  std::vector<uint8_t> from(bytes, 0x5A);
  std::vector<uint8_t> to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  SetFrameLabel(state, frame);
}
BENCHMARK(BM_CopyFrame)->Arg(0)->Arg(1);

// A full paint: off-screen composition of background, title, entries and hint, then the copy
// to the window.
void BM_PaintWholeWindow(benchmark::State& state) {
  const FrameSize& frame = FrameOf(state);
  LoadedMenu menu((Folder() / frame.file).string(), frame.width, frame.height);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  menu.Hover(3);  // a hint on show, as while the pointer rests on an item
  for (auto _ : state) {
    DrawTarget* target = GetWindowTarget(menu.window());
    benchmark::DoNotOptimize(menu.app().PaintWindow(target, nullptr));
    ReleaseWindowTarget(menu.window(), target);
  }
  SetFrameLabel(state, frame);
}
BENCHMARK(BM_PaintWholeWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Composition alone, straight into the window's target.
void BM_ComposeImage(benchmark::State& state) {
  const FrameSize& frame = FrameOf(state);
  LoadedMenu menu((Folder() / frame.file).string(), frame.width, frame.height);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  menu.Hover(3);  // a hint on show
  for (auto _ : state) {
    DrawTarget* target = GetWindowTarget(menu.window());
    menu.app().ComposeImage(target, 0, 0, frame.width, frame.height);
    ReleaseWindowTarget(menu.window(), target);
  }
  SetFrameLabel(state, frame);
}
BENCHMARK(BM_ComposeImage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What the pointer moving onto an entry repaints: that entry and the hint line.
void BM_PaintHover(benchmark::State& state) {
  const FrameSize& frame = FrameOf(state);
  LoadedMenu menu((Folder() / frame.file).string(), frame.width, frame.height);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  const UpdateArea area = menu.Hover(3);
  if (area.count == 0) return state.SkipWithError("the hover invalidated nothing");
  int64_t pixels = 0;
  for (auto _ : state) pixels = menu.Paint(area);
  SetFrameLabel(state, frame);
  state.counters["paintPixels"] = double(pixels);
}
BENCHMARK(BM_PaintHover)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One pointer movement from one entry onto another, from the mouse message to the repainted
// window: the hover is moved, and the area it invalidated (old entry, new entry and hint line)
// is painted.
void BM_PointerMove(benchmark::State& state) {
  const FrameSize& frame = FrameOf(state);
  LoadedMenu menu((Folder() / frame.file).string(), frame.width, frame.height);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  std::vector<const CMenuItem*> entries;
  for (VisibleNode* node = menu.app().page.firstVisible; node != nullptr; node = node->next)
    entries.push_back(node->entry);
  if (entries.size() < 4) return state.SkipWithError("the menu has too few entries");
  int64_t paintedPixels = 0;
  bool second = false;
  for (auto _ : state) {
    menu.MoveOnto(*entries[second ? 3 : 2]);
    second = !second;
    paintedPixels += menu.Paint(menu.TakeUpdateArea());
  }
  SetFrameLabel(state, frame);
  state.counters["paintPixels"] =
      state.iterations() > 0 ? double(paintedPixels) / double(state.iterations()) : 0.0;
}
BENCHMARK(BM_PointerMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Reading a definition file of 256 items whose settings and some texts come from include files:
// English (ASCII), German in Windows-1252 and the same German in UTF-8 (which must cost no
// more than a tenth over the Windows-1252 file).
void BM_LoadDefinition256(benchmark::State& state) {
  LoadedMenu menu((Folder() / "menu_640.ini").string(), 640, 480);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  const char* const names[] = {"menu_256.ini", "menu_256_ansi.ini", "menu_256_utf8.ini"};
  const std::string file = (Folder() / names[state.range(0)]).string();
  for (auto _ : state) {
    MenuSettings record = CreateMenuSettings();
    if (menu.app().LoadDefinition(file.c_str(), &record) != 1)
      return state.SkipWithError("the 256-item file cannot be loaded");
    benchmark::DoNotOptimize(record.loaded);
  }
  state.counters["items"] = menu.app().page.itemCount;
}
BENCHMARK(BM_LoadDefinition256)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Reading a definition file whose item lines are full of references to string sections, its
// own and an included one.
void BM_LoadReferences(benchmark::State& state) {
  LoadedMenu menu((Folder() / "menu_640.ini").string(), 640, 480);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  const std::string file = (Folder() / "menu_references.ini").string();
  for (auto _ : state) {
    MenuSettings record = CreateMenuSettings();
    if (menu.app().LoadDefinition(file.c_str(), &record) != 1)
      return state.SkipWithError("the reference file cannot be loaded");
    benchmark::DoNotOptimize(record.loaded);
  }
  state.counters["items"] = menu.app().page.itemCount;
  std::error_code ignored;
  state.counters["fileBytes"] = double(fs::file_size(file, ignored));
}
BENCHMARK(BM_LoadReferences)->Unit(benchmark::kMicrosecond);

// Laying out one page of the 256-item menu: the first, and the last (which walks the list).
void BM_LayoutPage(benchmark::State& state) {
  LoadedMenu menu((Folder() / "menu_256.ini").string(), 640, 480);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  CMenuApp& app = menu.app();
  const MenuSettings& s = app.settings;
  const int32_t page = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    DrawTarget* target = GetWindowTarget(menu.window());
    app.page.Layout(PageFrameOf(s, app.bitmapHeight, app.itemFont.get(), target), page);
    ReleaseWindowTarget(menu.window(), target);
  }
  state.SetLabel("page " + std::to_string(page));
}
BENCHMARK(BM_LayoutPage)->Arg(0)->Arg(15)->Unit(benchmark::kMicrosecond);

// One transition effect on a 640 x 480 background and screen, from a picture composed once.
// The headless clock records the pauses without waiting, so the time measured is the effect's
// own work (copies are not recorded); "pauseMs" is what its pauses add up to and "workShare" the
// work's part of them (the aim: below 0.10, so the pauses set the pace).
void BM_Transition(benchmark::State& state) {
  const FrameSize& frame = kFrames[0];
  LoadedMenu menu((Folder() / frame.file).string(), frame.width, frame.height);
  if (!menu.ok()) return state.SkipWithError("the menu cannot be loaded");
  CMenuApp& app = menu.app();
  DrawTarget* window = GetWindowTarget(menu.window());
  DrawTarget* image = CreateImageTarget(window);
  ImageHandle picture = CreateImage(frame.width, frame.height, app.screenDepth, nullptr);
  const ImageHandle before = SelectImage(image, picture);
  app.ComposeImage(image, 0, 0, frame.width, frame.height);
  const int32_t effect = static_cast<int32_t>(state.range(0));
  HeadlessRecordBlits(false);  // the record is the test backend's cost, not the effect's
  double workSeconds = 0;
  uint64_t pauseMs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    app.RunTransition(effect, window, image);
    workSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    pauseMs = 0;
    for (const HeadlessEvent& event : HeadlessTakeEvents())
      if (event.kind == HeadlessEvent::Kind::Sleep) pauseMs += event.milliseconds;
    state.ResumeTiming();
  }
  SelectImage(image, before);
  DeleteImage(picture);
  DeleteImageTarget(image);
  ReleaseWindowTarget(menu.window(), window);
  static const char* const kNames[] = {"cells", "opening box", "closing border",
                                       "interlaced lines"};
  state.SetLabel(kNames[effect]);
  state.counters["pauseMs"] = double(pauseMs);
  if (pauseMs != 0 && state.iterations() != 0) {
    state.counters["workShare"] = workSeconds / double(state.iterations()) / (pauseMs / 1000.0);
  }
}
BENCHMARK(BM_Transition)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const quorel_test::ScratchFolder scratch("quorel_bench_");
  const std::string made = scratch.path().string();
  Folder() = made;
  // The menu keeps remembered state beside the reload program; keep it in the temporary folder.
  setenv("QUOREL_WINDIR", made.c_str(), 1);
  MakeInputs();
  // Relative names in the files (backgrounds, includes) are read from the current directory.
  fs::current_path(Folder());

  benchmark::Initialize(&argc, argv);
  int result = 0;
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    result = 1;
  } else {
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  std::error_code ignored;
  fs::current_path(fs::temp_directory_path(), ignored);
  return result;
}
