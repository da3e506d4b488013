// The portable INI store: a line reader, the format rules and the three profile calls on top.
// Standard C++ and the file seam only (no POSIX, no windows.h): the same file is built for
// Linux and Windows.
#include "portable/portable_profile.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/copy_text.h"
#include "platform/file_system.h"

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

// Names match without regard to case. Only ASCII letters are folded: Windows folds by its code
// page, which a byte-oriented store cannot know.
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
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

// The read batch open on this thread (0: none) and how deeply batches are nested. Batch ids
// come from one counter, so a file checked in one thread's batch is never trusted in another's.
std::atomic<uint64_t> batchCounter{0};
thread_local uint64_t currentBatch = 0;
thread_local int batchDepth = 0;
// The Windows directory, asked for once per batch (the system creates it when missing).
thread_local std::string batchWindowsDir;

// A file name without '\' or '/' means the Windows directory; any other name is used as given
// (relative to the current directory). Returns "" when there is no usable path.
std::string ResolvePath(const char* file) {
  if (file == nullptr || file[0] == '\0') return std::string();
  std::string name(file);
  if (name.find_first_of("\\/") != std::string::npos) return name;
  if (currentBatch != 0 && !batchWindowsDir.empty()) return batchWindowsDir + name;
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
  if (currentBatch != 0) batchWindowsDir = dir;
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
  char chunk[65536];
  size_t got;
  bool tooBig = false;
  while (!tooBig && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    content->append(chunk, got);
    tooBig = content->size() > kMaxFileSize;
  }
  bool failed = tooBig || std::ferror(f) != 0;
  std::fclose(f);
  if (failed) content->clear();
  return failed ? LoadResult::kFailed : LoadResult::kLoaded;
}

// Where the text starts. A UTF-8 byte order mark is skipped: Windows does not know it (it
// spoils the first line there), but files made on Linux often carry one. It is kept on writes.
size_t TextStart(std::string_view content) {
  return content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

// Writes bytes to a new file beside path, then puts it in path's place, so that a failed write
// never leaves a half-written file.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  // The temporary name mixes a counter, the clock and a stack address (which differs between
  // processes), so two writers never share one.
  static std::atomic<unsigned> counter{0};
  unsigned long long salt =
      static_cast<unsigned long long>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
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
  size_t bytes = 0;  // about what content and index take in memory

  const SectionIndex* Find(std::string_view section) const {
    auto it = sections.find(section);
    return it != sections.end() ? &it->second : nullptr;
  }
};

std::shared_ptr<const ParsedFile> Parse(std::string content) {
  auto parsed = std::make_shared<ParsedFile>();
  parsed->content = std::move(content);
  std::string_view text = parsed->content;
  LineReader reader(text, TextStart(text));
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
  // Each section and each key costs a hash node, each entry line its Entry.
  constexpr size_t kNodeBytes = 64;
  parsed->bytes = parsed->content.capacity();
  for (const auto& [name, index] : parsed->sections) {
    parsed->bytes += kNodeBytes + index.entries.capacity() * sizeof(Entry) +
                     index.firstValue.size() * kNodeBytes;
  }
  return parsed;
}

// Parsed files kept while their stamp is unchanged, so that the many reads of one file cost one
// parse. A change by any program changes the stamp and is seen at the next call (inside a read
// batch: at the next batch). A few files only, the least recently used dropped first, and
// between batches no more than kCacheBudget bytes of them: a file too big for that is parsed
// again at each call outside a batch, and kept only while the batch that read it lasts. A real
// definition file is a few KiB; 1 MiB keeps everything a 1920 x 1080 menu holds between paints
// (its kept off-screen image of 7.9 MiB, drawn text 5 MiB, caption extents and the load memo
// 1 MiB each) within 16 MiB.
constexpr size_t kMaxCachedFiles = 8;
constexpr size_t kCacheBudget = size_t{1} << 20;

struct CachedFile {
  std::string path;
  FileStamp stamp;
  std::shared_ptr<const ParsedFile> file;
  uint64_t lastUse;
  uint64_t checkedInBatch;  // the batch whose first read of the file checked the stamp, or 0
};

std::mutex cacheMutex;
std::vector<CachedFile> cache;
uint64_t cacheClock = 0;

bool SameStamp(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size && a.seconds == b.seconds &&
         a.nanoseconds == b.nanoseconds;
}

size_t CachedBytes() {
  size_t total = 0;
  for (const CachedFile& cached : cache) total += cached.file->bytes;
  return total;
}

