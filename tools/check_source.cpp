// Checks of `quorel-tool check` read from the files themselves: keys the menu does not know
// (with the nearest one it does), release sections that hide or drop keys, include names that
// lead nowhere, values and item lines longer than the menu reads, a menu section longer than
// the reader takes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "tools/check_pass.h"
#include "tools/shown_text.h"

namespace {

// The menu reads this many bytes of a section's lines (two of them end the list).
constexpr size_t kSectionRead = CProfile::kSectionBufferSize - 2;
// Characters of an item line the loader takes.
constexpr size_t kItemLineLength = 255;
constexpr size_t kMaxItems = 256;

// Edit distance with letter case ignored.
size_t Distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t change = diagonal + (FoldAscii(a[i - 1]) == FoldAscii(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, change});
      diagonal = above;
    }
  }
  return row[b.size()];
}

const SettingKey* KnownKey(std::string_view name) {
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    if (SameName(kSettingKeys[i].key, name)) return &kSettingKeys[i];
  }
  return nullptr;
}

// Folded letters and digits of a name, counted: the bound below needs no more.
struct LetterCounts {
  explicit LetterCounts(std::string_view text) {
    for (const char c : text) ++counts[static_cast<unsigned char>(FoldAscii(c)) % 64];
  }
  uint32_t counts[64] = {};
};

// A lower bound of the edit distance: every character the two do not share must change.
size_t DistanceAtLeast(const LetterCounts& a, size_t aLength, const LetterCounts& b,
                       size_t bLength) {
  size_t shared = 0;
  for (int i = 0; i < 64; ++i) shared += std::min(a.counts[i], b.counts[i]);
  return std::max(aLength, bLength) - shared;
}

std::string Nearest(std::string_view name) {
  std::string best;
  size_t bestDistance = name.size() / 3 + 2;  // farther than this is no likely misspelling
  // The distance is at least the difference in length: a long name (a 10 MB key) is measured
  // against no key, and a short one only against keys that share enough of its letters.
  static const std::vector<LetterCounts> keyLetters = [] {
    std::vector<LetterCounts> counts;
    for (size_t i = 0; i < kSettingKeyCount; ++i) counts.emplace_back(kSettingKeys[i].key);
    return counts;
  }();
  const LetterCounts letters(name);
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const std::string_view key = kSettingKeys[i].key;
    const size_t apart =
        name.size() > key.size() ? name.size() - key.size() : key.size() - name.size();
    if (apart >= bestDistance ||
        DistanceAtLeast(letters, name.size(), keyLetters[i], key.size()) >= bestDistance)
      continue;
    const size_t distance = Distance(name, key);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = kSettingKeys[i].key;
    }
  }
  return best;
}

std::string Tail(std::string_view text, size_t end) {
  const size_t begin = end > 20 ? end - 20 : 0;
  return "..." + std::string(text.substr(begin, end - begin));
}

bool IsGlobalName(std::string_view name) {
  return SameName(name, "global") || (name.size() > 7 && SameName(name.substr(0, 7), "global."));
}

void CheckSettingsSection(const LevelPass& pass, const std::string& shown,
                          const SourceFile::Section& section) {
  for (const PortableLine* line : section.entries) {
    const int number = static_cast<int>(line->number);
    if (line->kind != PortableLineKind::kKey) {
      pass.Add(shown, number, Severity::kWarning, "unknown-key",
               "line without '=' in [" + CutPiece(section.name) + "] is not a setting");
      continue;
    }
    // The include and the file's code page are read by the store, not as settings.
    if (SameName(line->name, "#include") || SameName(line->name, "CodePage")) continue;
    const SettingKey* key = KnownKey(line->name);
    if (key == nullptr) {
      const std::string nearest = Nearest(line->name);
      pass.Add(shown, number, Severity::kWarning, "unknown-key",
               "unknown key '" + CutPiece(line->name) + "' in [" + CutPiece(section.name) + "]" +
                   (nearest.empty() ? std::string() : "; did you mean '" + nearest + "'?"));
      continue;
    }
    if (key->kind == SettingText && line->value.size() >= key->bufferSize) {
      pass.Add(shown, number, Severity::kWarning, "line-too-long",
               "value of '" + std::string(key->key) + "' is " + std::to_string(line->value.size()) +
                   " characters; the menu reads " + std::to_string(key->bufferSize - 1) +
                   " and cuts it after '" + Tail(line->value, key->bufferSize - 1) + "'");
    }
  }
}

