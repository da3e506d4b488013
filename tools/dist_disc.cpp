// `quorel-tool dist`: check the menu, plan the copy (refusing what a disc cannot hold), copy
// it with progress, add the runtime and the start-up files, write the image.
#include "tools/dist_disc.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/web_address.h"
#include "tools/check_menu.h"
#include "tools/copy_file.h"
#include "tools/dist_image.h"
#include "tools/file_problem.h"
#include "tools/native_path.h"
#include "tools/output_file.h"
#include "tools/shown_text.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kIsoFileLimit = (uint64_t{1} << 32) - 1;  // largest file of one extent
constexpr int kDeepestFolder = 64;

// One file to copy: from (followed when it is a link) to the disc-relative name.
struct PlannedFile {
  fs::path from;
  fs::path relative;
  uint64_t size = 0;
};

struct Plan {
  std::vector<PlannedFile> files;
  std::vector<fs::path> folders;  // disc-relative, parents first
  std::vector<Finding> problems;
  uint64_t bytes = 0;
  fs::path autorunKept;  // the menu folder's own autorun.inf, any case
};

bool Inside(const fs::path& path, const fs::path& folder) {
  const fs::path relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

void Problem(Plan* plan, const fs::path& file, const char* code, const std::string& message) {
  plan->problems.push_back(Finding{file.string(), 0, Severity::kError, code, message});
}

// Walks folder (reached as relative on the disc) into plan. Links are followed when they stay
// in menu; a link to a folder that holds it would repeat forever and is refused.
void Collect(const fs::path& menu, const fs::path& folder, const fs::path& relative, int depth,
             Plan* plan) {
  std::error_code error;
  if (depth > kDeepestFolder) {
    Problem(plan, folder, "dist-too-deep",
            "folders nest deeper than " + std::to_string(kDeepestFolder));
    return;
  }
  fs::directory_iterator it(folder, error);
  if (error) {
    Problem(plan, folder, "dist-unreadable", "cannot read the folder: " + error.message());
    return;
  }
  std::vector<fs::directory_entry> entries(it, fs::directory_iterator());
  for (const fs::directory_entry& entry : entries) {
    const fs::path name = entry.path().filename();
    const fs::path shown = entry.path();
    fs::path source = entry.path();
    if (entry.is_symlink(error)) {
      const fs::path real = fs::canonical(entry.path(), error);
      if (error) {
        Problem(plan, shown, "dist-broken-link", FileProblem(NativeText(entry.path())));
        continue;
      }
      if (!Inside(real, menu)) {
        Problem(plan, shown, "dist-link-outside",
                "symbolic link points outside the menu folder (to " + real.string() +
                    "); the disc would not hold its target");
        continue;
      }
      if (fs::is_directory(real, error) && Inside(fs::canonical(folder, error) / name, real)) {
        Problem(plan, shown, "dist-link-loop", "symbolic link to a folder that holds it");
        continue;
      }
      source = real;
    }
    const fs::file_status status = fs::status(source, error);
    if (fs::is_directory(status)) {
      plan->folders.push_back(relative / name);
      Collect(menu, source, relative / name, depth + 1, plan);
    } else if (fs::is_regular_file(status)) {
      const uint64_t size = fs::file_size(source, error);
      plan->files.push_back(PlannedFile{source, relative / name, size});
      plan->bytes += size;
    } else {
      Problem(plan, shown, "dist-special-file", "neither a file nor a folder");
    }
  }
}

// What the runtime adds at the root may not be in the menu folder already; autorun.inf is
// the author's to keep.
void CheckRootNames(const fs::path& menu, Plan* plan) {
  std::vector<PlannedFile> kept;
  for (const PlannedFile& file : plan->files) {
    if (file.relative.has_parent_path()) continue;
    const std::string name = FoldedName(file.relative.string());
    if (name == "quorel.exe" || name == "autorun.sh") {
      Problem(plan, menu / file.relative, "dist-runtime-name",
              "the menu folder already holds " + file.relative.string() + ", which dist adds");
    }
    if (name == "autorun.inf") plan->autorunKept = file.relative;
  }
  for (const fs::path& folder : plan->folders) {
    if (!folder.has_parent_path() && FoldedName(folder.string()) == "linux") {
      Problem(plan, menu / folder, "dist-runtime-name",
              "the menu folder already holds a folder " + folder.string() +
                  ", where dist puts the Linux program");
    }
  }
}

// What an ISO 9660 image with Joliet cannot hold, found before anything is copied.
void CheckForImage(const fs::path& menu, Plan* plan) {
  std::set<std::string> reported;
  auto names = [&](const fs::path& relative) {
    for (const fs::path& part : relative) {
      const std::string problem = JolietProblem(part.string());
      if (!problem.empty() && reported.insert((menu / relative).string()).second) {
        Problem(plan, menu / relative, "dist-joliet-name",
                "the name '" + part.string() + "' " + problem +
                    ", which the image's Windows (Joliet) names cannot hold");
      }
    }
  };
  for (const fs::path& folder : plan->folders) names(folder);
  for (const PlannedFile& file : plan->files) {
    names(file.relative);
    if (file.size > kIsoFileLimit) {
      Problem(plan, menu / file.relative, "dist-file-too-large",
              std::to_string(file.size) +
                  " bytes; an ISO 9660 image holds files up to 4 GiB - 1 byte (copy the folder "
                  "to a stick instead)");
    }
  }
}

// Targets a level starts that lie outside the menu folder would not be on the disc.
void CheckTargets(const CheckResult& result, const fs::path& menu, Plan* plan) {
  for (const MenuLevel& level : result.levels) {
    if (!level.loaded) continue;
    MenuSettings record = CreateMenuSettings();
    bool applied = false;
    const std::unique_ptr<CMenuApp> app = OpenLevel(level, VariantOther, 0, &record, &applied);
    if (app == nullptr) continue;
    for (const CMenuItem* item = app->page.firstItem; item != nullptr; item = item->next) {
      if (item->target == nullptr || (!IsLinkVerb(item->verb) && IsWebAddress(item->target)))
        continue;
      char full[kPathSize];
      const uint32_t length = GetFullPath(item->target, full, kPathSize);
      if (length == 0 || length >= kPathSize) continue;
      std::error_code error;
      const fs::path real = fs::canonical(NativePath(full), error);
      if (error) continue;  // check reports targets that are not there
      if (real != menu && !Inside(real, menu)) {
        plan->problems.push_back(Finding{level.shown, 0, Severity::kError, "dist-target-outside",
                                         std::string("target '") + item->target +
                                             "' lies outside the menu folder (" + real.string() +
                                             "); the disc would not hold it"});
      }
    }
  }
}

class Progress {
 public:
  Progress(std::ostream& err, uint64_t files, uint64_t bytes)
      : err_(err), files_(files), bytes_(bytes) {}
  void Add(uint64_t bytes, bool last) {
    ++doneFiles_;
    doneBytes_ += bytes;
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - shown_ < std::chrono::milliseconds(500)) return;
    shown_ = now;
    char line[160];
    std::snprintf(line, sizeof line, "dist: copied %llu of %llu files, %.1f of %.1f MB\n",
                  static_cast<unsigned long long>(doneFiles_),
                  static_cast<unsigned long long>(files_), doneBytes_ / 1e6, bytes_ / 1e6);
    err_ << line << std::flush;
  }

 private:
  std::ostream& err_;
  uint64_t files_;
  uint64_t bytes_;
  uint64_t doneFiles_ = 0;
  uint64_t doneBytes_ = 0;
  std::chrono::steady_clock::time_point shown_{};
};

