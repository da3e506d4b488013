// Cutting and escaping of texts the tool prints.
#include "tools/shown_text.h"

#include <cstdio>

#include "portable/code_page.h"
#include "portable/text_decoding.h"

namespace {

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
    const size_t length = Utf8SequenceLength(text, i);
    const auto c = static_cast<unsigned char>(text[i]);
    const bool control = (c < 0x20 && !(c == '\n' && keepLineBreaks)) || c == 0x7f;
    if (length == 0 || control) {
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

std::string ShownUtf8(std::string_view text) { return ValidUtf8(text); }

std::string Counted(size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}
