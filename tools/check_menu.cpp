// The walk of `quorel-tool check` over the levels a menu reaches: each level loaded as the
// session stack opens it (its working directory current, the return button below the first
// level) once per Windows release it has sections for and per country it has texts for.
#include "tools/check_menu.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/menu_app.h"
#include "platform/file_system.h"
#include "platform/headless/headless_control.h"
#include "platform/profile_store.h"
#include "tools/check_pass.h"
#include "tools/file_problem.h"
#include "tools/headless_menu.h"
#include "tools/native_path.h"

namespace {

namespace fs = std::filesystem;

// Countries with string sections checked per level, at most (the default and the ones asked
// for come on top).
constexpr size_t kMaxCountries = 16;

std::string FullPathOf(const std::string& name) {
  char out[kPathSize];
  const uint32_t length = GetFullPath(name.c_str(), out, kPathSize);
  if (length == 0 || length >= kPathSize) return std::string();
  return std::string(out, length);
}

std::string CurrentDir() {
  char out[4096];
  const uint32_t length = GetCurrentDir(out, sizeof out);
  return length > 0 && length < sizeof out ? std::string(out, length) : std::string();
}

// text with its line breaks as blanks, as a finding's message is one line.
std::string OneLine(std::string text) {
  for (char& c : text) c = c == '\n' ? ' ' : c;
  return text;
}

bool EndsWithName(const std::string& name, const char* suffix) {
  const size_t length = std::strlen(suffix);
  return length > 0 && name.size() > length &&
         SameName(std::string_view(name).substr(name.size() - length), suffix);
}

// Releases the level has sections of its own for, besides the plain one.
std::vector<WindowsVariant> VariantsOf(const SourceFile& source) {
  std::vector<WindowsVariant> variants = {VariantOther};
  for (int32_t v = VariantNT4; v <= VariantME; ++v) {
    for (const SourceFile::Section& section : source.sections) {
      if (!section.entries.empty() && EndsWithName(section.name, VariantSuffix(v))) {
        variants.push_back(static_cast<WindowsVariant>(v));
        break;
      }
    }
  }
  return variants;
}

// Country codes of the level's "String.N" sections.
std::set<int32_t> CountriesOf(const SourceFile& source) {
  std::set<int32_t> countries;
  for (const SourceFile::Section& section : source.sections) {
    if (section.name.size() > 7 && SameName(section.name.substr(0, 7), "String.")) {
      char* end = nullptr;
      const long code = std::strtol(section.name.c_str() + 7, &end, 10);
      if (end != nullptr && *end == '\0' && code >= INT32_MIN && code <= INT32_MAX) {
        countries.insert(static_cast<int32_t>(code));
      }
    }
  }
  return countries;
}

// What the bitmap reader found, told as the menu tells it; a file that is there but cannot be
// opened as one is told as what it is.
std::string BitmapProblem(const LoadFinding& finding) {
  if (finding.code != LoadFindingCode::kBitmapNotFound) return OneLine(finding.text);
  const std::string problem = FileProblem(finding.file);
  if (problem.empty() || problem == "no such file") return OneLine(finding.text);
  return finding.file + " " + problem;
}

// The load of level as the session stack opens it: its working directory current, the country
// and release given, the return button below the first level; findings to the sink given
// (empty: the menu's message boxes).
MenuLoad LevelLoad(const MenuLevel& level, WindowsVariant variant, int32_t country,
                   FindingSink findings) {
  MenuLoad load;
  load.file = level.fullPath;
  load.workDir = level.workDir;
  load.variant = variant;
  load.country = country;
  load.level = std::min(level.depth, kDeepestLevel);
  load.findings = std::move(findings);
  return load;
}

struct LinkTarget {
  std::string fullPath;
  std::string workDir;
  int line;
  std::string item;
};

// A reference left unexpanded, and the countries it stays so for.
struct Unexpanded {
  std::string file;
  int line;
  std::string reference;
  bool operator<(const Unexpanded& o) const {
    return std::tie(file, line, reference) < std::tie(o.file, o.line, o.reference);
  }
};

// Every "???%name%" the expansion left in text.
void FindUnexpanded(const char* text, const std::string& file, int line, int32_t country,
                    std::map<Unexpanded, std::set<int32_t>>* found) {
  if (text == nullptr) return;
  const std::string_view view(text);
  size_t at = 0;
  while ((at = view.find("???%", at)) != std::string_view::npos) {
    const size_t close = view.find('%', at + 4);
    if (close == std::string_view::npos) break;
    (*found)[Unexpanded{file, line, std::string(view.substr(at + 3, close - at - 2))}].insert(
        country);
    at = close + 1;
  }
}

class Checker {
 public:
  Checker(const CheckOptions& options, CheckResult* result)
      : options_(options), result_(result), report_(&result->report) {}