// A copy of one file with its permission bits; a failure names the file it happened on and
// what the system said (a full disk, say), and leaves no partial file under the copy's name.
struct CopyFailure {
  fs::path file;
  std::string reason;
};

void CopyOne(const fs::path& from, const fs::path& to) {
  std::string where;
  std::string reason;
  if (!CopyNewFile(NativeText(from), NativeText(to), &where, &reason))
    throw CopyFailure{NativePath(where), reason};
}

void CopyTree(const fs::path& from, const fs::path& to) {
  std::error_code error;
  if (!fs::create_directory(to, error) && error) throw CopyFailure{to, error.message()};
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    if (entry.is_directory()) {
      CopyTree(entry.path(), to / entry.path().filename());
    } else {
      CopyOne(entry.path(), to / entry.path().filename());
    }
  }
}

// The disc's start-up files get their modes whatever the umask: the disc is for everyone.
void WriteText(const fs::path& file, const std::string& text, bool executable) {
  const unsigned mode = executable ? 0755 : 0644;
  std::string error;
  if (!WriteOutputText(NativeText(file), text, mode, &error))
    throw CopyFailure{file, error.substr(error.rfind(": ") + 2)};
  if (!ForceFileMode(NativeText(file), mode, &error)) throw CopyFailure{file, error};
}

void Report(std::ostream& err, const std::vector<Finding>& findings) {
  for (const Finding& finding : findings) err << FormatFinding(finding) << '\n';
}

std::string FirstTitle(const CheckResult& result) {
  if (result.levels.empty() || !result.levels[0].loaded) return "";
  MenuSettings record = CreateMenuSettings();
  bool applied = false;
  const std::unique_ptr<CMenuApp> app =
      OpenLevel(result.levels[0], VariantOther, 0, &record, &applied);
  return app == nullptr ? "" : std::string(app->settings.titleText);
}

}  // namespace

