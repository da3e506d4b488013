// Telling a file's encoding from its bytes and reading it as UTF-8. Standard library and the
// ANSI conversion seam only.
#include "portable/text_decoding.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_text.h"
#include "platform/ascii_case.h"
#include "portable/code_page.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t at = 0; at < bytes.size();) {
    // Runs of ASCII are the common case: skip them without the sequence rule.
    if (static_cast<unsigned char>(bytes[at]) < 0x80) {
      ++at;
      continue;
    }
    const size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

// UTF-8 with bad bytes replaced; offsets in the result of the replacements go to replaced.
std::string RepairUtf8(std::string_view bytes, std::vector<size_t>* replaced) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      if (replaced != nullptr && replaced->size() < kMaxReplacedLines) {
        replaced->push_back(out.size());
      }
      out += kReplacement;
      ++at;
    } else {
      out.append(bytes, at, length);
      at += length;
    }
  }
  return out;
}

// Line numbers (from 1) of the given offsets of text, ascending; CR, LF and CRLF end lines.
std::vector<uint32_t> LinesOf(std::string_view text, const std::vector<size_t>& offsets) {
  std::vector<uint32_t> lines;
  uint32_t line = 1;
  size_t at = 0;
  for (const size_t offset : offsets) {
    for (; at < offset && at < text.size(); ++at) {
      if (text[at] == '\n' ||
          (text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] != '\n'))) {
        ++line;
      }
    }
    if (lines.empty() || lines.back() != line) lines.push_back(line);
  }
  return lines;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\v')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\v')) {
    s.remove_suffix(1);
  }
  return s;
}

// The CodePage key's value and line: the one in [global] wins, else the first in any section.
// The lines are split as the INI store splits them; code-page bytes above 0x7F are never
// mistaken for the ASCII of a header or this key, since every code page allowed keeps
// '[', ']', '=' and letters in lead-byte position as ASCII.
void FindDeclaredCodePage(std::string_view text, DecodedText* decoded) {
  // Most files name no code page: look for the word before splitting any line.
  bool mentioned = false;
  for (size_t at = text.find_first_of("cC"); at != std::string_view::npos && !mentioned;
       at = text.find_first_of("cC", at + 1)) {
    mentioned = SameName(text.substr(at, 8), "codepage");
  }
  if (!mentioned) return;
  bool inGlobal = false;
  bool haveSection = false;
  uint32_t number = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    ++number;
    std::string_view line = TrimBlanks(text.substr(at, end - at));
    line = line.substr(0, line.find('\0'));
    at = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);
    if (!line.empty() && line.front() == '[') {
      inGlobal = SameName(TrimBlanks(line.substr(1, line.find(']') - 1)), "global");
      haveSection = true;
      continue;
    }
    const size_t eq = line.find('=');
    if (!haveSection || eq == std::string_view::npos) continue;
    if (!SameName(TrimBlanks(line.substr(0, eq)), "codepage")) continue;
    if (decoded->declaredLine != 0 && !inGlobal) continue;  // a first one outside [global] stays
    uint32_t value = 0;
    for (const char c : TrimBlanks(line.substr(eq + 1))) {
      if (c < '0' || c > '9' || value > 99999) {
        value = UINT32_MAX;  // not a number: unknown
        break;
      }
      value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    decoded->declaredCodePage = value;
    decoded->declaredLine = number;
    if (inGlobal) return;
  }
}

}  // namespace

bool IsKnownCodePage(uint32_t codePage) {
  switch (codePage) {
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
      return true;
    default:
      return codePage >= 1250 && codePage <= 1258;
  }
}

std::string Utf16LeToUtf8(std::string_view bytes, std::vector<size_t>* replaced) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&bytes](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]) |
                                 (static_cast<unsigned char>(bytes[at + 1]) << 8));
  };
  auto replace = [&out, replaced] {
    if (replaced != nullptr && replaced->size() < kMaxReplacedLines)
      replaced->push_back(out.size());
    out += kReplacement;
  };
  size_t at = 0;
  for (; at + 1 < bytes.size(); at += 2) {
    const uint32_t code = unit(at);
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code >= 0xD800 && code <= 0xDBFF && at + 3 < bytes.size() &&
               unit(at + 2) >= 0xDC00 && unit(at + 2) <= 0xDFFF) {
      AppendUtf8(0x10000 + ((code - 0xD800) << 10) + (unit(at + 2) - 0xDC00), &out);
      at += 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      replace();
    } else {
      AppendUtf8(code, &out);
    }
  }
  if (at < bytes.size()) replace();  // an odd last byte
  return out;
}

std::string ValidUtf8(std::string_view text) {
  return IsValidUtf8(text) ? std::string(text) : RepairUtf8(text, nullptr);
}

DecodedText DecodeText(std::string_view bytes) {
  DecodedText decoded;
  std::vector<size_t> replaced;
  if (bytes.substr(0, 2) == kUtf16LeBom) {
    decoded.encoding = TextEncoding::kUtf16Bom;
    decoded.utf8 = Utf16LeToUtf8(bytes.substr(2), &replaced);
  } else if (bytes.substr(0, 3) == kUtf8Bom) {
    decoded.encoding = TextEncoding::kUtf8Bom;
    decoded.utf8 = RepairUtf8(bytes.substr(3), &replaced);
  } else if (IsAscii(bytes)) {
    decoded.utf8.assign(bytes);
  } else if (IsValidUtf8(bytes)) {
    decoded.encoding = TextEncoding::kUtf8;
    decoded.utf8.assign(bytes);
  } else {
    decoded.encoding = TextEncoding::kAnsi;
  }
  FindDeclaredCodePage(decoded.encoding == TextEncoding::kAnsi ? bytes : decoded.utf8, &decoded);
  if (decoded.encoding == TextEncoding::kAnsi) {
    decoded.codePage = IsKnownCodePage(decoded.declaredCodePage) ? decoded.declaredCodePage : 0;
    decoded.utf8 = AnsiToUtf8(decoded.codePage, bytes);
  }
  decoded.replacedLines = LinesOf(decoded.utf8, replaced);
  return decoded;
}

std::string EncodingName(const DecodedText& decoded) {
  switch (decoded.encoding) {
    case TextEncoding::kAscii:
      return "ASCII";
    case TextEncoding::kUtf8:
      return "UTF-8";
    case TextEncoding::kUtf8Bom:
      return "UTF-8 with BOM";
    case TextEncoding::kUtf16Bom:
      return "UTF-16LE with BOM";
    case TextEncoding::kAnsi:
      break;
  }
  const uint32_t codePage = decoded.codePage != 0 ? decoded.codePage : SystemCodePage();
  return "code page " + std::to_string(codePage) +
         (decoded.codePage == 0 ? " (the system's)" : " (declared)");
}
