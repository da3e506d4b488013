// The core's UTF-8 at the edge of the Win32 API: UTF-16 for the wide calls of the NT family,
// the ANSI code page for the 95 family (which has the A calls only). The conversion functions
// need no C runtime (the reload program uses them); the std::string helpers below are for the
// menu program. Only platform/win32 and reload/ include this.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win32_system_library.h"

// True on the NT family, whose wide calls take any text; false on the 95 family.
inline bool WideSystem() { return (GetVersion() & 0x80000000u) == 0; }

// The two conversions are defined here, inline: the reload program, which links no C++
// runtime, uses them.
namespace win32_text_detail {

constexpr unsigned kReplacement = 0xFFFD;

// The code point at utf8[*at] (advancing *at past it); U+FFFD for a byte that starts no
// well-formed sequence (*at then advances by one).
inline unsigned NextCode(const unsigned char* utf8, int length, int* at) {
  const unsigned c = utf8[*at];
  ++*at;
  if (c < 0x80) return c;
  int more = 0;
  unsigned least = 0;
  unsigned code = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    more = 1, least = 0x80, code = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    more = 2, least = 0x800, code = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    more = 3, least = 0x10000, code = c & 0x07;
  } else {
    return kReplacement;
  }
  if (more > length - *at) return kReplacement;
  for (int k = 0; k < more; ++k) {
    const unsigned next = utf8[*at + k];
    if ((next & 0xC0) != 0x80) return kReplacement;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kReplacement;
  *at += more;
  return code;
}

}  // namespace win32_text_detail

// UTF-8 (length bytes; -1: up to its NUL) as UTF-16 in out, cut to size - 1 units (never
// inside a surrogate pair) and terminated; returns the units placed. Bytes that are no UTF-8
// become U+FFFD. size 0 places nothing.
inline int Utf8ToWide(const char* utf8, int length, wchar_t* out, int size) {
  if (out == nullptr || size <= 0) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8 != nullptr ? utf8 : "");
  if (length < 0) {
    length = 0;
    while (bytes[length] != 0) ++length;
  }
  int placed = 0;
  for (int at = 0; at < length;) {
    const unsigned code = win32_text_detail::NextCode(bytes, length, &at);
    const int units = code >= 0x10000 ? 2 : 1;
    if (placed + units > size - 1) break;
    if (units == 2) {
      out[placed++] = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
      out[placed++] = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out[placed++] = static_cast<wchar_t>(code);
    }
  }
  out[placed] = 0;
  return placed;
}

// UTF-16 (length units; -1: up to its NUL) as UTF-8 in out, cut to size - 1 bytes (never inside
// a sequence) and terminated; returns the bytes placed. Unpaired surrogates become U+FFFD.
inline int WideToUtf8(const wchar_t* wide, int length, char* out, int size) {
  if (out == nullptr || size <= 0) return 0;
  if (wide == nullptr) length = 0;
  if (length < 0) {
    length = 0;
    while (wide[length] != 0) ++length;
  }
  int placed = 0;
  for (int at = 0; at < length;) {
    unsigned code = static_cast<unsigned short>(wide[at++]);
    if (code >= 0xD800 && code <= 0xDBFF && at < length &&
        static_cast<unsigned short>(wide[at]) >= 0xDC00 &&
        static_cast<unsigned short>(wide[at]) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned short>(wide[at++]) - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = win32_text_detail::kReplacement;
    }
    const int bytes = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (placed + bytes > size - 1) break;
    if (bytes == 1) {
      out[placed++] = static_cast<char>(code);
      continue;
    }
    static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    out[placed++] = static_cast<char>(kLead[bytes] | (code >> (6 * (bytes - 1))));
    for (int k = bytes - 2; k >= 0; --k) {
      out[placed++] = static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
    }
  }
  out[placed] = 0;
  return placed;
}

// A wide function of a module the program has loaded, found at run time, so that the program
// imports no wide function the 95 family lacks. Called only where WideSystem() holds.
#define QUOREL_WIDE(module, name) \
  (SystemFunction<decltype(&::name)>(GetModuleHandleA(module), #name))

// --- For the menu program (C++ runtime) --------------------------------------------------------

std::wstring WideOf(const char* utf8, int length = -1);
std::string Utf8OfWide(const wchar_t* wide, int length = -1);
// UTF-8 in the ANSI code page (characters it lacks become '?'), for the A calls.
std::string AnsiOf(const char* utf8, int length = -1);
// ANSI code-page text as UTF-8.
std::string Utf8OfAnsi(const char* ansi, int length = -1);
// Whether every character of utf8 has a place in the ANSI code page.
bool FitsAnsiCodePage(const char* utf8);
// A text result placed as an A call places it: the count of bytes when text fits in size
// (terminated), else the size needed (count + 1) with out untouched.
uint32_t PlaceText(const std::string& text, char* out, uint32_t size);