  void Run() {
    const std::string start = CurrentDir();
    ShownPath(start);  // fixes the directory names are shown relative to
    ResetHeadlessMenu();

    std::error_code error;
    const fs::path given = NativePath(options_.file);
    const fs::path absolute = fs::absolute(given, error);
    MenuLevel first;
    first.fullPath = NativeText(absolute.lexically_normal());
    first.shown = options_.file;
    first.workDir = NativeText(absolute.parent_path().lexically_normal());
    result_->levels.push_back(first);

    for (size_t index = 0; index < result_->levels.size(); ++index) CheckLevel(index);
    ReportUnexpanded();
    if (!start.empty()) SetCurrentDir(start.c_str());
    HeadlessReset();
  }

 private:
  void CheckLevel(size_t index) {
    MenuLevel level = result_->levels[index];
    report_->CountFile(level.shown);
    const std::shared_ptr<const SourceFile> source = SourceFile::Read(level.fullPath);
    switch (source->state) {
      case SourceFile::State::kMissing:
        Whole(level, "unreadable-file", "no such file");
        return;
      case SourceFile::State::kUnreadable: {
        const std::string problem = FileProblem(level.fullPath);
        Whole(level, "unreadable-file",
              problem.empty() ? "cannot be read (a folder, a device or no permission)" : problem);
        return;
      }
      case SourceFile::State::kTooLarge:
        Whole(level, "unreadable-file", "is larger than 64 MiB; the menu reads it as empty");
        return;
      case SourceFile::State::kRead:
        break;
    }
    if (source->content.empty()) {
      Whole(level, "unreadable-file", "is empty; the menu cannot load it");
      return;
    }
    if (!SetCurrentDir(level.workDir.c_str())) {
      Whole(level, "missing-workdir", "working directory " + level.workDir + " does not exist");
      return;
    }

    std::set<int32_t> countries = CountriesOf(*source);
    if (countries.size() > kMaxCountries) {
      // Each country is one more load of the level; a file with thousands of string sections
      // must still end promptly.
      auto keep = countries.begin();
      std::advance(keep, kMaxCountries);
      report_->Add(Finding{level.shown, 0, Severity::kNote, "countries-skipped",
                           std::to_string(countries.size()) + " countries have string sections; " +
                               "only the first " + std::to_string(kMaxCountries) +
                               " (by number) are checked"});
      countries.erase(keep, countries.end());
    }
    for (const int32_t code : countries) {
      if (std::find(result_->countries.begin(), result_->countries.end(), code) ==
          result_->countries.end()) {
        result_->countries.push_back(code);
      }
    }
    countries.insert(0);  // the default: a country without a section of its own
    countries.insert(options_.countries.begin(), options_.countries.end());

    std::vector<LinkTarget> links;
    loaded_ = false;
    // All passes over the level read its files as one operation: each file is parsed once.
    struct ReadBatch {
      ReadBatch() { BeginProfileBatch(); }
      ~ReadBatch() { EndProfileBatch(); }
    } batch;
    for (const WindowsVariant variant : VariantsOf(*source)) {
      bool first = true;
      for (const int32_t country : countries) {
        CheckPass(level, source, variant, country, first, &links);
        first = false;
      }
    }
    result_->levels[index].loaded = loaded_;
    FollowLinks(index, links);
  }

  void Whole(const MenuLevel& level, const char* code, const std::string& message) {
    report_->Add(Finding{level.shown, 0, Severity::kError, code, message});
  }