namespace {

// A refusal about a path: "path: error: message", escaped as findings are.
bool Refuse(std::ostream& err, const std::string& path, const std::string& message) {
  err << FormatFinding(Finding{path, 0, Severity::kError, "dist", message}) << '\n';
  return false;
}

struct Places {
  fs::path menu;
  fs::path out;
  fs::path exe;
  fs::path linuxDir;
  fs::path image;  // empty: no image
};

// What the command line names, tested before anything is read or written: an image is asked
// only of a build that writes them, the folders may not hold each other, OUTDIR is new or
// empty, the runtime is there, and the image goes to a new file (or, with --force, over a
// file) outside both folders.
bool CheckPlaces(const DistOptions& options, std::ostream& err, Places* places) {
  const std::string noImage = options.iso.empty() ? std::string() : NoImageWriter();
  if (!noImage.empty()) return Refuse(err, options.iso, noImage);
  std::error_code error;
  places->menu = fs::canonical(NativePath(options.menuDir), error);
  if (error || !fs::is_directory(places->menu)) return Refuse(err, options.menuDir, "not a folder");
  const fs::path& menu = places->menu;
  const fs::path out = places->out =
      fs::weakly_canonical(fs::absolute(NativePath(options.outDir)), error);
  if (out == menu || Inside(out, menu) || Inside(menu, out))
    return Refuse(err, options.outDir,
                  "the output folder and the menu folder may not hold each other");
  if (fs::exists(out) && (!fs::is_directory(out) || !fs::is_empty(out, error)))
    return Refuse(err, options.outDir, "exists and is not an empty folder; nothing was changed");
  places->exe = fs::absolute(NativePath(options.windowsProgram));
  places->linuxDir = fs::absolute(NativePath(options.linuxDir));
  if (!fs::is_regular_file(places->exe, error))
    return Refuse(err, places->exe.string(),
                  "the Windows program is missing (give --exe; by default the win32 build's, "
                  "or on Windows the quorel.exe beside quorel-tool.exe)");
  // The Linux folder is copied whole: one holding OUTDIR would copy into itself without end.
  const fs::path linuxReal = fs::weakly_canonical(places->linuxDir, error);
  if (out == linuxReal || Inside(out, linuxReal))
    return Refuse(err, options.outDir,
                  "lies in the Linux program's folder (--linux), which is copied into it");
  if (!fs::is_regular_file(places->linuxDir / "quorel", error))
    return Refuse(err, (places->linuxDir / "quorel").string(),
                  "the portable Linux program is missing (give --linux; by default this build's "
                  "quorel-portable, or on Windows the folder linux beside the tool's folder)");
  if (options.iso.empty()) return true;

  const fs::path image = places->image = fs::absolute(NativePath(options.iso));
  const fs::path real = fs::weakly_canonical(image, error);
  if (!fs::is_directory(image.parent_path(), error))
    return Refuse(
        err, options.iso,
        "the folder " + image.parent_path().string() + " does not exist; nothing was copied");
  if (fs::is_directory(image, error))
    return Refuse(err, options.iso, "is a folder; --iso names the image file to write");
  if (real == menu || Inside(real, menu) || Inside(image, menu))
    return Refuse(err, options.iso,
                  "lies in the menu folder; nothing was copied (write the image "
                  "elsewhere)");
  if (real == out || Inside(real, out) || Inside(image, out))
    return Refuse(err, options.iso,
                  "lies in the output folder, which the image is made of; nothing was copied "
                  "(write the image elsewhere)");
  if (fs::exists(fs::symlink_status(image, error)) && !options.force)
    return Refuse(err, options.iso, "exists; nothing was copied (--force replaces it)");
  return true;
}

// Errors check finds in the menu, and the plan of the copy with what it refuses.
int PlanCopy(const DistOptions& options, const Places& places, std::ostream& err, Plan* plan,
             std::string* title) {
  std::error_code error;
  const fs::path startDir = fs::current_path(error);
  CheckOptions checkOptions;
  checkOptions.file = NativeText(places.menu / "Quorel.ini");
  const CheckResult result = RunCheck(checkOptions);
  std::vector<Finding> errors;
  for (const Finding& finding : result.report.Sorted(false))
    if (finding.severity == Severity::kError) errors.push_back(finding);
  CheckTargets(result, places.menu, plan);
  *title = FirstTitle(result);
  fs::current_path(startDir, error);
  if (!errors.empty()) {
    Report(err, errors);
    if (!options.force) {
      err << "dist: check found " << Counted(errors.size(), "error", "errors")
          << "; nothing was copied (--force goes on)\n";
      return 2;
    }
  }
  Collect(places.menu, places.menu, fs::path(), 0, plan);
  CheckRootNames(places.menu, plan);
  if (!options.iso.empty()) CheckForImage(places.menu, plan);
  if (!plan->problems.empty()) {
    Report(err, plan->problems);
    err << "dist: " << Counted(plan->problems.size(), "problem", "problems")
        << "; nothing was copied\n";
    return 1;
  }
  return 0;
}

// What dist made, removed again when a later step fails: the outermost folder it created, or
// the files it put into the empty OUTDIR it was given.
class MadeOutput {
 public:
  explicit MadeOutput(const fs::path& out) : out_(out) {
    made_ = out;
    std::error_code error;
    while (made_.has_parent_path() && made_.parent_path() != made_ &&
           !fs::exists(fs::symlink_status(made_.parent_path(), error)))
      made_ = made_.parent_path();
    if (fs::exists(fs::symlink_status(out, error))) made_.clear();
  }
  ~MadeOutput() {
    if (kept_) return;
    std::error_code error;
    if (!made_.empty()) {
      fs::remove_all(made_, error);
      return;
    }
    // The folder was empty before: all it holds now is ours.
    for (const fs::directory_entry& entry : fs::directory_iterator(out_, error))
      fs::remove_all(entry.path(), error);
  }
  void Keep() { kept_ = true; }

