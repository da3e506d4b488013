// Fuzzes the item definition line: any line, parsed against a definition file with
// string sections and includes, gives strings that fit their fields and flags that
// match the strings held. Input: line 0x01 file bytes (read as a UTF-16 file, byte order mark
// put first, when the line's first byte is odd).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "profile/menu_item.h"
#include "profile/profile.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckField(const char* value, uint32_t flags, uint32_t flag) {
  Check((value != nullptr) == ((flags & flag) != 0));
  if (value != nullptr) Check(std::strlen(value) > 0 && std::strlen(value) < CMenuItem::kFieldSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzPieces pieces = SplitFuzzInput(data, size, 2);
  const bool wide = !pieces.piece[0].empty() && (pieces.piece[0][0] & 1) != 0;
  const std::string content = (wide ? "\xFF\xFE" : "") + pieces.piece[1];
  const std::string file =
      WriteFuzzFile("items.ini", reinterpret_cast<const uint8_t*>(content.data()), content.size());

  CProfile profile(Variant98SE);
  profile.SetFile(file.c_str(), 0);
  // The loader hands over at most 255 characters; the parser must cope with any length.
  std::vector<char> line(pieces.piece[0].begin(), pieces.piece[0].end());
  line.push_back('\0');

  CMenuItem item;
  item.Clear();
  Check(item.ParseLine(ItemOrdinary, line.data(), profile) == 1);
  Check(item.type == ItemOrdinary && item.next == nullptr);
  CheckField(item.text, item.flags, ItemHasText);
  CheckField(item.verb, item.flags, ItemHasVerb);
  CheckField(item.target, item.flags, ItemHasTarget);
  CheckField(item.parameters, item.flags, ItemHasParameters);
  CheckField(item.workDir, item.flags, ItemHasWorkDir);
  CheckField(item.hint, item.flags, ItemHasHint);
  if (item.text != nullptr) Check(static_cast<size_t>(item.textLength) == std::strlen(item.text));
  Check(item.Release() == 1);
  Check(item.text == nullptr && item.hint == nullptr);
  return 0;
}