  // firstOfRelease: the first country of the release, which also checks what the lines say
  // (the same in every language).
  void CheckPass(const MenuLevel& level, const std::shared_ptr<const SourceFile>& source,
                 WindowsVariant variant, int32_t country, bool firstOfRelease,
                 std::vector<LinkTarget>* links) {
    std::vector<LoadFinding> found;
    LoadedMenu menu = LoadMenuHeadless(
        LevelLoad(level, variant, country, [&](const LoadFinding& f) { found.push_back(f); }));
    if (menu.stage < LoadedMenu::Stage::kNotApplied) {
      Whole(level, "unreadable-file", "cannot be loaded");
      return;
    }
    loaded_ = true;
    MenuSettings& record = menu.record;

    LevelPass pass;
    pass.level = &level;
    pass.app = menu.app.get();
    pass.applied = menu.stage == LoadedMenu::Stage::kApplied;
    pass.variant = variant;
    pass.country = country;
    pass.source = source;
    pass.report = report_;
    FindSections(menu.sections, &pass);

    for (const LoadFinding& finding : found) {
      switch (finding.code) {
        case LoadFindingCode::kBitmapNotFound:
        case LoadFindingCode::kBitmapInvalid:
          pass.Add(
              pass.settingsShown, pass.SettingLine("bkBitmap"), finding.severity, "background",
              "background '" + std::string(record.background) + "': " + BitmapProblem(finding));
          break;
        case LoadFindingCode::kSectionMissing:
          pass.Add(level.shown,
                   KeyLine(*source, source->Find(menu.sections.sameAsSection), "SameAs"),
                   finding.severity, "sameas-missing", OneLine(finding.text));
          break;
      }
    }
    // Any other message box the load showed would stop the menu for an answer.
    for (const HeadlessEvent& event : HeadlessTakeEvents()) {
      if (event.kind != HeadlessEvent::Kind::MessageBox) continue;
      pass.Add(level.shown, 0, Severity::kError, "message",
               event.caption + ": " + OneLine(event.text));
    }

    if (firstOfRelease) {
      CheckSourceLines(pass);
      CheckEncodings(pass);
    }
    if (pass.applied) CheckLayout(pass);
    CheckFiles(pass);
    CollectUnexpanded(pass, record);
    CollectLinks(pass, links);
  }

  static int KeyLine(const SourceFile& file, const SourceFile::Section* section, const char* key) {
    const int line = file.KeyLine(section, key);
    return line != 0 ? line : (section != nullptr ? section->headerLine : 0);
  }

  // The lines of the sections the load read (chosen), and of its include file.
  void FindSections(const ChosenSections& chosen, LevelPass* pass) {
    const SourceFile& source = *pass->source;
    pass->settingsFile = pass->source;
    pass->settingsShown = pass->level->shown;
    pass->settingsSection = source.Find(chosen.settingsSection);
    if (!chosen.includeFile.empty()) {
      std::shared_ptr<const SourceFile> included = SourceFile::Read(chosen.includeFile);
      if (included->state == SourceFile::State::kRead) {
        pass->settingsFile = included;
        pass->settingsShown = ShownPath(chosen.includeFile);
        pass->settingsSection = included->Find(chosen.settingsSection);
        report_->CountFile(pass->settingsShown);
      }
    }

    const SourceFile::Section* menu = source.Find(chosen.menuSection);
    pass->menuSection = menu;
    if (menu == nullptr) return;
    // The lines the menu's search for "item=" and "title=" finds, in the order it finds them.
    int titleLine = 0;
    for (const PortableLine* line : menu->entries) {
      const std::string text = SourceFile::EntryText(*line);
      if (text.find("item=") != std::string::npos) {
        pass->itemLines.push_back(static_cast<int>(line->number));
      }
      if (titleLine == 0 && text.find("title=") != std::string::npos) {
        titleLine = static_cast<int>(line->number);
      }
    }
    pass->titleLine = titleLine != 0 ? titleLine : KeyLine(source, menu, "title");
  }

  void CollectUnexpanded(const LevelPass& pass, MenuSettings& record) {
    for (size_t i = 0; i < kSettingKeyCount; ++i) {
      const SettingKey& key = kSettingKeys[i];
      if (key.kind != SettingText || !key.expanded) continue;
      FindUnexpanded(static_cast<const char*>(SettingTarget(&record, key)), pass.settingsShown,
                     pass.SettingLine(key.key), pass.country, &unexpanded_);
    }
    FindUnexpanded(record.titleText, pass.level->shown, pass.titleLine, pass.country, &unexpanded_);
    int32_t index = 0;
    for (const CMenuItem* item = pass.app->page.firstItem; item != nullptr;
         item = item->next, ++index) {
      for (const char* text :
           {item->text, item->verb, item->target, item->parameters, item->workDir, item->hint}) {
        FindUnexpanded(text, pass.level->shown, pass.ItemLine(index), pass.country, &unexpanded_);
      }
    }
  }

  void ReportUnexpanded() {
    for (const auto& [where, countries] : unexpanded_) {
      std::string list;
      for (const int32_t code : countries) {
        list += (list.empty() ? "" : ", ") + std::to_string(code);
      }
      const bool onlyDefault = countries.size() == 1 && *countries.begin() == 0;
      report_->Add(
          Finding{where.file, where.line, Severity::kWarning, "unexpanded-reference",
                  "'" + where.reference + "' does not expand for " +
                      (onlyDefault ? std::string("the default country (0)")
                                   : (countries.size() == 1 ? "country " : "countries ") + list)});
    }
  }

