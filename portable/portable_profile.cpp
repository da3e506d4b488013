// The portable INI store: a line reader, the format rules and the three profile calls on top.
// Standard C++ and the file seam only (no POSIX, no windows.h): the same file is built for
// Linux and Windows.
#include "portable/portable_profile.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/copy_text.h"
#include "platform/file_system.h"
#include "portable/code_page.h"
#include "portable/text_decoding.h"

namespace {

// ---- Characters ---------------------------------------------------------------------------

// Blanks in the file are space, tab and vertical tab: Windows drops all three around section
// names, keys and values. CR is never a blank: it always ends a line.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Section and key arguments lose leading and trailing spaces only; a tab, CR or LF stays and
// so makes the look-up miss, as on Windows.
std::string_view StripSpaces(const char* arg) {
  std::string_view s(arg);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// ---- Lines --------------------------------------------------------------------------------

// The kinds are the ones PortableListLines hands out.
using LineKind = PortableLineKind;

struct Line {
  size_t begin = 0;  // offset of the line's first byte
  size_t end = 0;    // offset of its line end (== next when the file ends without one)
  size_t next = 0;   // offset of the following line
  LineKind kind = LineKind::kBlank;
  std::string_view name;   // kSection: section name; kKey: key; kText: the whole line
  std::string_view value;  // kKey: the value, blanks removed, quotes kept
};

// Classifies one line (its bytes without the line end).
void ParseLine(std::string_view text, Line* line) {
  // A NUL ends the usable text of its line (the rest up to the line end is ignored), as for a
  // C string: no name or value ever holds a NUL, so counts and section lists stay unambiguous.
  // A NUL never ends the file: the lines after it are read normally and kept on writes.
  text = TrimBlanks(text.substr(0, text.find('\0')));
  line->name = std::string_view();
  line->value = std::string_view();
  if (text.empty()) {
    line->kind = LineKind::kBlank;
  } else if (text.front() == ';') {
    // Only ';' first on a line (after blanks) makes a comment; '#' is ordinary and there are
    // no comments after a value.
    line->kind = LineKind::kComment;
  } else if (text.front() == '[') {
    // A header ends at the first ']' and the rest of the line is ignored; without ']' the
    // header runs to the end of the line.
    line->kind = LineKind::kSection;
    line->name = TrimBlanks(text.substr(1, text.find(']') - 1));
  } else if (size_t eq = text.find('='); eq != std::string_view::npos) {
    // Key and value split at the first '='; the key may be empty ("=v").
    line->kind = LineKind::kKey;
    line->name = TrimBlanks(text.substr(0, eq));
    line->value = TrimBlanks(text.substr(eq + 1));
  } else {
    // A line without '=' is no key, though a section listing shows it.
    line->kind = LineKind::kText;
    line->name = text;
  }
}

// Reads the text line by line. CR, LF and CRLF all end a line.
class LineReader {
 public:
  LineReader(std::string_view text, size_t start) : text_(text), pos_(start) {}

  bool Next(Line* line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) end = text_.size();
    size_t next = end;
    if (next < text_.size()) {
      bool crlf = text_[next] == '\r' && next + 1 < text_.size() && text_[next + 1] == '\n';
      next += crlf ? 2 : 1;
    }
    line->begin = pos_;
    line->end = end;
    line->next = next;
    ParseLine(text_.substr(pos_, end - pos_), line);
    pos_ = next;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_;
};

// Calls visit(line, inTarget) for every line, inTarget telling whether the line belongs to the
// first section named section, its header included (lines before any header belong to none).
// Stops when visit returns false.
template <typename Visit>
void VisitLines(std::string_view text, size_t start, std::string_view section, Visit visit) {
  LineReader reader(text, start);
  Line line;
  bool seen = false;
  bool inTarget = false;
  while (reader.Next(&line)) {
    if (line.kind == LineKind::kSection) {
      // Only the first section of a name counts: a later one with the same name is ignored.
      inTarget = !seen && SameName(line.name, section);
      seen = seen || inTarget;
    }
    if (!visit(line, inTarget)) return;
  }
}

// One matching outer pair of ' or " is removed from a value read; blanks inside stay.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// ---- Files --------------------------------------------------------------------------------

// How deeply read batches are nested on this thread (0: none is open).
thread_local int batchDepth = 0;
// The Windows directory, asked for once per batch (the system creates it when missing).
// Made by the outermost Begin and gone at its End: a thread_local with a destructor would
// make the Windows program need thread-exit support that the 95 family lacks.
thread_local std::string* batchWindowsDir = nullptr;

// A file name without '\' or '/' means the Windows directory; any other name is used as given
// (relative to the current directory). Returns "" when there is no usable path.
std::string ResolvePath(const char* file) {
  if (file == nullptr || file[0] == '\0') return std::string();
  std::string name(file);
  if (name.find_first_of("\\/") != std::string::npos) return name;
  if (batchWindowsDir != nullptr && !batchWindowsDir->empty()) return *batchWindowsDir + name;
  std::string dir(260, '\0');
  uint32_t length = GetWindowsDir(&dir[0], static_cast<uint32_t>(dir.size()));
  if (length >= dir.size()) {  // too small: length is the size needed
    dir.assign(length, '\0');
    length = GetWindowsDir(&dir[0], static_cast<uint32_t>(dir.size()));
    if (length >= dir.size()) return std::string();
  }
  if (length == 0) return std::string();
  dir.resize(length);
  // '/' joins on both systems (Windows accepts it too).
  if (dir.back() != '/' && dir.back() != '\\') dir += '/';
  if (batchWindowsDir != nullptr) *batchWindowsDir = dir;
  return dir + name;
}

// The path to read file from, as ResolvePath gives it, without a copy when file names a
// folder. Null when there is no usable path; storage holds a joined path.
const char* ReadPath(const char* file, std::string* storage) {
  if (file == nullptr || file[0] == '\0') return nullptr;
  if (std::strpbrk(file, "\\/") != nullptr) return file;
  *storage = ResolvePath(file);
  return storage->empty() ? nullptr : storage->c_str();
}

enum class LoadResult { kLoaded, kMissing, kFailed };

// No INI file is this big; a bigger one is read as one that cannot be opened, so that a stray
// huge file neither exhausts memory nor stalls every call.
constexpr uint64_t kMaxFileSize = uint64_t{64} << 20;

// Reads the whole file into content. A file that does not exist is kMissing; one that exists
// but cannot be opened or read (a directory, a FIFO or device, no permission) or is larger than
// kMaxFileSize is kFailed, so that a write never replaces a file it could not read.
LoadResult LoadFile(const char* path, std::string* content) {
  content->clear();
  int missing = 0;
  std::FILE* f = OpenFileForReading(path, &missing);
  if (f == nullptr) return missing ? LoadResult::kMissing : LoadResult::kFailed;
  // Only files on disk are opened, so their size is known at once: one too big is refused
  // without reading it. Where the size cannot be told, reading stops past the limit.
  const long end = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
  bool tooBig = end > 0 && static_cast<uint64_t>(end) > kMaxFileSize;
  std::rewind(f);
  char chunk[65536];
  size_t got;
  while (!tooBig && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    content->append(chunk, got);
    tooBig = content->size() > kMaxFileSize;
  }
  bool failed = tooBig || std::ferror(f) != 0;
  std::fclose(f);
  if (failed) content->clear();
  return failed ? LoadResult::kFailed : LoadResult::kLoaded;
}

// Where the text of a file's bytes starts: after a UTF-8 byte order mark, which writes keep.
size_t TextStart(std::string_view content) {
  return content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

bool IsAsciiText(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// text (UTF-8) as UTF-16LE after a byte order mark; a byte that starts no sequence is U+FFFD.
std::string Utf16LeFileOf(std::string_view text) {
  std::string out("\xFF\xFE");
  out.reserve(2 + text.size() * 2);
  auto unit = [&out](uint32_t code) {
    out.push_back(static_cast<char>(code & 0xFF));
    out.push_back(static_cast<char>(code >> 8));
  };
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      unit(0xFFFD);
      ++at;
      continue;
    }
    const uint32_t code = Utf8CodePoint(text, at, length);
    if (code >= 0x10000) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
    at += length;
  }
  return out;
}

// Writes bytes to a new file beside path, then puts it in path's place, so that a failed write
// never leaves a half-written file.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  // The temporary name mixes a counter, the clock and a stack address (which differs between
  // processes), so two writers never share one.
  static std::atomic<unsigned> counter{0};
  unsigned long long salt =
      static_cast<unsigned long long>(std::time(nullptr) * 1000003LL + std::clock()) ^
      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&salt));
  std::string temp;
  std::FILE* f = nullptr;
  for (int attempt = 0; attempt < 16 && f == nullptr; ++attempt) {
    char suffix[40];
    salt = salt * 6364136223846793005ULL + 1442695040888963407ULL + ++counter;
    std::snprintf(suffix, sizeof suffix, ".~%08x", static_cast<unsigned>(salt >> 32));
    temp = path + suffix;
    int missing = 0;
    if (std::FILE* existing = OpenFileForReading(temp.c_str(), &missing)) {
      std::fclose(existing);  // name taken: try another
      continue;
    }
    if (!missing) continue;  // taken by something that is not a file
    f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr) return false;  // folder missing or not writable
  }
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fflush(f) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) {
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) == 0) return true;
  // Windows' rename refuses to replace an existing file: remove it first.
  if (std::remove(path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) == 0) return true;
  // The old file is gone; the new content stays in the temporary file rather than be lost.
  return false;
}

