// Speed of `quorel-tool check`: the bundled demo, and a menu of 16 levels of 256 items each
// (each level's last item a LINK to the next), generated here. The aim for the large one is
// under 0.5 s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/scratch_folder.h"
#include "tools/check_menu.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLevels = 16;
constexpr int kItems = 256;

// The generated menu's folder; its background is the demo's.
const fs::path& DeepMenu() {
  static const quorel_test::ScratchFolder scratch("quorel_check_bench_");
  static const fs::path folder = [] {
    fs::path path = scratch.path();
    fs::create_directories(path / "state");
    setenv("QUOREL_WINDIR", (path / "state").c_str(), 1);
    std::ofstream(path / "target.txt") << "A target.\n";
    const std::string background = (fs::path(QUOREL_DEMO_DIR) / "background.bmp").string();
    for (int level = 0; level < kLevels; ++level) {
      char name[32];
      std::snprintf(name, sizeof name, "level%02d.ini", level);
      std::ofstream file(path / name);
      file << "[global]\nbkBitmap=" << background
           << "\nMenuItemColumons=4\nMenuItemsPerColumn=8\nItemStartX=20\nItemStartY=60\n"
              "ItemEndX=619\nItemEndY=500\nItemFontSize=14\n\n[menu]\ntitle=Level "
           << level << "\n";
      for (int item = 0; item + 1 < kItems; ++item) {
        file << "item=Entry " << item << ", open, target.txt,,,Hint for entry " << item << "\n";
      }
      file << "item=Deeper, LINK, level" << (level + 1 < 10 ? "0" : "") << level + 1
           << ".ini,,,The next level\n";
    }
    std::ofstream(path / "level16.ini") << "";  // the last LINK leads to an empty file
    return path;
  }();
  return folder;
}

void RunOn(benchmark::State& state, const fs::path& file) {
  CheckOptions options;
  options.file = file.string();
  size_t findings = 0;
  for (auto _ : state) {
    const CheckResult result = RunCheck(options);
    findings = result.report.Sorted(false).size();
    state.counters["levels"] = static_cast<double>(result.levels.size());
  }
  state.counters["findings"] = static_cast<double>(findings);
}

void BM_CheckDemo(benchmark::State& state) {
  RunOn(state, fs::path(QUOREL_DEMO_DIR) / "Quorel.ini");
}
BENCHMARK(BM_CheckDemo)->Unit(benchmark::kMillisecond);

void BM_CheckSixteenLevelsOf256Items(benchmark::State& state) {
  RunOn(state, DeepMenu() / "level00.ini");
}
BENCHMARK(BM_CheckSixteenLevelsOf256Items)->Unit(benchmark::kMillisecond);

// Files a careless author may hand over: one key of 10 MB (0), 500,000 unknown keys in
// [global] (1). The first stays under a second, the second at a few (one finding per line).
void BM_CheckHugeSettings(benchmark::State& state) {
  const fs::path file = DeepMenu() / (state.range(0) == 0 ? "long-key.ini" : "many-keys.ini");
  if (!fs::exists(file)) {
    std::ofstream out(file);
    out << "[global]\nbkBitmap=" << (fs::path(QUOREL_DEMO_DIR) / "background.bmp").string() << "\n";
    if (state.range(0) == 0) {
      out << std::string(10 << 20, 'k') << "=1\n";
    } else {
      for (int i = 0; i < 500000; ++i) out << "key" << i << "=" << i << "\n";
    }
    out << "[menu]\ntitle=Huge\n";
  }
  RunOn(state, file);
}
BENCHMARK(BM_CheckHugeSettings)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
