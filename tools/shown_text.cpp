// Cutting and escaping of texts the tool prints.
#include "tools/shown_text.h"

#include <cstdio>

#include "portable/code_page.h"

namespace {

// Length of the valid UTF-8 sequence at text[at], 0 when there is none.
size_t SequenceLength(std::string_view text, size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  if (c < 0x80) return 1;
  size_t more = 0;
  unsigned long least = 0;
  unsigned long point = 0;
  if (c >= 0xc2 && c <= 0xdf) {
    more = 1, least = 0x80, point = c & 0x1f;
  } else if (c >= 0xe0 && c <= 0xef) {
    more = 2, least = 0x800, point = c & 0x0f;
  } else if (c >= 0xf0 && c <= 0xf4) {
    more = 3, least = 0x10000, point = c & 0x07;
  } else {
    return 0;
  }
  if (more > text.size() - at - 1) return 0;
  for (size_t k = 1; k <= more; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xc0) != 0x80) return 0;
    point = (point << 6) | (next & 0x3f);
  }
  if (point < least || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff)) return 0;
  return more + 1;
}

void AppendEscape(const char* format, unsigned value, std::string* out) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, value);
  *out += escape;
}

}  // namespace

std::string CutPiece(std::string_view text, size_t limit) {
  if (text.size() <= limit) return std::string(text);
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
  return std::string(text.substr(0, end)) + "...";
}

std::string TerminalSafe(std::string_view text, bool keepLineBreaks) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = SequenceLength(text, i);
    const auto c = static_cast<unsigned char>(text[i]);
    if (length == 0) {
      AppendEscape("\\x%02x", c, &out);
      ++i;
    } else if ((c < 0x20 && !(c == '\n' && keepLineBreaks)) || c == 0x7f) {
      AppendEscape("\\x%02x", c, &out);
      ++i;
    } else if (c == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
      // U+0080 to U+009F: C1 controls, which terminals act on as ESC sequences.
      AppendEscape("\\u%04x", static_cast<unsigned char>(text[i + 1]), &out);
      i += 2;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string ShownUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = SequenceLength(text, i);
    if (length == 0) return CodePageToUtf8(text);
    i += length;
  }
  return std::string(text);
}

std::string Counted(size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}