// ---- Parsed files -------------------------------------------------------------------------

// Names are looked up without regard to ASCII case, as SameName compares them: the tables
// hash the folded spelling and compare with SameName, so no folded copy is ever made.
struct FoldedHash {
  size_t operator()(std::string_view name) const {
    uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (char c : name) {
      hash ^= static_cast<unsigned char>(FoldAscii(c));
      hash *= 1099511628211ULL;
    }
    return static_cast<size_t>(hash);
  }
};
struct FoldedEqual {
  bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
};
template <typename Value>
using NameTable = std::unordered_map<std::string_view, Value, FoldedHash, FoldedEqual>;

// An entry line of a section: a key line (name, value) or a line without '=' (name only).
struct Entry {
  std::string_view name;
  std::string_view value;
  bool isKey;
};

struct SectionIndex {
  std::vector<Entry> entries;              // in file order
  NameTable<std::string_view> firstValue;  // key -> first value
};

// A file's text and, for the first section of each name, its entry lines. The views, names
// included, point into content, which never changes once parsed.
struct ParsedFile {
  std::string content;
  NameTable<SectionIndex> sections;

  const SectionIndex* Find(std::string_view section) const {
    auto it = sections.find(section);
    return it != sections.end() ? &it->second : nullptr;
  }
};

