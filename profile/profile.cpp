// CProfile: current file and section, variant and country section rules, typed reads, and the
// search for repeated keys. OS access only through platform/profile_store.h, file_system.h and
// os_info.h.
#include "profile/profile.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "platform/ascii_case.h"
#include "platform/copy_text.h"
#include "platform/file_system.h"
#include "platform/profile_store.h"

namespace {

// Sections are probed with a small buffer: only a non-zero count matters.
constexpr uint32_t kProbeSize = 1024;
// Integer and colour values are read into this many bytes (31 characters).
constexpr uint32_t kNumberSize = 32;
const char* const kSuffixes[] = {"",       ".WINNT4", ".WIN2K",   ".WINXP",
                                 ".WIN95", ".WIN98",  ".WIN98SE", ".WINME"};

uint32_t ProbeSection(const char* section, const char* file) {
  char probe[kProbeSize];
  return ReadProfileSection(section, probe, kProbeSize, file);
}

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// atol on a 32-bit long: white space, optional sign, digits up to the first non-digit.
// Values beyond the 32-bit range saturate rather than overflow.
int32_t ParseLong(const char* text) {
  while (IsCSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = (*text++ == '-');
  int64_t value = 0;
  const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

// One colour component as "%d" reads it, kept modulo 2^32 (only the low byte is used).
uint32_t ParseComponent(const char* piece, const char* end) {
  while (piece < end && IsCSpace(*piece)) ++piece;
  bool negative = false;
  if (piece < end && (*piece == '+' || *piece == '-')) negative = (*piece++ == '-');
  uint32_t value = 0;
  for (; piece < end && *piece >= '0' && *piece <= '9'; ++piece) {
    value = value * 10u + static_cast<uint32_t>(*piece - '0');
  }
  return negative ? 0u - value : value;
}

}  // namespace

// What one loading operation has learnt from the system, so that it asks each question once
// and sees its files in one state: whether a file has data, whether a section of a file has
// lines, the full path of a name. Every answer is one the system gave during it.
class CProfile::LoadMemo {
 public:
  struct Answer {
    uint32_t result;
    std::string text;  // the full path, when it fitted
  };

  // The answer kept for question, or null.
  const Answer* Find(const std::string& question) const {
    const auto kept = answers_.find(question);
    return kept != answers_.end() ? &kept->second : nullptr;
  }
  // Keeps answer for question; past the budget the memo starts afresh.
  void Keep(const std::string& question, Answer answer) {
    const size_t cost = kNodeBytes + question.size() + answer.text.size();
    if (cost > kBudget) return;
    if (bytes_ + cost > kBudget) Clear();
    answers_.emplace(question, std::move(answer));
    bytes_ += cost;
  }
  void Clear() {
    answers_.clear();
    bytes_ = 0;
  }

 private:
  // A load asks a few hundred questions of about a hundred bytes; this bounds a file that
  // names thousands of include files.
  static constexpr size_t kBudget = size_t{1} << 20;
  static constexpr size_t kNodeBytes = 64;  // what a hash node takes besides its texts
  std::unordered_map<std::string, Answer> answers_;
  size_t bytes_ = 0;
};

WindowsVariant VariantFromVersion(const OsVersion& version) {
  // The version fields are unsigned on Windows; compare them that way.
  const uint32_t major = static_cast<uint32_t>(version.major);
  const uint32_t minor = static_cast<uint32_t>(version.minor);
  if (version.platformId == 2) {
    if (major == 4) return VariantNT4;
    if (major == 5 && minor == 0) return Variant2000;
    if (major == 5 && minor == 1) return VariantXP;
    return VariantOther;
  }
  if (version.platformId == 1) {
    // The 95 family is told apart by the minor number alone.
    if (minor == 0) return Variant95;
    if (minor < 10) return Variant98;
    if (minor < 90) return Variant98SE;
    return VariantME;
  }
  return VariantOther;
}

const char* VariantSuffix(int32_t variant) {
  if (variant < 1 || variant > 7) return kSuffixes[0];
  return kSuffixes[variant];
}

int FileExists(const char* path) {
  if (path == nullptr) return 0;
  return ProbeFile(path).opened ? 1 : 0;
}

ColorRef ParseColor(const char* text, ColorRef* out) {
  uint32_t components[3] = {0, 0, 0};
  if (text != nullptr) {
    // Every space ends a piece, so two adjacent spaces give an empty piece (read as 0).
    const char* piece = text;
    for (int i = 0; i < 3; ++i) {
      const char* space = std::strchr(piece, ' ');
      const char* end = space != nullptr ? space : piece + std::strlen(piece);
      components[i] = ParseComponent(piece, end);
      if (space == nullptr) break;
      piece = space + 1;
    }
  }
  const ColorRef color =
      (components[0] & 0xFF) | (components[1] & 0xFF) << 8 | (components[2] & 0xFF) << 16;
  if (out != nullptr) *out = color;
  return color;
}

int LowerAscii(char* text) {
  if (text == nullptr) return 0;
  int length = 0;
  for (; text[length] != '\0'; ++length) text[length] = FoldAscii(text[length]);
  return length;
}

CProfile::CProfile() : CProfile(VariantOther) {
  // A failed query leaves the pre-filled record: platform 1, minor 0.
  OsVersion version{1, 0, 0};
  QueryOsVersion(&version);
  variant = VariantFromVersion(version);
}

CProfile::CProfile(WindowsVariant fixedVariant)
    : variant(fixedVariant), country(UserCountryCode()) {
  sectionName[0] = '\0';
  stringSectionName[0] = '\0';
  filePath[0] = '\0';
}

CProfile::~CProfile() { FreeSection(); }

CProfile::LoadScope::LoadScope(CProfile& profile) : profile_(profile) {
  // Without room for a memo the operation just asks the system every time.
  if (profile_.loadDepth_++ == 0) profile_.memo_.reset(new (std::nothrow) LoadMemo());
  BeginProfileBatch();
}

CProfile::LoadScope::~LoadScope() {
  EndProfileBatch();
  if (--profile_.loadDepth_ == 0) profile_.memo_.reset();
}

CProfile::LoadMemo* CProfile::Memo() { return loadDepth_ > 0 ? memo_.get() : nullptr; }

int CProfile::HasData(const char* path) {
  LoadMemo* memo = Memo();
  if (memo == nullptr || path == nullptr) return FileHasData(path);
  try {
    const std::string question = std::string("data:") + path;
    if (const LoadMemo::Answer* kept = memo->Find(question)) return static_cast<int>(kept->result);
    const int result = FileHasData(path);
    memo->Keep(question, {static_cast<uint32_t>(result), std::string()});
    return result;
  } catch (const std::bad_alloc&) {
    return FileHasData(path);
  }
}

uint32_t CProfile::FullPathOf(const char* name, char* out, uint32_t size) {
  LoadMemo* memo = Memo();
  if (memo == nullptr || name == nullptr || out == nullptr || size == 0) {
    return GetFullPath(name, out, size);
  }
  try {
    const std::string question = "path:" + std::to_string(size) + ':' + name;
    const LoadMemo::Answer* kept = memo->Find(question);
    if (kept == nullptr) {
      const uint32_t result = GetFullPath(name, out, size);
      // out holds the path only when it fitted; otherwise it is left as it was.
      memo->Keep(question, {result, result != 0 && result < size ? std::string(out) : ""});
      return result;
    }
    if (kept->result != 0 && kept->result < size) CopyText(out, size, kept->text.c_str());
    return kept->result;
  } catch (const std::bad_alloc&) {
    return GetFullPath(name, out, size);
  }
}

bool CProfile::SectionHasLines(const char* section) {
  LoadMemo* memo = Memo();
  if (memo == nullptr) return ProbeSection(section, filePath) != 0;
  try {
    std::string question = std::string("lines:") + filePath;
    question += '\0';
    question += section;
    if (const LoadMemo::Answer* kept = memo->Find(question)) return kept->result != 0;
    const bool result = ProbeSection(section, filePath) != 0;
    memo->Keep(question, {result ? 1u : 0u, std::string()});
    return result;
  } catch (const std::bad_alloc&) {
    return ProbeSection(section, filePath) != 0;
  }
}

int CProfile::SetFile(const char* path, int mustExist) {
  if (path == nullptr) return 0;
  if (mustExist != 0 && HasData(path) == 0) return 0;
  CopyText(filePath, kPathSize, path);
  SelectStringSection(nullptr);
  return 1;
}

void CProfile::GetFile(char* out, uint32_t size) const { CopyText(out, size, filePath); }

int CProfile::SelectSection(const char* name, int withSuffix) {
  if (name == nullptr) return 0;
  char plain[kSectionNameSize];
  CopyText(plain, kSectionNameSize, name);
  char suffixed[kSectionNameSize];
  CopyText(suffixed, kSectionNameSize, plain);
  if (withSuffix == 1) {
    const size_t used = std::strlen(suffixed);
    CopyText(suffixed + used, kSectionNameSize - used, VariantSuffix(variant));
  }
  // A suffixed section replaces the plain one; it is never merged with it.
  const char* chosen = nullptr;
  if (SectionHasLines(suffixed)) {
    chosen = suffixed;
  } else if (std::strcmp(suffixed, plain) != 0 && SectionHasLines(plain)) {
    chosen = plain;
  }
  if (chosen == nullptr) return 0;
  CopyText(sectionName, kSectionNameSize, chosen);
  return 1;
}

void CProfile::GetSectionName(char* out, uint32_t size) const { CopyText(out, size, sectionName); }

int CProfile::SelectStringSection(const char* name) {
  char candidate[kSectionNameSize];
  if (name != nullptr) {
    CopyText(candidate, kSectionNameSize, name);
  } else {
    std::snprintf(candidate, sizeof candidate, "String.%d", static_cast<int>(country));
  }
  // The candidate is kept even when only "String" exists: look-ups fall back by themselves.
  if (!SectionHasLines(candidate) && !SectionHasLines("String")) return 0;
  CopyText(stringSectionName, kSectionNameSize, candidate);
  return 1;
}

uint32_t CProfile::LoadSection() {
  FreeSection();
  findCursor_.index = -1;
  sectionBuffer.reset(new char[kSectionBufferSize]);
  char* block = sectionBuffer.get();
  block[0] = '\0';
  const uint32_t count = ReadProfileSection(sectionName, block, kSectionBufferSize, filePath);
  // The walk in FindNthKey relies on the closing pair of NULs whatever the store did.
  block[kSectionBufferSize - 2] = '\0';
  block[kSectionBufferSize - 1] = '\0';
  return count;
}

int CProfile::FreeSection() {
  findCursor_.index = -1;
  if (!sectionBuffer) return 0;
  sectionBuffer.reset();
  return 1;
}

int CProfile::FindNthKey(const char* key, int32_t index, char* out, uint32_t size) const {
  if (!sectionBuffer || key == nullptr || key[0] == '\0' || sectionBuffer[0] == '\0') return 0;
  char pattern[FindCursor::kMaxKey + 2];
  CopyText(pattern, FindCursor::kMaxKey + 1, key);
  const int length = LowerAscii(pattern);
  if (length == 0) return 0;
  pattern[length] = '=';
  pattern[length + 1] = '\0';

  // Lines are not lower-cased and the pattern may stand anywhere in a line: "Item=" does not
  // match "item", while "subtitle=" does match "title".
  const char* const start = sectionBuffer.get();
  const char* const end = start + kSectionBufferSize;
  const char* line = start;
  int32_t match = 0;
  // Asking for the items one after the other walks the block once in all.
  if (findCursor_.index >= 0 && index > findCursor_.index && findCursor_.pattern == pattern) {
    line = start + findCursor_.next;
    match = findCursor_.index + 1;
  }
  while (line < end && *line != '\0') {
    const size_t lineLength = std::strlen(line);
    const char* found = std::strstr(line, pattern);
    if (found != nullptr) {
      if (match == index) {
        CopyText(out, size, found + length + 1);
        findCursor_.pattern = pattern;
        findCursor_.index = index;
        findCursor_.next = static_cast<size_t>(line + lineLength + 1 - start);
        return 1;
      }
      ++match;
    }
    line += lineLength + 1;
  }
  return 0;
}

uint32_t CProfile::GetString(const char* key, const char* defaultValue, char* out,
                             uint32_t size) const {
  return GetSectionString(sectionName, key, defaultValue, out, size);
}

uint32_t CProfile::GetSectionString(const char* section, const char* key, const char* defaultValue,
                                    char* out, uint32_t size) const {
  if (out == nullptr || size == 0) return 0;
  // A null name would ask the store for a list of names; treat it as a miss instead.
  return ReadProfileString(section != nullptr ? section : "", key != nullptr ? key : "",
                           defaultValue, out, size, filePath);
}

int CProfile::PutSectionString(const char* section, const char* key, const char* value) {
  // A null section would address nothing; a null key or value keeps the store's meaning
  // (delete the section or the key).
  if (section == nullptr) return 0;
  // What a loading operation learnt about files may not hold after a write.
  if (LoadMemo* memo = Memo()) memo->Clear();
  return WriteProfileValue(section, key, value, filePath);
}

int32_t CProfile::GetInt(const char* key, int32_t defaultValue) const {
  return GetSectionInt(sectionName, key, defaultValue);
}

int32_t CProfile::GetSectionInt(const char* section, const char* key, int32_t defaultValue) const {
  char text[kNumberSize];
  // A missing key or an empty value gives the default; text without digits gives 0.
  if (GetSectionString(section, key, "", text, kNumberSize) == 0) return defaultValue;
  return ParseLong(text);
}

int CProfile::PutSectionInt(const char* section, const char* key, int32_t value) {
  char text[kNumberSize];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return PutSectionString(section, key, text);
}

int CProfile::GetColor(const char* key, ColorRef* out, ColorRef defaultColor) const {
  char text[kNumberSize];
  if (GetString(key, "", text, kNumberSize) == 0) {
    if (out != nullptr) *out = defaultColor;
    return 0;
  }
  ParseColor(text, out);
  return 1;
}

void CProfile::GetVariantSuffix(char* out, uint32_t size) const {
  CopyText(out, size, VariantSuffix(variant));
}

int CProfile::FileHasData(const char* path) {
  if (path == nullptr) return 0;
  const FileProbeResult probe = ProbeFile(path);
  if (!probe.opened) return 0;
  return (probe.sizeKnown && probe.size == 0) ? 0 : 1;
}
