// Reading a file's lines for the check: bounded in size, never blocking on special files.
#include "tools/source_file.h"

#include <cstdio>
#include <unordered_set>
#include <utility>

#include "platform/file_system.h"

namespace {

// The store reads nothing of a file past this size; neither does the check.
constexpr size_t kMaxFileSize = size_t{64} << 20;

}  // namespace

std::shared_ptr<const SourceFile> SourceFile::Read(const std::string& path) {
  auto file = std::make_shared<SourceFile>();
  int missing = 0;
  std::FILE* stream = OpenFileForReading(path.c_str(), &missing);
  if (stream == nullptr) {
    file->state = missing ? State::kMissing : State::kUnreadable;
    return file;
  }
  char chunk[65536];
  size_t got = 0;
  bool failed = false;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
    file->content.append(chunk, got);
    if (file->content.size() > kMaxFileSize) {
      file->state = State::kTooLarge;
      std::fclose(stream);
      file->content.clear();
      return file;
    }
  }
  failed = std::ferror(stream) != 0;
  std::fclose(stream);
  if (failed) {
    file->state = State::kUnreadable;
    file->content.clear();
    return file;
  }
  file->state = State::kRead;
  // The check reads the text as the menu does: as UTF-8, whatever the file's encoding.
  file->decoding = DecodeText(file->content);
  file->content = std::move(file->decoding.utf8);
  file->decoding.utf8.clear();
  file->lines = PortableListLines(file->content);

  // Lines before any header belong to no section; a repeated header starts a section the
  // store ignores.
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t current = kNone;
  std::unordered_set<std::string> seen;  // folded names of the sections met so far
  for (const PortableLine& line : file->lines) {
    if (line.kind == PortableLineKind::kSection) {
      current = kNone;
      if (seen.insert(FoldedName(std::string(line.name))).second) {
        file->sections.push_back(
            Section{std::string(line.name), static_cast<int>(line.number), {}});
        current = file->sections.size() - 1;
      }
    } else if (current != kNone &&
               (line.kind == PortableLineKind::kKey || line.kind == PortableLineKind::kText)) {
      file->sections[current].entries.push_back(&line);
    }
  }
  return file;
}

const SourceFile::Section* SourceFile::Find(std::string_view name) const {
  for (const Section& section : sections) {
    if (SameName(section.name, name)) return section.entries.empty() ? nullptr : &section;
  }
  return nullptr;
}

int SourceFile::KeyLine(const Section* section, std::string_view key) const {
  if (section == nullptr) return 0;
  for (const PortableLine* line : section->entries) {
    if (line->kind == PortableLineKind::kKey && SameName(line->name, key)) {
      return static_cast<int>(line->number);
    }
  }
  return 0;
}

std::string SourceFile::EntryText(const PortableLine& line) {
  std::string text(line.name);
  if (line.kind == PortableLineKind::kKey) {
    text += '=';
    text.append(line.value.data(), line.value.size());
  }
  return text;
}
