// The files a shown level was read from. Core headers and platform/*.h only.
#include "app/files_read.h"

#include <algorithm>
#include <string>

#include "platform/file_system.h"
#include "platform/profile_store.h"

namespace {

// As deep as text expansion follows include files.
constexpr int kIncludeDepth = 8;

// The list in the making: each file once, in the order found.
struct FileList {
  // Adds name made full from the current directory; "" when it names nothing or is there already.
  std::string Add(const char* name) {
    if (name == nullptr || name[0] == '\0') return std::string();
    char full[kPathSize];
    const uint32_t length = GetFullPath(name, full, kPathSize);
    if (length == 0 || length >= kPathSize) return std::string();
    if (std::find(files.begin(), files.end(), full) != files.end()) return std::string();
    files.emplace_back(full);
    return files.back();
  }

  // The include files that text expansion may read from file: those of its country's string
  // section and of [String], and theirs in turn.
  void AddStringIncludes(const std::string& file, int32_t country, int depth) {
    if (file.empty() || depth >= kIncludeDepth) return;
    const std::string sections[] = {"String." + std::to_string(country), "String"};
    for (const std::string& section : sections) {
      char include[kPathSize];
      ReadProfileString(section.c_str(), "#include", "", include, kPathSize, file.c_str());
      AddStringIncludes(Add(include), country, depth + 1);
    }
  }

  std::vector<std::string> files;
};

}  // namespace

std::vector<std::string> FilesOfShownLevel(const CMenuApp& app, const ChosenSections& chosen) {
  FileList list;
  char definition[kPathSize];
  app.profile.GetFile(definition, kPathSize);
  const std::string first = list.Add(definition);
  list.Add(chosen.includeFile.c_str());
  list.AddStringIncludes(first, app.profile.country, 0);
  list.Add(app.settings.background);
  list.Add(app.settings.enterSound);
  list.Add(app.settings.leaveSound);
  return list.files;
}