  void CollectLinks(const LevelPass& pass, std::vector<LinkTarget>* links) {
    int32_t index = 0;
    for (const CMenuItem* item = pass.app->page.firstItem; item != nullptr;
         item = item->next, ++index) {
      if (!IsLinkVerb(item->verb) || item->target == nullptr) continue;
      const std::string full = FullPathOf(item->target);
      // A target that is missing, or a working directory that is, has been reported.
      if (full.empty() || !CProfile::FileHasData(full.c_str())) continue;
      std::string workDir = pass.level->workDir;
      if (item->workDir != nullptr) {
        workDir = FullPathOf(item->workDir);
        std::error_code error;
        if (workDir.empty() || !fs::is_directory(NativePath(workDir), error)) continue;
      }
      links->push_back(LinkTarget{NativeText(NativePath(full).lexically_normal()),
                                  NativeText(NativePath(workDir).lexically_normal()),
                                  pass.ItemLine(index), ItemName(*item, index)});
    }
  }

  void FollowLinks(size_t index, const std::vector<LinkTarget>& links) {
    const MenuLevel level = result_->levels[index];
    std::set<std::pair<std::string, std::string>> seen;
    for (const LinkTarget& link : links) {
      if (!seen.insert({link.fullPath, link.workDir}).second) continue;
      // A file already on the way here would open again and again: reported, not followed.
      bool cycle = false;
      for (int at = static_cast<int>(index); at >= 0 && !cycle; at = result_->levels[at].parent) {
        cycle = result_->levels[at].fullPath == link.fullPath;
      }
      if (cycle) {
        report_->Add(Finding{level.shown, link.line, Severity::kWarning, "link-cycle",
                             "item '" + link.item + "': LINK to " + ShownPath(link.fullPath) +
                                 " leads back to a menu it was opened from"});
        continue;
      }
      if (level.depth >= kDeepestLevel) {
        report_->Add(Finding{level.shown, link.line, Severity::kWarning, "link-too-deep",
                             "item '" + link.item + "': this menu is level " +
                                 std::to_string(level.depth + 1) +
                                 ", the deepest the menu opens; its LINK items do nothing"});
        continue;
      }
      bool known = false;
      for (const MenuLevel& other : result_->levels) {
        known = known || (other.fullPath == link.fullPath && other.workDir == link.workDir);
      }
      if (known) continue;
      MenuLevel next;
      next.fullPath = link.fullPath;
      next.shown = ShownPath(link.fullPath);
      next.workDir = link.workDir;
      next.depth = level.depth + 1;
      next.parent = static_cast<int>(index);
      result_->levels.push_back(next);
    }
  }

  const CheckOptions& options_;
  CheckResult* result_;
  CheckReport* report_;
  bool loaded_ = false;
  std::map<Unexpanded, std::set<int32_t>> unexpanded_;
};

}  // namespace

std::unique_ptr<CMenuApp> OpenLevel(const MenuLevel& level, WindowsVariant variant, int32_t country,
                                    MenuSettings* record, bool* applied) {
  LoadedMenu menu = LoadMenuHeadless(LevelLoad(level, variant, country, nullptr));
  *record = menu.record;
  *applied = menu.stage == LoadedMenu::Stage::kApplied;
  if (menu.stage < LoadedMenu::Stage::kNotApplied) return nullptr;
  return std::move(menu.app);
}

int LevelPass::SettingLine(const char* key) const {
  if (settingsFile == nullptr) return 0;
  const int line = settingsFile->KeyLine(settingsSection, key);
  return line != 0 ? line : (settingsSection != nullptr ? settingsSection->headerLine : 0);
}

int LevelPass::ItemLine(int32_t index) const {
  if (index >= 0 && static_cast<size_t>(index) < itemLines.size()) return itemLines[index];
  return menuSection != nullptr ? menuSection->headerLine : 0;
}

std::string ItemName(const CMenuItem& item, int32_t index) {
  if (item.text != nullptr && item.text[0] != '\0') return item.text;
  return "#" + std::to_string(index + 1);
}

std::string ShownPath(const std::string& path) {
  static const fs::path start = fs::current_path();
  const fs::path relative = NativePath(path).lexically_proximate(start);
  const std::string shown = NativeText(relative);
  return !shown.empty() && shown.size() < path.size() ? shown : path;
}

CheckResult RunCheck(const CheckOptions& options) {
  CheckResult result;
  Checker checker(options, &result);
  checker.Run();
  return result;
}
