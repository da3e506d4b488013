// The one helper that copies text into a fixed buffer: cut to fit, always terminated.
// Header-only and free of any OS dependency, so core and backends share it.
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most size - 1 characters of src into dst and terminates it.
// Returns the number of characters copied. size 0 leaves dst untouched;
// a null src is taken as the empty text.
inline size_t CopyText(char* dst, size_t size, const char* src) {
  if (dst == nullptr || size == 0) return 0;
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < size && src[n] != '\0') ++n;
    std::memmove(dst, src, n);
  }
  dst[n] = '\0';
  return n;
}

// Same, for a text of known length that need not be terminated.
inline size_t CopyTextN(char* dst, size_t size, const char* src, size_t length) {
  if (dst == nullptr || size == 0) return 0;
  size_t n = (src == nullptr) ? 0 : (length < size - 1 ? length : size - 1);
  if (n > 0) std::memmove(dst, src, n);
  dst[n] = '\0';
  return n;
}
