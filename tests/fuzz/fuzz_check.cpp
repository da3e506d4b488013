// Fuzzes the whole of `quorel-tool check`: any three files (a menu, the menu its LINK items
// lead to, and an include file) give findings and an exit code, never a crash or a hang, and
// findings whose printed form holds no control character.
// Input: the three files, split at the byte 0x01.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/fuzz/fuzz_files.h"
#include "tools/check_menu.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzPieces pieces = SplitFuzzInput(data, size, 3);
  const char* const names[] = {"m.ini", "s.ini", "i.ini"};
  std::string menu;
  for (int i = 0; i < 3; ++i) {
    const std::string& piece = pieces.piece[i];
    const std::string path =
        WriteFuzzFile(names[i], reinterpret_cast<const uint8_t*>(piece.data()), piece.size());
    if (i == 0) menu = path;
  }
  CheckOptions options;
  options.file = menu;
  options.countries = {49};
  const CheckResult result = RunCheck(options);
  const int exitCode = result.report.ExitCode();
  Check(exitCode >= 0 && exitCode <= 2);
  Check(!result.levels.empty() && result.levels.size() <= 3);
  for (const Finding& finding : result.report.Sorted(true)) {
    Check(finding.line >= 1 && !finding.code.empty() && !finding.message.empty());
    // What a terminal shows holds no control character of the files.
    for (const char c : FormatFinding(finding))
      Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  }
  return 0;
}
