// Fuzzes the portable INI store and text expansion with arbitrary file bytes:
// reads and sections of every size keep their bounds and terminators, a value
// written reads back, and expansion through include files always terminates.
// The file bytes are also read as a UTF-16 file and by the decoder alone, whose text is always
// valid UTF-8. Input: section 0x01 key 0x01 text-to-expand 0x01 file bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/copy_text.h"
#include "portable/portable_profile.h"
#include "portable/text_decoding.h"
#include "profile/profile.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Plain names survive a write and a read unchanged.
bool IsPlainName(const std::string& s) {
  if (s.empty() || s.size() > 40) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

void CheckReads(const std::string& section, const std::string& key, const std::string& file) {
  for (uint32_t size : {0u, 1u, 2u, 3u, 7u, 260u, 32767u}) {
    std::vector<char> out(size + 1, '\x55');
    const uint32_t count = PortableReadProfileString(section.c_str(), key.c_str(), "default ",
                                                     out.data(), size, file.c_str());
    if (size == 0) {
      Check(count == 0 && out[0] == '\x55');
      continue;
    }
    Check(count < size && out[count] == '\0' && std::strlen(out.data()) == count);
    Check(out[size] == '\x55');

    std::vector<char> block(size + 1, '\x55');
    const uint32_t listed =
        PortableReadProfileSection(section.c_str(), block.data(), size, file.c_str());
    Check(out[size] == '\x55' && block[size] == '\x55');
    Check(listed < size && block[listed] == '\0');
    // The block ends with two NULs: a whole list's count leaves out only the last one, a cut
    // list's count leaves out both.
    if (listed > 0)
      Check(block[listed - 1] == '\0' || (listed + 1 < size && block[listed + 1] == '\0'));
  }
}

void CheckWriteReadsBack(const std::string& section, const std::string& key,
                         const std::string& file) {
  if (!IsPlainName(section) || !IsPlainName(key)) return;
  const std::string value = "v" + key;
  Check(PortableWriteProfileString(section.c_str(), key.c_str(), value.c_str(), file.c_str()) == 1);
  char out[128];
  PortableReadProfileString(section.c_str(), key.c_str(), "", out, sizeof(out), file.c_str());
  // The first section of the name holds the key unless an earlier one of another case exists;
  // either way the value read is the one written.
  Check(value == out);
}

void CheckExpansion(const std::string& text, const std::string& file) {
  CProfile profile(VariantXP);
  if (profile.SetFile(file.c_str(), 1) == 0) return;
  for (uint32_t size : {1u, 5u, 256u, 1024u}) {
    std::vector<char> out(size + 1, '\x55');
    const uint32_t count = profile.ExpandText(out.data(), size, text.c_str());
    Check(count < size && out[count] == '\0' && out[size] == '\x55');
  }
  // Expansion in place gives what a copy gives.
  std::vector<char> copy(1024), inPlace(1024);
  CopyTextN(inPlace.data(), inPlace.size(), text.data(), text.size());
  const std::string source(inPlace.data());
  const uint32_t a = profile.ExpandText(copy.data(), 1024, source.c_str());
  const uint32_t b = profile.ExpandText(inPlace.data(), 1024, inPlace.data());
  Check(a == b && std::strcmp(copy.data(), inPlace.data()) == 0);
  char path[260];
  profile.GetFile(path, sizeof(path));
  Check(file == path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzPieces pieces = SplitFuzzInput(data, size, 4);
  const std::string& section = pieces.piece[0];
  const std::string& key = pieces.piece[1];
  const std::string& text = pieces.piece[2];
  const std::string& content = pieces.piece[3];
  // The file includes itself and a second file that includes the first back.
  const std::string file =
      WriteFuzzFile("main.ini", reinterpret_cast<const uint8_t*>(content.data()), content.size());
  const std::string loop = "[String]\n#include=" + file + "\n";
  WriteFuzzFile("other.ini", reinterpret_cast<const uint8_t*>(loop.data()), loop.size());

  for (const std::string& bytes : {content, "\xFF\xFE" + content, "\xEF\xBB\xBF" + content}) {
    const std::string text = DecodeText(bytes).utf8;
    Check(ValidUtf8(text) == text);
  }
  const std::string wide = "\xFF\xFE" + content;
  CheckReads(section, key,
             WriteFuzzFile("wide.ini", reinterpret_cast<const uint8_t*>(wide.data()), wide.size()));
  CheckReads(section, key, file);
  CheckExpansion(text, file);
  CheckWriteReadsBack(section, key, file);
  return 0;
}