// Parses a file's bytes, read as UTF-8 whatever their encoding (text_decoding.h).
std::shared_ptr<const ParsedFile> Parse(const std::string& bytes) {
  auto parsed = std::make_shared<ParsedFile>();
  parsed->content = DecodeText(bytes).utf8;
  std::string_view text = parsed->content;
  LineReader reader(text, 0);
  Line line;
  SectionIndex* current = nullptr;  // lines before any header belong to no section
  while (reader.Next(&line)) {
    if (line.kind == LineKind::kSection) {
      // Only the first section of a name counts: a later one with the same name is ignored.
      auto [it, inserted] = parsed->sections.try_emplace(line.name);
      current = inserted ? &it->second : nullptr;
    } else if (current != nullptr && line.kind == LineKind::kKey) {
      current->entries.push_back({line.name, line.value, true});
      current->firstValue.try_emplace(line.name, line.value);  // the first key wins
    } else if (current != nullptr && line.kind == LineKind::kText) {
      current->entries.push_back({line.name, std::string_view(), false});
    }
  }
  return parsed;
}

// The files the read batch open on this thread has parsed, so that its hundreds of reads of a
// few files cost one read and parse each. They go when the batch ends: outside a batch every
// read reads the file as it is then.
class BatchFiles {
 public:
  // The file kept for path, now the most recently used one; null when there is none.
  std::shared_ptr<const ParsedFile> Find(std::string_view path) {
    for (size_t i = 0; i < files_.size(); ++i) {
      if (files_[i].path != path) continue;
      std::rotate(files_.begin() + static_cast<std::ptrdiff_t>(i),
                  files_.begin() + static_cast<std::ptrdiff_t>(i) + 1, files_.end());
      return files_.back().file;
    }
    return nullptr;
  }
  // Keeps file for path, which is not kept yet; the least recently used file goes when full.
  void Keep(std::string_view path, std::shared_ptr<const ParsedFile> file) {
    if (files_.size() >= kMaxFiles) files_.erase(files_.begin());
    files_.push_back(Kept{std::string(path), std::move(file)});
  }
  void Forget(std::string_view path) {
    files_.erase(std::remove_if(files_.begin(), files_.end(),
                                [path](const Kept& kept) { return kept.path == path; }),
                 files_.end());
  }
  void Clear() { files_.clear(); }

