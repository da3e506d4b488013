// The one helper that copies text into a fixed buffer: cut to fit, always terminated.
// Header-only and free of any OS dependency, so core and backends share it.
#pragma once

#include <cstddef>
#include <cstring>

// Where a cut of text before byte n keeps whole characters, next being the first byte cut off:
// when it continues a UTF-8 sequence, the cut moves back to that sequence's lead byte. Bytes
// that start no sequence count as characters of their own.
inline size_t WholeUtf8Length(const char* text, size_t n, char next) {
  if ((static_cast<unsigned char>(next) & 0xC0) != 0x80) return n;
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto c = static_cast<unsigned char>(text[n - back]);
    if ((c & 0xC0) != 0x80) return c >= 0xC2 && c <= 0xF4 ? n - back : n;
  }
  return n;
}

// Copies at most size - 1 bytes of src into dst, never half a character, and terminates it.
// Returns the number of bytes copied. size 0 leaves dst untouched; a null src is taken as the
// empty text.
inline size_t CopyText(char* dst, size_t size, const char* src) {
  if (dst == nullptr || size == 0) return 0;
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < size && src[n] != '\0') ++n;
    const size_t whole = WholeUtf8Length(src, n, src[n]);
    if (whole < n) n = whole;
    std::memmove(dst, src, n);
  }
  dst[n] = '\0';
  return n;
}

// Same, for a text of known length that need not be terminated.
inline size_t CopyTextN(char* dst, size_t size, const char* src, size_t length) {
  if (dst == nullptr || size == 0) return 0;
  size_t n = (src == nullptr) ? 0 : (length < size - 1 ? length : size - 1);
  if (n < length) n = WholeUtf8Length(src, n, src[n]);
  if (n > 0) std::memmove(dst, src, n);
  dst[n] = '\0';
  return n;
}
