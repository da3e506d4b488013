// The page shown and the items visited, kept per definition file in the session file.
// Core headers and platform/*.h only.
#include "menu/page_state.h"

#include <cstring>

#include "platform/copy_text.h"

namespace {

constexpr uint32_t kPathSize = CProfile::kPathSize;
// The Selected text: " %x" per group of 32 items; 8 groups (256 items) need 72 characters.
constexpr uint32_t kSelectedSize = 256;
constexpr int kGroupBits = 32;

// Lower-case hexadecimal of value without leading zeros into out (room for 8 digits and NUL).
uint32_t FormatHex(uint32_t value, char* out) {
  char digits[8];
  uint32_t count = 0;
  do {
    digits[count++] = "0123456789abcdef"[value & 0xFu];
    value >>= 4;
  } while (value != 0);
  for (uint32_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
  out[count] = '\0';
  return count;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A group's mask from its leading hexadecimal digits, keeping the low 32 bits of a longer
// number. A group that does not start with a digit (empty, or not hexadecimal) clears its items.
uint32_t ParseGroup(const char* begin, const char* end) {
  uint32_t mask = 0;
  for (const char* c = begin; c < end && HexDigit(*c) >= 0; ++c) {
    mask = (mask << 4) | static_cast<uint32_t>(HexDigit(*c));
  }
  return mask;
}

// The profile reads the session file while it lives, and names the definition file again
// afterwards, even when that file has gone meanwhile: later reads and the next save must name
// it, not the session file.
class SessionFileScope {
 public:
  SessionFileScope(CProfile& profile, const char* sessionFile, const char* definitionFile,
                   char* section, uint32_t size)
      : profile_(profile) {
    profile_.GetFile(kept_, kPathSize);
    profile_.SetFile(sessionFile, 0);
    PageStateKey(definitionFile, section, size);
  }
  ~SessionFileScope() { profile_.SetFile(kept_, 0); }
  SessionFileScope(const SessionFileScope&) = delete;
  SessionFileScope& operator=(const SessionFileScope&) = delete;

 private:
  CProfile& profile_;
  char kept_[kPathSize];
};

}  // namespace

int32_t PageStateSum(const char* path) {
  uint32_t sum = 0;
  if (path == nullptr) return 0;
  for (const char* c = path; *c != '\0'; ++c) {
    // Each byte counts as a signed 8-bit value: 0x80 to 0xFF are -128 to -1.
    const int byte = static_cast<unsigned char>(*c);
    const int value = byte < 128 ? byte : byte - 256;
    // Unsigned arithmetic wraps as the 32-bit registers do; the result is read back as signed.
    if (value % 9 != 0) sum += static_cast<uint32_t>(3 * value);
  }
  return static_cast<int32_t>(sum);
}

uint32_t PageStateKey(const char* path, char* out, uint32_t size) {
  char text[kPageStateKeySize];
  FormatHex(static_cast<uint32_t>(PageStateSum(path)), text);
  return static_cast<uint32_t>(CopyText(out, size, text));
}

void WritePageState(CProfile& profile, const CMenuPage& page, const char* definitionFile,
                    const char* sessionFile) {
  if (sessionFile == nullptr || sessionFile[0] == '\0') return;
  char section[kPageStateKeySize];
  const SessionFileScope scope(profile, sessionFile, definitionFile, section, sizeof section);
  profile.PutSectionInt(section, "Page", page.currentPage);

  char selected[kSelectedSize];
  uint32_t used = 0;
  selected[0] = '\0';
  CMenuItem* item = page.firstItem;
  while (item != nullptr) {
    uint32_t mask = 0;
    for (int bit = 0; bit < kGroupBits && item != nullptr; ++bit, item = item->next) {
      if (item->visited != 0) mask |= uint32_t{1} << bit;
    }
    // A space and up to 8 digits; a list longer than the buffer holds keeps its first groups.
    if (used + 1 + 8 >= kSelectedSize) break;
    selected[used++] = ' ';
    used += FormatHex(mask, selected + used);
  }
  profile.PutSectionString(section, "Selected", selected);
}

void ReadPageState(CProfile& profile, CMenuPage& page, const char* fullPath,
                   const char* sessionFile) {
  // Without a session file every file starts on its first page with no marks.
  if (sessionFile == nullptr || sessionFile[0] == '\0') {
    page.currentPage = 0;
    return;
  }
  char section[kPageStateKeySize];
  const SessionFileScope scope(profile, sessionFile, fullPath, section, sizeof section);
  // Not compared with the number of pages: the layout shows an empty page beyond the last.
  page.currentPage = profile.GetSectionInt(section, "Page", 0);

  char selected[kSelectedSize];
  const uint32_t count = profile.GetSectionString(section, "Selected", "", selected, kSelectedSize);
  // Group k (split at single spaces) holds items 32k to 32k + 31; surplus groups and bits are
  // ignored, items past the last group keep the mark loading gave them (none).
  const char* const end = selected + (count < kSelectedSize ? count : kSelectedSize - 1);
  const char* group = selected;
  CMenuItem* item = page.firstItem;
  while (count != 0 && item != nullptr) {
    const char* groupEnd = static_cast<const char*>(std::memchr(group, ' ', end - group));
    if (groupEnd == nullptr) groupEnd = end;
    const uint32_t mask = ParseGroup(group, groupEnd);
    for (int bit = 0; bit < kGroupBits && item != nullptr; ++bit, item = item->next) {
      item->visited = static_cast<uint8_t>((mask >> bit) & 1u);
    }
    if (groupEnd == end) break;
    group = groupEnd + 1;
  }
}