 private:
  // Budget: a load reads its file, one for the settings, a few for texts and the session file;
  // past that many, the file used longest ago is read again when it is asked for.
  static constexpr size_t kMaxFiles = 8;
  struct Kept {
    std::string path;
    std::shared_ptr<const ParsedFile> file;
  };
  std::vector<Kept> files_;  // the most recently used last
};

// Made and dropped with batchWindowsDir.
thread_local BatchFiles* batchFiles = nullptr;

// The file at path parsed; null when it is missing or cannot be read. Inside a read batch a
// file is read at its first use and taken as it was then. path is NUL-terminated.
std::shared_ptr<const ParsedFile> ParsedFileAt(std::string_view path) {
  if (batchFiles != nullptr) {
    if (std::shared_ptr<const ParsedFile> kept = batchFiles->Find(path)) return kept;
  }
  std::string content;
  if (LoadFile(path.data(), &content) != LoadResult::kLoaded) return nullptr;
  std::shared_ptr<const ParsedFile> parsed = Parse(content);
  if (batchFiles != nullptr) batchFiles->Keep(path, parsed);
  return parsed;
}

// ---- Writing ------------------------------------------------------------------------------

// Replace content[begin, end) by text.
struct Edit {
  size_t begin;
  size_t end;
  std::string text;
};

// Applies edits given in file order, not overlapping.
std::string ApplyEdits(const std::string& content, const std::vector<Edit>& edits) {
  std::string out;
  out.reserve(content.size() + 256);
  size_t pos = 0;
  for (const Edit& edit : edits) {
    out.append(content, pos, edit.begin - pos);
    out += edit.text;
    pos = edit.end;
  }
  out.append(content, pos, std::string::npos);
  return out;
}

bool EndsWithLineBreak(std::string_view s) {
  return !s.empty() && (s.back() == '\n' || s.back() == '\r');
}

// Edits that set key=value: the first matching key line is rewritten (keeping its line end and
// the key's spelling in the file); otherwise the line goes after the section's last entry line
// (before trailing comment and blank lines); a missing section is appended at the end.
std::vector<Edit> SetEdits(const std::string& content, size_t start, std::string_view section,
                           std::string_view key, std::string_view value) {
  bool found = false;
  bool replaced = false;
  size_t insertAt = 0;
  bool insertNeedsBreak = false;  // the line to insert after ends the file without a line end
  std::vector<Edit> edits;
  VisitLines(content, start, section, [&](const Line& line, bool inTarget) {
    if (found && !inTarget) return false;  // past the section's body
    if (!inTarget) return true;
    found = true;
    if (line.kind == LineKind::kKey && SameName(line.name, key)) {
      edits.push_back({line.begin, line.end, std::string(line.name) + "=" + std::string(value)});
      replaced = true;
      return false;
    }
    if (line.kind != LineKind::kBlank && line.kind != LineKind::kComment) {  // header or entry
      insertAt = line.next;
      insertNeedsBreak = line.next == line.end;
    }
    return true;
  });
  if (replaced) return edits;
  std::string newLine = std::string(key) + "=" + std::string(value) + "\r\n";
  if (found) {
    edits.push_back({insertAt, insertAt, (insertNeedsBreak ? "\r\n" : "") + newLine});
  } else {
    // A file without a final line end gets one before anything is appended.
    bool needsBreak = content.size() > start && !EndsWithLineBreak(content);
    edits.push_back({content.size(), content.size(),
                     (needsBreak ? "\r\n[" : "[") + std::string(section) + "]\r\n" + newLine});
  }
  return edits;
}