// Drops the least recently used files until the rest fit the budget (and room is left for
// `incoming` more bytes). Called with cacheMutex held.
void TrimCache(size_t incoming) {
  while (!cache.empty() && CachedBytes() + incoming > kCacheBudget) {
    size_t oldest = 0;
    for (size_t i = 1; i < cache.size(); ++i) {
      if (cache[i].lastUse < cache[oldest].lastUse) oldest = i;
    }
    cache.erase(cache.begin() + static_cast<std::ptrdiff_t>(oldest));
  }
}

void ForgetFile(std::string_view path) {
  std::lock_guard<std::mutex> lock(cacheMutex);
  for (size_t i = 0; i < cache.size(); ++i) {
    if (cache[i].path == path) {
      cache.erase(cache.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

// The next read of path checks its stamp again, even inside the batch that checked it.
void Distrust(std::string_view path) {
  std::lock_guard<std::mutex> lock(cacheMutex);
  for (CachedFile& cached : cache) {
    if (cached.path == path) cached.checkedInBatch = 0;
  }
}

void Remember(std::string_view path, const FileStamp& stamp,
              std::shared_ptr<const ParsedFile> file) {
  std::lock_guard<std::mutex> lock(cacheMutex);
  for (size_t i = 0; i < cache.size(); ++i) {
    if (cache[i].path == path) cache.erase(cache.begin() + static_cast<std::ptrdiff_t>(i));
  }
  // Outside a batch the budget holds at once; inside one, the files the batch reads stay
  // until it ends.
  if (currentBatch == 0) {
    if (file->bytes > kCacheBudget) return;
    TrimCache(file->bytes);
  }
  if (cache.size() >= kMaxCachedFiles) {
    size_t oldest = 0;
    for (size_t i = 1; i < cache.size(); ++i) {
      if (cache[i].lastUse < cache[oldest].lastUse) oldest = i;
    }
    cache.erase(cache.begin() + static_cast<std::ptrdiff_t>(oldest));
  }
  cache.push_back(
      CachedFile{std::string(path), stamp, std::move(file), ++cacheClock, currentBatch});
}

// The file at path parsed, from the cache while its stamp is unchanged; null when it is missing
// or cannot be read. Inside a batch, a file whose stamp this batch has checked is not checked
// again. path is NUL-terminated.
std::shared_ptr<const ParsedFile> ParsedFileAt(std::string_view path) {
  if (currentBatch != 0) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    for (CachedFile& cached : cache) {
      if (cached.path == path && cached.checkedInBatch == currentBatch) {
        cached.lastUse = ++cacheClock;
        return cached.file;
      }
    }
  }
  FileStamp before{};
  bool stamped = GetFileStamp(path.data(), &before) != 0;
  if (stamped) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    for (CachedFile& cached : cache) {
      if (cached.path == path && SameStamp(cached.stamp, before)) {
        cached.lastUse = ++cacheClock;
        cached.checkedInBatch = currentBatch;
        return cached.file;
      }
    }
  }
  ForgetFile(path);
  if (stamped && before.size > kMaxFileSize) return nullptr;
  std::string content;
  if (LoadFile(path.data(), &content) != LoadResult::kLoaded) return nullptr;
  std::shared_ptr<const ParsedFile> parsed = Parse(std::move(content));
  // Kept only when the file did not change while it was read: otherwise the stamp might not
  // belong to the text.
  FileStamp after{};
  if (stamped && GetFileStamp(path.data(), &after) != 0 && SameStamp(before, after) &&
      after.size == parsed->content.size()) {
    Remember(path, after, parsed);
  }
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
            std::string_view value = Unquote(it->second);
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

  try {
    // Whatever happens, the next read looks at the file as it then is.
    struct Recheck {
      const std::string& path;
      bool written = true;
      ~Recheck() { written ? ForgetFile(path) : Distrust(path); }
    } recheck{path};
    std::string content;
    LoadResult loaded = LoadFile(path.c_str(), &content);
    if (loaded == LoadResult::kFailed) return 0;
    size_t start = TextStart(content);
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
    if (loaded == LoadResult::kLoaded && updated == content) {
      recheck.written = false;
      return 1;
    }
    return ReplaceFile(path, updated) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;  // too big to hold in memory: the file stays as it was
  }
}

void PortableBeginReadBatch() {
  if (batchDepth++ == 0) {
    currentBatch = ++batchCounter;
    batchWindowsDir.clear();
  }
}

void PortableEndReadBatch() {
  if (batchDepth == 0) return;  // unmatched: nothing is open
  if (--batchDepth != 0) return;
  currentBatch = 0;
  batchWindowsDir.clear();
  // What the batch kept beyond the budget goes now, a file too big for it first.
  std::lock_guard<std::mutex> lock(cacheMutex);
  for (size_t i = cache.size(); i-- > 0;) {
    if (cache[i].file->bytes > kCacheBudget) {
      cache.erase(cache.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  TrimCache(0);
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
