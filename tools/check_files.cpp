// Checks of `quorel-tool check` on the files a level names: sounds, and each item's target and
// working directory, tested as a click tests them (relative to the level's working directory,
// a name ending in a separator taken as a folder).
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "platform/web_address.h"
#include "tools/check_pass.h"
#include "tools/file_problem.h"
#include "tools/native_path.h"

namespace {

std::string WorkDirShown(const LevelPass& pass) { return pass.level->workDir; }

void CheckSound(const LevelPass& pass, const char* key, const char* name) {
  if (name[0] == '\0' || FileExists(name)) return;
  pass.Add(pass.settingsShown, pass.SettingLine(key), Severity::kWarning, "missing-sound",
           std::string(key) + " '" + name + "' not found in " + WorkDirShown(pass));
}

}  // namespace

void CheckFiles(const LevelPass& pass) {
  const MenuSettings& settings = pass.app->settings;
  CheckSound(pass, "EnterSound", settings.enterSound);
  CheckSound(pass, "LeaveSound", settings.leaveSound);

  int32_t index = 0;
  for (const CMenuItem* item = pass.app->page.firstItem; item != nullptr;
       item = item->next, ++index) {
    const std::string name = "item '" + ItemName(*item, index) + "'";
    const int line = pass.ItemLine(index);
    // A web address goes to the shell as written; there is no file to look for.
    if (item->target != nullptr && (IsLinkVerb(item->verb) || !IsWebAddress(item->target))) {
      char full[kPathSize];
      const uint32_t length = GetFullPath(item->target, full, kPathSize);
      const bool formed = length > 0 && length < kPathSize;
      const bool folder = formed && (full[length - 1] == '\\' || full[length - 1] == '/');
      std::error_code error;
      const bool found = formed && (folder ? std::filesystem::is_directory(NativePath(full), error)
                                           : CProfile::FileHasData(full) != 0);
      // A file that is there but cannot be opened is told as what it is (a FIFO, say).
      const std::string problem = formed && !folder ? FileProblem(full) : std::string();
      if (!found && (problem.empty() || problem == "no such file")) {
        pass.Add(pass.level->shown, line, Severity::kError, "missing-target",
                 name + ": target '" + item->target + "' not found in " + WorkDirShown(pass));
      } else if (!found) {
        std::string text = name + ": target '" + item->target + "' in " + WorkDirShown(pass);
        text += " " + problem + "; the menu reports it as not found";
        pass.Add(pass.level->shown, line, Severity::kError, "missing-target", text);
      }
    }
    if (item->workDir != nullptr) {
      char full[kPathSize];
      const uint32_t length = GetFullPath(item->workDir, full, kPathSize);
      std::error_code error;
      if (length == 0 || length >= kPathSize ||
          !std::filesystem::is_directory(NativePath(full), error)) {
        pass.Add(pass.level->shown, line, Severity::kError, "missing-workdir",
                 name + ": working directory '" + item->workDir + "' not found in " +
                     WorkDirShown(pass));
      }
    }
  }
}