// Edits that delete every line of key in the first section of that name.
std::vector<Edit> DeleteKeyEdits(const std::string& content, size_t start, std::string_view section,
                                 std::string_view key) {
  std::vector<Edit> edits;
  bool found = false;
  VisitLines(content, start, section, [&](const Line& line, bool inTarget) {
    if (found && !inTarget) return false;
    found = found || inTarget;
    if (inTarget && line.kind == LineKind::kKey && SameName(line.name, key)) {
      edits.push_back({line.begin, line.next, std::string()});
    }
    return true;
  });
  return edits;
}

// Edits that delete every section of that name: its header and entry lines go, its comment and
// blank lines stay (as on Windows, which never deletes comments).
std::vector<Edit> DeleteSectionEdits(const std::string& content, size_t start,
                                     std::string_view section) {
  std::vector<Edit> edits;
  bool inSection = false;
  LineReader reader(content, start);
  Line line;
  while (reader.Next(&line)) {
    if (line.kind == LineKind::kSection) inSection = SameName(line.name, section);
    if (inSection && line.kind != LineKind::kBlank && line.kind != LineKind::kComment) {
      edits.push_back({line.begin, line.next, std::string()});
    }
  }
  return edits;
}

}  // namespace

uint32_t PortableReadProfileString(const char* section, const char* key, const char* defaultValue,
                                   char* out, uint32_t size, const char* file) {
  if (size == 0) return 0;
  try {
    std::string storage;
    const char* path = ReadPath(file, &storage);
    if (section != nullptr && key != nullptr && path != nullptr) {
      if (std::shared_ptr<const ParsedFile> parsed = ParsedFileAt(path)) {
        if (const SectionIndex* found = parsed->Find(StripSpaces(section))) {
          auto it = found->firstValue.find(StripSpaces(key));
          if (it != found->firstValue.end()) {
            // Text is UTF-8: a value cut to fit loses its last character whole.
            const std::string_view value = Unquote(it->second);
            return static_cast<uint32_t>(CopyTextN(out, size, value.data(), value.size()));
          }
        }
      }
    }
  } catch (const std::bad_alloc&) {
    // A file too big to hold in memory reads as a missing one.
  }
  // The default loses its trailing spaces (only spaces); leading blanks stay.
  std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return static_cast<uint32_t>(CopyTextN(out, size, fallback.data(), fallback.size()));
}

uint32_t PortableReadProfileSection(const char* section, char* out, uint32_t size,
                                    const char* file) {
  if (size == 0 || out == nullptr) return 0;
  // The list: every entry followed by a NUL, then one more NUL.
  std::string block;
  try {
    std::string storage;
    const char* path = ReadPath(file, &storage);
    std::shared_ptr<const ParsedFile> parsed;
    if (section != nullptr && path != nullptr) parsed = ParsedFileAt(path);
    if (const SectionIndex* found = parsed ? parsed->Find(StripSpaces(section)) : nullptr) {
      // Key lines are listed as key=value with the blanks around both removed (quotes kept),
      // lines without '=' as they stand; comment and blank lines are left out.
      for (const Entry& entry : found->entries) {
        // Past size bytes the list is cut anyway: the rest need not be assembled.
        if (block.size() > size) break;
        block.append(entry.name.data(), entry.name.size());
        if (entry.isKey) {
          block += '=';
          block.append(entry.value.data(), entry.value.size());
        }
        block += '\0';
      }
    }
  } catch (const std::bad_alloc&) {
    block.clear();  // a file or section too big to hold in memory reads as a missing one
  }
  block += '\0';
  // An empty list still ends with two NULs where they fit, so a reader walking the lines
  // stops at once.
  if (block.size() == 1 && size >= 2) {
    out[0] = '\0';
    out[1] = '\0';
    return 0;
  }
  if (block.size() <= size) {
    // CopyTextN places the final NUL itself.
    return static_cast<uint32_t>(CopyTextN(out, size, block.data(), block.size() - 1));
  }
  // Too long: cut so the block still ends with two NULs; the count is size - 2.
  if (size < 2) return static_cast<uint32_t>(CopyTextN(out, size, nullptr, 0));
  uint32_t count = static_cast<uint32_t>(CopyTextN(out, size - 1, block.data(), size - 2));
  out[size - 1] = '\0';
  return count;
}