// Keys a release section holds that the plain one has too (shown there instead), and keys of
// the plain section it lacks (their defaults apply on that release).
void CheckReleaseSection(const LevelPass& pass) {
  if (pass.variant == VariantOther) return;
  const SourceFile& source = *pass.source;
  const std::string suffixed = std::string("global") + VariantSuffix(pass.variant);
  const SourceFile::Section* release = source.Find(suffixed);
  const SourceFile::Section* plain = source.Find("global");
  if (release == nullptr || plain == nullptr) return;
  const std::string name = VariantSuffix(pass.variant) + 1;
  for (const PortableLine* line : release->entries) {
    if (line->kind != PortableLineKind::kKey) continue;
    const int plainLine = source.KeyLine(plain, line->name);
    if (plainLine == 0) continue;
    pass.Add(pass.level->shown, static_cast<int>(line->number), Severity::kNote, "release-key",
             "on " + name + " '" + CutPiece(line->name) + "' of [" + CutPiece(release->name) +
                 "] is used in place of [global]'s (line " + std::to_string(plainLine) + ")");
  }
  for (const PortableLine* line : plain->entries) {
    if (line->kind != PortableLineKind::kKey || source.KeyLine(release, line->name) != 0) continue;
    pass.Add(pass.level->shown, static_cast<int>(line->number), Severity::kNote, "release-key",
             "on " + name + " '" + CutPiece(line->name) + "' is not read: [" +
                 CutPiece(release->name) + "] replaces [global] and lacks it");
  }
}

void CheckIncludes(const LevelPass& pass) {
  const SourceFile& source = *pass.source;
  for (const SourceFile::Section& section : source.sections) {
    const bool strings =
        SameName(section.name, "String") ||
        (section.name.size() > 7 && SameName(section.name.substr(0, 7), "String."));
    if (!strings && !IsGlobalName(section.name)) continue;
    for (const PortableLine* line : section.entries) {
      if (line->kind != PortableLineKind::kKey || !SameName(line->name, "#include")) continue;
      const std::string name(line->value);
      char full[CProfile::kPathSize];
      const uint32_t length = GetFullPath(name.c_str(), full, sizeof full);
      const bool usable = length > 0 && length < sizeof full && CProfile::FileHasData(full);
      if (!usable) {
        pass.Add(pass.level->shown, static_cast<int>(line->number), Severity::kError,
                 "unreadable-include",
                 "include file '" + CutPiece(name) +
                     "' cannot be read (missing or empty); it is passed over");
      }
    }
  }
}

void CheckMenuSection(const LevelPass& pass) {
  const SourceFile::Section* menu = pass.menuSection;
  if (menu == nullptr) return;
  const std::string& shown = pass.level->shown;
  size_t offset = 0;
  size_t items = 0;
  bool cut = false;
  for (const PortableLine* line : menu->entries) {
    const std::string text = SourceFile::EntryText(*line);
    const int number = static_cast<int>(line->number);
    if (!cut && offset + text.size() > kSectionRead) {
      cut = true;
      pass.Add(shown, number, Severity::kWarning, "section-cut",
               "[" + CutPiece(menu->name) + "] is longer than the " +
                   std::to_string(kSectionRead + 2) +
                   " bytes the menu reads; its lines stop being read here");
    }
    offset += text.size() + 1;
    const size_t item = text.find("item=");
    if (item == std::string::npos) continue;
    if (++items == kMaxItems + 1) {
      pass.Add(shown, number, Severity::kWarning, "unreachable-items",
               "the menu reads at most 256 item lines; this one and those after it are not shown");
    }
    const size_t length = text.size() - item - 5;
    if (length > kItemLineLength) {
      pass.Add(shown, number, Severity::kWarning, "line-too-long",
               "item line is " + std::to_string(length) +
                   " characters; the menu reads 255 and "
                   "cuts it after '" +
                   Tail(text, item + 5 + kItemLineLength) + "'");
    }
  }
}

}  // namespace

void CheckSourceLines(const LevelPass& pass) {
  for (const SourceFile::Section& section : pass.source->sections) {
    if (IsGlobalName(section.name)) CheckSettingsSection(pass, pass.level->shown, section);
  }
  if (pass.settingsFile != pass.source && pass.settingsSection != nullptr) {
    CheckSettingsSection(pass, pass.settingsShown, *pass.settingsSection);
  }
  CheckReleaseSection(pass);
  CheckIncludes(pass);
  CheckMenuSection(pass);
}
