// Tests of reading a file's bytes as UTF-8: one table of files and the text, encoding and
// replaced lines read from them.
#include "portable/text_decoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// UTF-16LE bytes of ASCII text, for readable table rows.
std::string Wide(const std::string& ascii) {
  std::string out;
  for (const char c : ascii) out += std::string(1, c) + '\0';
  return out;
}

TEST(TextDecodingTest, FilesReadAsUtf8) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
    TextEncoding encoding;
    uint32_t codePage;
    std::vector<uint32_t> replacedLines;
  } cases[] = {
      {"ASCII stays", "[s]\r\nk=v\r\n", "[s]\r\nk=v\r\n", TextEncoding::kAscii, 0, {}},
      {"empty file", "", "", TextEncoding::kAscii, 0, {}},
      {"UTF-8 without BOM", "k=\xD0\x9F\xCE\xB1", "k=\xD0\x9F\xCE\xB1", TextEncoding::kUtf8, 0, {}},
      {"UTF-8 with BOM", "\xEF\xBB\xBFk=\xC3\xA9", "k=\xC3\xA9", TextEncoding::kUtf8Bom, 0, {}},
      {"lone UTF-8 BOM", "\xEF\xBB\xBF", "", TextEncoding::kUtf8Bom, 0, {}},
      {"invalid UTF-8 after a BOM: each bad byte is U+FFFD, on its line",
       "\xEF\xBB\xBFok\r\nx=\xC3(\n\xE2\x82\ry\xF5",
       "ok\r\nx=\xEF\xBF\xBD(\n\xEF\xBF\xBD\xEF\xBF\xBD\ry\xEF\xBF\xBD",
       TextEncoding::kUtf8Bom,
       0,
       {2, 3, 4}},
      {"UTF-16LE with BOM",
       "\xFF\xFE" + Wide("k=") + "\x1F\x04\xB1\x03\x3D\xD8\x00\xDE"s,
       "k=\xD0\x9F\xCE\xB1\xF0\x9F\x98\x80",
       TextEncoding::kUtf16Bom,
       0,
       {}},
      {"lone UTF-16 BOM", "\xFF\xFE", "", TextEncoding::kUtf16Bom, 0, {}},
      {"odd-length UTF-16: the last byte is U+FFFD",
       "\xFF\xFE" + Wide("a\r\nb") + "c",
       "a\r\nb\xEF\xBF\xBD",
       TextEncoding::kUtf16Bom,
       0,
       {2}},
      {"UTF-16 NUL inside a line is kept for the reader",
       "\xFF\xFE" + Wide("k=a") + Wide("\0b"s),
       "k=a\0b"s,
       TextEncoding::kUtf16Bom,
       0,
       {}},
      {"unpaired surrogates are U+FFFD",
       "\xFF\xFE\x00\xD8"s + Wide("x") + "\x00\xDC"s,
       "\xEF\xBF\xBDx\xEF\xBF\xBD",
       TextEncoding::kUtf16Bom,
       0,
       {1}},
      {"Windows-1252: invalid as UTF-8",
       "k=caf\xE9\x80",
       "k=caf\xC3\xA9\xE2\x82\xAC",
       TextEncoding::kAnsi,
       0,
       {}},
      {"Windows-1252 bytes that look like a UTF-8 lead byte",
       "k=\xC3 \xE2\x80",
       "k=\xC3\x83 \xC3\xA2\xE2\x82\xAC",
       TextEncoding::kAnsi,
       0,
       {}},
      {"declared code page 1251",
       "[global]\r\nCodePage = 1251\r\n[m]\r\nk=\xCF\xF0",
       "[global]\r\nCodePage = 1251\r\n[m]\r\nk=\xD0\x9F\xD1\x80",
       TextEncoding::kAnsi,
       1251,
       {}},
      {"declared code page 1253 in a menu section",
       "[Menu]\ncodepage=1253\nk=\xC1",
       "[Menu]\ncodepage=1253\nk=\xCE\x91",
       TextEncoding::kAnsi,
       1253,
       {}},
      {"[global] wins over an earlier section",
       "[m]\nCodePage=1253\n[global]\nCodePage=1251\nk=\xC1",
       "[m]\nCodePage=1253\n[global]\nCodePage=1251\nk=\xD0\x91",
       TextEncoding::kAnsi,
       1251,
       {}},
      {"declared code page 932 (double-byte)",
       "[global]\nCodePage=932\nk=\x93\xFA\x96\x7B",
       "[global]\nCodePage=932\nk=\xE6\x97\xA5\xE6\x9C\xAC",
       TextEncoding::kAnsi,
       932,
       {}},
      {"an unknown code page is the system's",
       "[global]\nCodePage=437\nk=\xE9",
       "[global]\nCodePage=437\nk=\xC3\xA9",
       TextEncoding::kAnsi,
       0,
       {}},
      {"a code page does not override valid UTF-8",
       "[global]\nCodePage=1251\nk=\xC3\xA9",
       "[global]\nCodePage=1251\nk=\xC3\xA9",
       TextEncoding::kUtf8,
       0,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DecodedText decoded = DecodeText(c.bytes);
    EXPECT_EQ(decoded.utf8, c.text);
    EXPECT_EQ(decoded.encoding, c.encoding);
    EXPECT_EQ(decoded.codePage, c.codePage);
    EXPECT_EQ(decoded.replacedLines, c.replacedLines);
  }
}

TEST(TextDecodingTest, DeclaredCodePageIsReportedWhereItStands) {
  const DecodedText unknown = DecodeText("; x\r\n[global]\r\nCodePage=12x\r\nk=\xE9");
  EXPECT_EQ(unknown.declaredLine, 3u);
  EXPECT_FALSE(IsKnownCodePage(unknown.declaredCodePage));
  const DecodedText ascii = DecodeText("[Menu]\nCodePage=1251\n");
  EXPECT_EQ(ascii.declaredCodePage, 1251u);
  EXPECT_EQ(ascii.declaredLine, 2u);
}

}  // namespace