int PortableWriteProfileString(const char* section, const char* key, const char* value,
                               const char* file) {
  if (section == nullptr) return 0;
  std::string path = ResolvePath(file);
  if (path.empty()) return 0;
  std::string_view sectionName = StripSpaces(section);
  std::string_view keyName = key != nullptr ? StripSpaces(key) : std::string_view();
  std::string_view text = value != nullptr ? std::string_view(value) : std::string_view();
  // Names and values are written verbatim, blanks included and never quoted; but a CR or LF
  // would split the line and could forge other keys or sections, so such a write fails.
  if (HasLineBreak(sectionName) || HasLineBreak(keyName) || HasLineBreak(text)) return 0;
  // A bare name lies in the Windows directory, which is made when the first file goes there.
  if (std::strpbrk(file, "\\/") == nullptr && !MakeWindowsDir()) return 0;

  try {
    // Whatever happens, the next read looks at the file as it then is.
    struct Reread {
      const std::string& path;
      ~Reread() {
        if (batchFiles != nullptr) batchFiles->Forget(path);
      }
    } reread{path};
    std::string content;
    LoadResult loaded = LoadFile(path.c_str(), &content);
    if (loaded == LoadResult::kFailed) return 0;
    size_t start = TextStart(content);
    // UTF-8 and ASCII files are edited as they are; so is an ANSI file when only ASCII goes in,
    // which keeps its bytes. A UTF-16 file, and an ANSI one that gets other characters, are
    // edited as their UTF-8 text and written back as UTF-16, or as UTF-8 (which then reads as
    // UTF-8 before any code page it declares).
    bool asUtf16 = false;
    if (!IsAsciiText(content)) {
      const bool newText = !IsAsciiText(sectionName) || !IsAsciiText(keyName) || !IsAsciiText(text);
      DecodedText decoded = DecodeText(content);
      asUtf16 = decoded.encoding == TextEncoding::kUtf16Bom;
      if (asUtf16 || (decoded.encoding == TextEncoding::kAnsi && newText)) {
        content = std::move(decoded.utf8);
        start = 0;
      }
    }
    std::vector<Edit> edits;
    if (key == nullptr) {
      edits = DeleteSectionEdits(content, start, sectionName);
    } else if (value == nullptr) {
      edits = DeleteKeyEdits(content, start, sectionName, keyName);
    } else {
      edits = SetEdits(content, start, sectionName, keyName, text);
    }
    if (edits.empty()) return 1;  // nothing to delete: success, file untouched (or not created)
    std::string updated = ApplyEdits(content, edits);
    // A write that would leave every byte as it is (the same value again) leaves the file
    // alone, as the profile API does: no new file, no new time stamp, no disk traffic.
    if (loaded == LoadResult::kLoaded && updated == content) return 1;
    return ReplaceFile(path, asUtf16 ? Utf16LeFileOf(updated) : updated) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;  // too big to hold in memory: the file stays as it was
  }
}

void PortableBeginReadBatch() {
  if (batchDepth++ != 0) return;
  // Without memory for them, the batch reads every file at each call, as outside a batch.
  batchWindowsDir = new (std::nothrow) std::string();
  batchFiles = new (std::nothrow) BatchFiles();
}

void PortableEndReadBatch() {
  if (batchDepth == 0) return;  // unmatched: nothing is open
  if (--batchDepth != 0) return;
  delete batchWindowsDir;
  batchWindowsDir = nullptr;
  delete batchFiles;
  batchFiles = nullptr;
}

std::vector<PortableLine> PortableListLines(std::string_view content) {
  std::vector<PortableLine> lines;
  LineReader reader(content, TextStart(content));
  Line line;
  uint32_t number = 0;
  while (reader.Next(&line)) {
    lines.push_back({++number, line.kind, line.name, line.value, line.end - line.begin});
  }
  return lines;
}
