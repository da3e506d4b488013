// Read cases for the INI store: file bytes, one call, and the exact bytes and count it must give.
// Shared by the portable store's tests and by a comparison with the real profile calls.
// Standard headers only.
#pragma once

#include <cstdint>
#include <string_view>

namespace profile_store_cases {

using namespace std::string_view_literals;

enum class ProfileCall {
  kString,   // ReadProfileString(section, key, defaultValue, out, size, file)
  kSection,  // ReadProfileSection(section, out, size, file)
};

enum CaseFlags : unsigned {
  kPlain = 0,
  kWineDiffers = 1,   // Windows gives this result, Wine another: leave out when comparing
  kPortableOnly = 2,  // the portable store's own choice (Windows differs or is not known)
  kNoFile = 4,        // the file does not exist (content is ignored)
};

struct ProfileCase {
  const char* what;          // shown when the case fails
  std::string_view content;  // bytes of the file
  ProfileCall call;
  const char* section;
  const char* key;           // kString only
  const char* defaultValue;  // kString only
  uint32_t size;             // buffer size passed
  std::string_view placed;   // exact bytes placed into the buffer, terminating NULs included;
                             // the buffer's bytes after them stay untouched
  uint32_t count;            // the result
  unsigned flags;
};

constexpr ProfileCase Str(const char* what, std::string_view content, const char* section,
                          const char* key, const char* defaultValue, uint32_t size,
                          std::string_view placed, uint32_t count, unsigned flags = kPlain) {
  return {what,  content, ProfileCall::kString, section, key, defaultValue, size, placed,
          count, flags};
}

constexpr ProfileCase Sec(const char* what, std::string_view content, const char* section,
                          uint32_t size, std::string_view placed, uint32_t count,
                          unsigned flags = kPlain) {
  return {what,  content, ProfileCall::kSection, section, nullptr, nullptr, size, placed,
          count, flags};
}

// The files of the conformance tests that real Windows passes.
inline constexpr std::string_view kValues =
    "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n"sv;
inline constexpr std::string_view kSections =
    "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[section2]\r\n[section3]\r\n"
    "=val5\r\n"sv;

// clang-format off
inline constexpr ProfileCase kReadCases[] = {
  // Matching
  Str("names match without regard to case", kValues, "SECTION1", "NaMe1", "default", 260, "val1\0"sv, 4),
  Str("duplicate keys: the first wins", "[s]\r\nk=first\r\nk=second\r\n"sv, "s", "k", "default", 260, "first\0"sv, 5),
  Str("duplicate sections: the first is searched", "[s]\r\na=1\r\n[t]\r\n[S]\r\nb=2\r\n"sv, "s", "a", "default", 260, "1\0"sv, 1),
  Str("duplicate sections: the second is not", "[s]\r\na=1\r\n[t]\r\n[S]\r\nb=2\r\n"sv, "s", "b", "default", 260, "default\0"sv, 7),

  // Blanks
  Str("blanks around header, key and value go", "  [ section1 ]  \r\n \t name1 \t= \t val1 \t \r\n"sv, "section1", "name1", "default", 260, "val1\0"sv, 4),
  Str("vertical tab is a blank in the file", "[s]\r\n\vk\v=\vv\v\r\n"sv, "s", "k", "default", 260, "v\0"sv, 1),
  Str("spaces around arguments go", kValues, "  section1  ", " name1 ", "default", 260, "val1\0"sv, 4),
  Str("tab in section argument misses", kValues, "\tsection1", "name1", "default", 260, "default\0"sv, 7, kWineDiffers),
  Str("tab in key argument misses", kValues, "section1", "name1\t", "default", 260, "default\0"sv, 7, kWineDiffers),
  Str("CR in key argument misses", kValues, "section1", "name1\r", "default", 260, "default\0"sv, 7, kWineDiffers),
  Str("LF in section argument misses", kValues, "section1\n", "name1", "default", 260, "default\0"sv, 7, kWineDiffers),
  Str("default loses trailing spaces", kValues, "section1", "none", "default  ", 260, "default\0"sv, 7),
  Str("default keeps leading blanks and a trailing tab", kValues, "section1", "none", "  lead\t", 260, "  lead\t\0"sv, 7),

  // Quotes
  Str("double quotes go", kValues, "section1", "name2", "default", 260, "val2\0"sv, 4),
  Str("single quotes go", "[s]\r\nk='v'\r\n"sv, "s", "k", "default", 260, "v\0"sv, 1),
  Str("blanks inside quotes stay", "[s]\r\nk =  \" a b \"  \r\n"sv, "s", "k", "default", 260, " a b \0"sv, 5),
  Str("only the outer pair goes", "[s]\r\nk=\"\"x\"\"\r\n"sv, "s", "k", "default", 260, "\"x\"\0"sv, 3),
  Str("mismatched quotes stay", "[s]\r\nk=\"x'\r\n"sv, "s", "k", "default", 260, "\"x'\0"sv, 3),
  Str("a lone quote stays", "[s]\r\nk=\"\r\n"sv, "s", "k", "default", 260, "\"\0"sv, 1),
  Str("quotes in a key are part of it", "[s]\r\n\"k\"=v\r\n"sv, "s", "\"k\"", "default", 260, "v\0"sv, 1),
  Str("quoted key is not the bare key", "[s]\r\n\"k\"=v\r\n"sv, "s", "k", "default", 260, "default\0"sv, 7),
  Str("quotes in a section name are part of it", "[\"s\"]\r\nk=v\r\n"sv, "s", "k", "default", 260, "default\0"sv, 7),

  // Comments and odd lines
  Str("a comment line is no key", "[s]\r\n;k=v\r\n"sv, "s", ";k", "default", 260, "default\0"sv, 7, kWineDiffers),
  Str("'#' is ordinary", "[s]\r\n#include=x\r\n"sv, "s", "#include", "default", 260, "x\0"sv, 1),
  Str("';' in a value is literal", "[s]\r\nk=a ;b\r\n"sv, "s", "k", "default", 260, "a ;b\0"sv, 4),
  Str("a value may start with ';'", "[s]\r\nk=;v\r\n"sv, "s", "k", "default", 260, ";v\0"sv, 2),
  Str("a line without '=' is no key", kValues, "section1", "name3", "default", 260, "default\0"sv, 7),
  Str("the empty key name finds \"=val5\"", kSections, "section3", "", "default", 260, "val5\0"sv, 4),
  Str("lines before the first section are not reached", "k=v\r\n[s]\r\nx=1\r\n"sv, "s", "k", "default", 260, "default\0"sv, 7),
  Str("nor with the empty section name", "k=v\r\n[s]\r\nx=1\r\n"sv, "", "k", "default", 260, "default\0"sv, 7, kWineDiffers),
  Str("\"[]\" is reached with the empty name", "k=no\r\n[]\r\nk=yes\r\n"sv, "", "k", "default", 260, "yes\0"sv, 3, kWineDiffers),
  Str("a header ends at the first ']'", "[sec]tail]\r\nk=v\r\n"sv, "sec", "k", "default", 260, "v\0"sv, 1, kWineDiffers),
  Str("the rest of a header line is ignored", "[sec]tail]\r\nk=v\r\n"sv, "sec]tail", "k", "default", 260, "default\0"sv, 7, kWineDiffers),
  Str("a header without ']' still opens a section", "[open\r\nk=v\r\n"sv, "open", "k", "default", 260, "v\0"sv, 1, kWineDiffers),

  // Line ends
  Str("LF line ends", "[s]\nk=v\n"sv, "s", "k", "default", 260, "v\0"sv, 1),
  Str("CR line ends", "[s]\rk=v\r"sv, "s", "k", "default", 260, "v\0"sv, 1),
  Str("mixed line ends, no final one", "[s]\r\na=1\nb=2\rc=3"sv, "s", "c", "default", 260, "3\0"sv, 1),

  // Missing and empty
  Str("missing section gives the default", kValues, "nosection", "name1", "default", 260, "default\0"sv, 7),
  Str("missing key gives the default", kValues, "section1", "nokey", "default", 260, "default\0"sv, 7),
  Str("missing key, null default", kValues, "section1", "nokey", nullptr, 260, "\0"sv, 0),
  Str("empty value is not the default", kSections, "section1", "name2", "default", 260, "\0"sv, 0),
  Str("empty key name with no such key", kValues, "section1", "", "default", 260, "default\0"sv, 7),
  Str("empty section name with no such section", kValues, "", "name1", "default", 260, "default\0"sv, 7),
  Str("missing file gives the default", ""sv, "section1", "name1", "default", 260, "default\0"sv, 7, kNoFile),
  Str("key in a section without keys", kValues, "section2", "name1", "", 260, "\0"sv, 0),

  // Cutting to size
  Str("size 0 places nothing", kValues, "section1", "name1", "default", 0, ""sv, 0),
  Str("value cut to size - 1", kValues, "section1", "name1", "default", 4, "val\0"sv, 3),
  Str("value just fits", kValues, "section1", "name1", "default", 5, "val1\0"sv, 4),
  Str("size 1 holds only the NUL", kValues, "section1", "name4", "default", 1, "\0"sv, 0),
  Str("default cut to size - 1", kValues, "section1", "nokey", "default", 4, "def\0"sv, 3),

  // Section text
  Sec("section lists every entry line", kSections, "section1", 100, "name1=val1\0name2=\0name3\0name4=val4\0\0"sv, 35),
  Sec("section cut still ends with two NULs", kSections, "section1", 24, "name1=val1\0name2=\0name\0\0"sv, 22),
  Sec("section matched without regard to case", kSections, "SECTION3", 100, "=val5\0\0"sv, 6),
  Sec("empty section", kSections, "section2", 100, "\0\0"sv, 0),
  Sec("missing section", kSections, "nosection", 100, "\0\0"sv, 0),
  Sec("section of a missing file", ""sv, "section1", 100, "\0\0"sv, 0, kNoFile),
  Sec("section with size 0", kSections, "section1", 0, ""sv, 0, kWineDiffers),
  Sec("section with size 2", kSections, "section1", 2, "\0\0"sv, 0, kPortableOnly),
  Sec("section of duplicates: the first", "[s]\r\na=1\r\n[S]\r\nb=2\r\n"sv, "s", 100, "a=1\0\0"sv, 4),
  Sec("section text trimmed, quotes kept, comments and blank lines out",
      "[s]\r\n  item = x  \r\n;c\r\n\r\n \t;c2=y\r\n k = \"v\" \r\n  plain line  \r\n"sv, "s", 100,
      "item=x\0k=\"v\"\0plain line\0\0"sv, 24, kPortableOnly),
  Sec("section with CR line ends", "[s]\ra=1\rb\r"sv, "s", 100, "a=1\0b\0\0"sv, 6),

  // Encoding and odd bytes
  Str("a UTF-8 byte order mark is skipped", "\xEF\xBB\xBF[s]\r\nk=v\r\n"sv, "s", "k", "default", 260, "v\0"sv, 1, kPortableOnly),
  Str("UTF-8 passes unchanged", "[s]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n"sv, "s", "k", "default", 260, "Gr\xC3\xBC\xC3\x9F" "e\0"sv, 7),
  Str("only ASCII letters fold", "[s]\r\n\xC3\x84=1\r\n"sv, "s", "\xC3\xA4", "default", 260, "default\0"sv, 7, kPortableOnly),
  Str("a NUL ends the text of its line", "[s]\r\nk=ab\0cd\r\nn=1\r\n"sv, "s", "k", "default", 260, "ab\0"sv, 2, kPortableOnly),
  Str("lines after a NUL are read", "[s]\r\nk=ab\0cd\r\nn=1\r\n"sv, "s", "n", "default", 260, "1\0"sv, 1, kPortableOnly),
  Str("a NUL before the first header", "x\0y\r\n[s]\r\nk=v"sv, "s", "k", "default", 260, "v\0"sv, 1, kPortableOnly),
  // Every file is read as UTF-8 (the portable store's answer; Windows answers in its code page)
  Str("a Windows-1252 byte reads as its character", "[s]\r\nk=caf\xE9\r\n"sv, "s", "k", "default", 260, "caf\xC3\xA9\0"sv, 5, kPortableOnly),
  Str("a declared code page is read", "[global]\r\nCodePage=1251\r\n[s]\r\nk=\xCF\xF0\r\n"sv, "s", "k", "default", 260, "\xD0\x9F\xD1\x80\0"sv, 4, kPortableOnly),
  Str("UTF-16LE with BOM", "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x1F\x04\r\0\n\0"sv, "s", "k", "default", 260, "\xD0\x9F\0"sv, 2, kPortableOnly),
  Str("UTF-16LE: a NUL ends the text of its line", "\xFF\xFE[\0s\0]\0\n\0k\0=\0a\0\0\0b\0\n\0n\0=\0\x31\0"sv, "s", "k", "default", 260, "a\0"sv, 1, kPortableOnly),
  Sec("UTF-16LE: odd length", "\xFF\xFE[\0s\0]\0\n\0k\0=\0v\0x"sv, "s", 100, "k=v\xEF\xBF\xBD\0\0"sv, 7, kPortableOnly),
  Str("a lone UTF-16 BOM is an empty file", "\xFF\xFE"sv, "s", "k", "default", 260, "default\0"sv, 7, kPortableOnly),
  Sec("section text stops each line at a NUL", "[s]\r\nk=ab\0cd\r\nplain\0x=1\r\n"sv, "s", 100, "k=ab\0plain\0\0"sv, 11, kPortableOnly),
};
// clang-format on

}  // namespace profile_store_cases