 private:
  fs::path out_;
  fs::path made_;  // empty when OUTDIR was there
  bool kept_ = false;
};

// Copies the plan, the runtime and writes the start-up files into places.out.
void Build(const Plan& plan, const Places& places, const std::string& label, std::ostream& err) {
  const fs::path& out = places.out;
  std::error_code made;
  fs::create_directories(out, made);
  if (made) throw CopyFailure{out, made.message()};
  for (const fs::path& folder : plan.folders) {
    if (!fs::create_directory(out / folder, made) && made)
      throw CopyFailure{out / folder, made.message()};
  }
  Progress progress(err, plan.files.size(), plan.bytes);
  for (size_t i = 0; i < plan.files.size(); ++i) {
    const PlannedFile& file = plan.files[i];
    CopyOne(file.from, out / file.relative);
    progress.Add(file.size, i + 1 == plan.files.size());
  }
  CopyOne(places.exe, out / "quorel.exe");
  CopyTree(places.linuxDir, out / "linux");
  std::string refused;
  if (!ForceFileMode(NativeText(out / "linux" / "quorel"), 0755, &refused))
    throw CopyFailure{out / "linux" / "quorel", refused};
  if (!plan.autorunKept.empty()) {
    err << (places.menu / plan.autorunKept).string() << ": note: the menu folder's own "
        << plan.autorunKept.string() << " is kept\n";
  } else {
    WriteText(out / "autorun.inf", AutorunInf(label), false);
  }
  WriteText(out / "autorun.sh", AutorunScript(), true);
}

}  // namespace

int RunDist(const DistOptions& options, std::ostream& err, DistSummary* summary) {
  Places places;
  if (!CheckPlaces(options, err, &places)) return 1;
  Plan plan;
  std::string title;
  if (const int refused = PlanCopy(options, places, err, &plan, &title)) return refused;

  // The menu's title is UTF-8, as every text of the core, like the label asked for.
  const std::string label = Utf8ToCodePageLine(options.label.empty() ? title : options.label);
  MadeOutput made(places.out);
  try {
    Build(plan, places, label, err);
  } catch (const CopyFailure& failure) {
    err << FormatFinding(Finding{failure.file.string(), 0, Severity::kError, "dist",
                                 "cannot copy: " + failure.reason})
        << '\n';
    return 1;
  } catch (const fs::filesystem_error& failure) {
    err << FormatFinding(Finding{failure.path1().string(), 0, Severity::kError, "dist",
                                 "cannot copy: " + failure.code().message()})
        << '\n';
    return 1;
  }
  summary->autorunKept = !plan.autorunKept.empty();
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(places.out)) {
    if (entry.is_regular_file()) {
      ++summary->files;
      summary->bytes += entry.file_size();
    }
  }
  if (!options.iso.empty()) {
    std::string problem;
    if (!WriteImage(places.out.string(), options.iso, VolumeId(label), err, &problem)) {
      Refuse(err, options.iso, problem + "; the disc folder was removed again");
      return 1;
    }
    std::error_code error;
    summary->imageBytes = fs::file_size(options.iso, error);
  }
  made.Keep();
  err << "dist: " << Counted(summary->files, "file", "files") << ", " << summary->bytes
      << " bytes in " << places.out.string();
  if (!options.iso.empty())
    err << "; image " << options.iso << ", " << summary->imageBytes << " bytes";
  err << '\n';
  return 0;
}
