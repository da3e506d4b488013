// %name% expansion from the string sections and include files (CProfile::ExpandText), and the
// trimming helpers. OS access only through platform/file_system.h and the CProfile reads.
#include "profile/expand.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/copy_text.h"
#include "platform/file_system.h"
#include "profile/profile.h"

namespace {

// Values, include paths and the nested expansion all use 260-byte buffers.
constexpr uint32_t kValueSize = 260;
// Names this long or longer are never looked up in an include file.
constexpr size_t kMaxIncludeNameLength = 30;
// Include files may name each other; after this many nested include files a name counts as
// unresolved, so such a cycle ends with the "???" text instead of recursing without end.
constexpr int kMaxIncludeDepth = 8;

bool Matches(char c, char c1, char c2) { return c == c1 || (c2 != '\0' && c == c2); }

void Unresolved(const char* reference, char* value) {
  std::snprintf(value, kValueSize, "???%s", reference);
}

}  // namespace

const char* SkipLeading(const char* text, char c1, char c2) {
  if (text == nullptr) return nullptr;
  while (*text != '\0' && Matches(*text, c1, c2)) ++text;
  return text;
}

int TrimTrailing(char* text, char c1, char c2) {
  if (text == nullptr || c1 == '\0') return 0;
  size_t length = std::strlen(text);
  int removed = 0;
  while (length > 0 && Matches(text[length - 1], c1, c2)) {
    text[--length] = '\0';
    ++removed;
  }
  return removed;
}

uint32_t CProfile::ExpandText(char* out, uint32_t size, const char* text) {
  return ExpandAtDepth(out, size, text, 0);
}

uint32_t CProfile::ExpandAtDepth(char* out, uint32_t size, const char* text, int depth) {
  if (text == nullptr || out == nullptr || size == 0) return 0;
  // A private copy, so out may be the text itself.
  const std::string copy(text);
  const char* current = copy.c_str();
  while (*current == ' ') ++current;  // spaces only; a leading tab stays

  uint32_t remaining = size;
  char* write = out;
  char next = '\0';  // the first byte a full buffer cut off
  while (remaining > 1 && *current != '\0') {
    if (*current != '%') {
      *write++ = *current++;
      --remaining;
      continue;
    }
    // A '%' without a closing one drops itself and the rest of the text.
    const char* close = std::strchr(current + 1, '%');
    if (close == nullptr) break;
    const std::string name(current + 1, close);
    const std::string reference(current, close + 1);
    char value[kValueSize];
    ResolveName(name.c_str(), reference.c_str(), value, depth);
    // A value is copied as it is: references inside it are not expanded again.
    const char* v = value;
    for (; *v != '\0' && remaining > 1; ++v) {
      *write++ = *v;
      --remaining;
    }
    next = *v;
    current = close + 1;
  }
  if (remaining <= 1 && next == '\0') next = *current;
  // A full buffer may have cut a character of the text or of a value: the cut keeps whole ones.
  write = out + WholeUtf8Length(out, static_cast<size_t>(write - out), next);
  *write = '\0';
  return static_cast<uint32_t>(write - out);
}

void CProfile::ResolveName(const char* name, const char* reference, char* value, int depth) {
  // A key present with an empty value counts as missing at every step.
  if (GetSectionString(stringSectionName, name, "", value, kValueSize) != 0) return;
  if (GetSectionString("String", name, "", value, kValueSize) != 0) return;
  if (std::strlen(name) > kMaxIncludeNameLength || depth >= kMaxIncludeDepth) {
    Unresolved(reference, value);
    return;
  }
  char include[kValueSize];
  if (GetSectionString(stringSectionName, "#include", "", include, kValueSize) != 0 &&
      ExpandFromInclude(include, reference, value, depth) != 0) {
    return;  // a usable first include file always decides
  }
  if (GetSectionString("String", "#include", "", include, kValueSize) != 0 &&
      ExpandFromInclude(include, reference, value, depth) != 0) {
    return;
  }
  Unresolved(reference, value);
}

int CProfile::ExpandFromInclude(const char* includeName, const char* reference, char* value,
                                int depth) {
  char fullPath[kValueSize];
  const uint32_t length = FullPathOf(includeName, fullPath, kValueSize);
  if (length == 0 || length >= kValueSize) CopyText(fullPath, kValueSize, includeName);

  char saved[kPathSize];
  GetFile(saved, kPathSize);
  if (SetFile(fullPath, 1) == 0) return 0;  // missing or empty include files are passed over
  const uint32_t count = ExpandAtDepth(value, kValueSize, reference, depth + 1);
  // Switching back must not depend on the file still having data: filePath is restored
  // whatever happened to the file meanwhile.
  SetFile(saved, 0);
  return count != 0 ? 1 : 0;
}
