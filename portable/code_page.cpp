// Conversion of Western Windows code-page bytes to UTF-8, and the UTF-8 sequence rule. Standard
// library only.
#include "portable/code_page.h"

#include <cstdint>

namespace {

constexpr uint16_t kExtras[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

std::string CodePageToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    const uint32_t code = (byte >= 0x80 && byte < 0xA0) ? kExtras[byte - 0x80] : byte;
    AppendUtf8(code, &out);
  }
  return out;
}

size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  if (c < 0x80) return 1;
  // Lead byte: the count of continuation bytes and the smallest code point it may start.
  size_t more = 0;
  uint32_t least = 0;
  uint32_t point = 0;
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

uint32_t Utf8CodePoint(std::string_view text, size_t at, size_t length) {
  uint32_t code = static_cast<unsigned char>(text[at]);
  if (length <= 1) return code;
  code &= 0x3Fu >> (length - 1);
  for (size_t k = 1; k < length; ++k) code = (code << 6) | (text[at + k] & 0x3F);
  return code;
}
