// The INI store on Windows: the profile API itself where it reads a file's text right (UTF-16
// files and files in the system's code page: the wide calls on the NT family, the A calls on
// the 95 family), the portable reader for the others (UTF-8 files and files that declare
// their code page, and UTF-16 files on the 95 family). Answers are the core's UTF-8.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/profile_store.h"
#include "platform/win32/win32_text.h"
#include "portable/portable_profile.h"
#include "portable/text_decoding.h"

namespace {

// How a file's bytes are read as UTF-8 (DecodeText), the little the store needs of it.
struct FileKind {
  bool systemReadsIt = true;  // the profile API gives its text right
  bool utf16 = false;
};

// Files the read batch open on this thread has looked at: a load reads a few files hundreds
// of times. Budget: the few files of one load; the batch's end forgets them. Made by the
// outermost Begin (a thread_local with a destructor needs what the 95 family lacks).
using KnownKinds = std::vector<std::pair<std::string, FileKind>>;
thread_local int batchDepth = 0;
thread_local KnownKinds* batchKinds = nullptr;

// The Windows directory joined to a bare name, as the profile API takes such a name.
std::string FullName(const char* file) {
  std::string name(file);
  if (name.find_first_of("\\/") != std::string::npos) return name;
  char dir[MAX_PATH * 3];
  const uint32_t length = GetWindowsDir(dir, sizeof dir);
  if (length == 0 || length >= sizeof dir) return name;
  return std::string(dir, length) + "\\" + name;
}

FileKind KindOf(const char* file) {
  FileKind kind;
  if (file == nullptr || file[0] == '\0') return kind;
  const std::string path = FullName(file);
  if (batchKinds != nullptr) {
    for (const auto& known : *batchKinds) {
      if (known.first == path) return known.second;
    }
  }
  int missing = 0;
  if (std::FILE* stream = OpenFileForReading(path.c_str(), &missing)) {
    // The whole file, up to the store's limit: valid UTF-8 can only be told from all of it.
    std::string bytes;
    char chunk[65536];
    size_t got = 0;
    while (bytes.size() <= (size_t{64} << 20) &&
           (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
      bytes.append(chunk, got);
    }
    std::fclose(stream);
    const DecodedText decoded = DecodeText(bytes);
    kind.utf16 = decoded.encoding == TextEncoding::kUtf16Bom;
    kind.systemReadsIt = decoded.encoding == TextEncoding::kAscii ||
                         (decoded.encoding == TextEncoding::kAnsi && decoded.codePage == 0) ||
                         (kind.utf16 && WideSystem());
  }
  if (batchKinds != nullptr) batchKinds->emplace_back(path, kind);
  return kind;
}

// Wide, or ANSI on the 95 family, forms of the arguments; null stays null.
struct SystemText {
  explicit SystemText(const char* utf8) : isNull(utf8 == nullptr) {
    if (isNull) return;
    if (WideSystem()) {
      wide = WideOf(utf8);
    } else {
      ansi = AnsiOf(utf8);
    }
  }
  const wchar_t* W() const { return isNull ? nullptr : wide.c_str(); }
  const char* A() const { return isNull ? nullptr : ansi.c_str(); }
  bool isNull;
  std::wstring wide;
  std::string ansi;
};

// Text read through the API as UTF-8; *count is the count the call returned.
std::string ReadText(const char* section, const char* key, const char* defaultValue, uint32_t size,
                     const char* file, bool wholeSection, uint32_t* count) {
  const SystemText s(section), k(key), d(defaultValue), f(file);
  if (WideSystem()) {
    std::vector<wchar_t> buffer(size);
    const DWORD units = wholeSection ? QUOREL_WIDE("kernel32.dll", GetPrivateProfileSectionW)(
                                           s.W(), buffer.data(), size, f.W())
                                     : QUOREL_WIDE("kernel32.dll", GetPrivateProfileStringW)(
                                           s.W(), k.W(), d.W(), buffer.data(), size, f.W());
    *count = units;
    return Utf8OfWide(buffer.data(), static_cast<int>(units));
  }
  std::vector<char> buffer(size);
  const DWORD bytes =
      wholeSection ? GetPrivateProfileSectionA(s.A(), buffer.data(), size, f.A())
                   : GetPrivateProfileStringA(s.A(), k.A(), d.A(), buffer.data(), size, f.A());
  *count = bytes;
  std::string utf8;
  // A section list holds NULs: each entry is converted on its own.
  for (DWORD at = 0; at < bytes;) {
    DWORD end = at;
    while (end < bytes && buffer[end] != '\0') ++end;
    utf8 += Utf8OfAnsi(buffer.data() + at, static_cast<int>(end - at));
    if (end < bytes) utf8 += '\0';
    at = end + 1;
  }
  return utf8;
}

// Puts text (UTF-8) at path as UTF-16LE with a byte order mark: written under a new name
// beside it, then moved over it, so a failure leaves the old file. NT family only.
bool ReplaceWithUtf16(const std::string& path, const std::string& text) {
  const std::wstring wide = WideOf(text.data(), static_cast<int>(text.size()));
  const std::wstring target = WideOf(path.c_str());
  const std::wstring temp = target + L".~utf16";
  HANDLE file = QUOREL_WIDE("kernel32.dll", CreateFileW)(
      temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const wchar_t bom = 0xFEFF;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
  bool ok = WriteFile(file, &bom, sizeof bom, &written, nullptr) && written == sizeof bom;
  ok = ok &&
       (bytes == 0 || (WriteFile(file, wide.data(), bytes, &written, nullptr) && written == bytes));
  ok = CloseHandle(file) && ok;
  ok = ok && QUOREL_WIDE("kernel32.dll", MoveFileExW)(temp.c_str(), target.c_str(),
                                                      MOVEFILE_REPLACE_EXISTING);
  if (!ok) QUOREL_WIDE("kernel32.dll", DeleteFileW)(temp.c_str());
  return ok;
}

}  // namespace

uint32_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                           char* out, uint32_t size, const char* file) {
  if (!KindOf(file).systemReadsIt || size == 0 || out == nullptr) {
    return PortableReadProfileString(section, key, defaultValue, out, size, file);
  }
  // A UTF-16 unit is at least one UTF-8 byte, so size units hold all that size bytes can.
  uint32_t count = 0;
  const std::string text = ReadText(section, key, defaultValue, size, file, false, &count);
  // Cut to size - 1 bytes, never inside a character.
  size_t length = text.size() < size ? text.size() : size - 1;
  while (length > 0 && length < text.size() && (text[length] & 0xC0) == 0x80) --length;
  for (size_t i = 0; i < length; ++i) out[i] = text[i];
  out[length] = '\0';
  return static_cast<uint32_t>(length);
}

uint32_t ReadProfileSection(const char* section, char* out, uint32_t size, const char* file) {
  if (!KindOf(file).systemReadsIt || size < 2 || out == nullptr) {
    return PortableReadProfileSection(section, out, size, file);
  }
  uint32_t count = 0;
  std::string block = ReadText(section, nullptr, nullptr, size, file, true, &count);
  // The entries, each with its NUL, then one more NUL; cut so the block ends with two NULs
  // (the call's count of size - 2 says it was cut).
  if (block.empty()) {
    out[0] = out[1] = '\0';
    return 0;
  }
  if (count < size - 2 && block.size() + 1 <= size) {
    for (size_t i = 0; i < block.size(); ++i) out[i] = block[i];
    out[block.size()] = '\0';
    return static_cast<uint32_t>(block.size());
  }
  size_t length = size - 2;
  while (length > 0 && (block[length] & 0xC0) == 0x80) --length;
  for (size_t i = 0; i < length; ++i) out[i] = block[i];
  out[length] = '\0';
  out[length + 1] = '\0';
  return static_cast<uint32_t>(size - 2);
}

int WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
  if (file == nullptr || file[0] == '\0') return 0;
  if (!WideSystem()) {
    const SystemText s(section), k(key), v(value), f(file);
    return WritePrivateProfileStringA(s.A(), k.A(), v.A(), f.A()) ? 1 : 0;
  }
  const bool fits = (section == nullptr || FitsAnsiCodePage(section)) &&
                    (key == nullptr || FitsAnsiCodePage(key)) &&
                    (value == nullptr || FitsAnsiCodePage(value));
  if (!fits && !KindOf(file).utf16) {
    // The wide call writes a file in the ANSI code page unless the file is UTF-16 already:
    // a text outside that code page makes the file UTF-16 first (with BOM), so it is kept.
    const std::string path = FullName(file);
    int missing = 0;
    std::FILE* stream = OpenFileForReading(path.c_str(), &missing);
    if (stream == nullptr && !missing) return 0;
    std::string bytes;
    if (stream != nullptr) {
      char chunk[65536];
      size_t got = 0;
      while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) bytes.append(chunk, got);
      std::fclose(stream);
    }
    if (!ReplaceWithUtf16(path, DecodeText(bytes).utf8)) return 0;
    if (batchKinds != nullptr) batchKinds->clear();
  }
  const SystemText s(section), k(key), v(value), f(file);
  const BOOL ok =
      QUOREL_WIDE("kernel32.dll", WritePrivateProfileStringW)(s.W(), k.W(), v.W(), f.W());
  return ok ? 1 : 0;
}

void BeginProfileBatch() {
  if (batchDepth++ == 0) batchKinds = new (std::nothrow) KnownKinds();
  PortableBeginReadBatch();
}

void EndProfileBatch() {
  PortableEndReadBatch();
  if (batchDepth == 0) return;
  if (--batchDepth != 0) return;
  delete batchKinds;
  batchKinds = nullptr;
}
