// The start-up files `dist` writes (autorun.inf, autorun.sh) and the names and labels an ISO
// 9660 image can hold.
#include <cstdint>
#include <string>

#include "tools/dist_disc.h"

namespace {

// Windows-1252 code points of 0x80-0x9F; 0 where the code page has none.
constexpr uint16_t kHighPage[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The next code point of text at *i, or -1 for a malformed sequence (one byte skipped).
int32_t NextCodePoint(const std::string& text, size_t* i) {
  const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(*i);
  int length = lead < 0x80         ? 1
               : (lead >> 5) == 6  ? 2
               : (lead >> 4) == 14 ? 3
               : (lead >> 3) == 30 ? 4
                                   : 0;
  if (length == 0 || *i + length > text.size()) {
    ++*i;
    return -1;
  }
  int32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((byte(*i + k) & 0xC0) != 0x80) {
      ++*i;
      return -1;
    }
    code = (code << 6) | (byte(*i + k) & 0x3F);
  }
  *i += length;
  return code;
}

}  // namespace

std::string Utf8ToCodePageLine(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const int32_t code = NextCodePoint(text, &i);
    if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0)) continue;
    if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
      out += static_cast<char>(code);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 32; ++k) {
      if (kHighPage[k] != 0 && kHighPage[k] == code) mapped = static_cast<char>(0x80 + k);
    }
    out += mapped;
  }
  return out;
}

std::string AutorunInf(const std::string& label) {
  // Line ends inside the label would start keys of their own.
  std::string clean;
  for (const char c : label) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) clean += c;
  }
  if (clean.empty()) clean = "Quorel";
  return "[AutoRun]\r\nopen=quorel.exe\r\nicon=quorel.exe,0\r\nlabel=" + clean +
         "\r\naction=Open the " + clean + " menu\r\n";
}

std::string AutorunScript() {
  // The program is built for x86-64 alone; elsewhere the system would say only "Exec format
  // error". Parameter expansion alone finds the medium's root, so blanks, quotes and even line
  // ends in the mount point cannot split or cut it.
  return "#!/bin/sh\n"
         "# Starts the menu from this medium, with the medium's root as current directory.\n"
         "machine=$(uname -m)\n"
         "if [ \"$machine\" != x86_64 ]; then\n"
         "  echo \"The menu on this medium runs on 64-bit PCs (x86-64) only, not on this "
         "$machine machine.\" >&2\n"
         "  exit 1\n"
         "fi\n"
         "case $0 in\n"
         "  */*) root=${0%/*} ;;\n"
         "  *) root=. ;;\n"
         "esac\n"
         "[ -n \"$root\" ] || root=/\n"
         "cd -- \"$root\" || exit 1\n"
         "exec ./linux/quorel \"$@\"\n";
}

std::string VolumeId(const std::string& label) {
  std::string id;
  for (const char c : label) {
    if (id.size() == 32) break;
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      id += c;
    } else if (c >= 'a' && c <= 'z') {
      id += static_cast<char>(c - 'a' + 'A');
    } else if (!id.empty() && id.back() != '_') {
      id += '_';
    }
  }
  while (!id.empty() && id.back() == '_') id.pop_back();
  return id.empty() ? "QUOREL" : id;
}

std::string JolietProblem(const std::string& name) {
  size_t units = 0;
  for (size_t i = 0; i < name.size();) {
    const int32_t code = NextCodePoint(name, &i);
    if (code < 0) return "is not UTF-8";
    if (code < 0x20) return "holds a control character";
    if (code == '*' || code == ':' || code == ';' || code == '?' || code == '\\')
      return "holds '" + std::string(1, static_cast<char>(code)) + "'";
    units += code > 0xFFFF ? 2 : 1;
  }
  if (units > 64) return "is longer than 64 characters";
  return "";
}
