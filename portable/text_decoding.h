// The text of a definition, include, strings or session file as UTF-8, the one encoding inside
// the core: the file's encoding is told from its own bytes, once, where it is read. Standard
// library and the ANSI conversion seam (platform/ansi_text.h) only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TextEncoding {
  kAscii,     // no byte above 0x7F: read as it stands
  kUtf8,      // valid UTF-8 throughout, no byte order mark
  kUtf8Bom,   // UTF-8 after a byte order mark (invalid sequences become U+FFFD)
  kUtf16Bom,  // UTF-16LE after a byte order mark (Windows "Unicode" files)
  kAnsi,      // anything else: an ANSI code page, the declared one or the system's
};

struct DecodedText {
  std::string utf8;  // the text, byte order mark removed
  TextEncoding encoding = TextEncoding::kAscii;
  // kAnsi: the code page read (0: the system's, Windows-1252 on Linux).
  uint32_t codePage = 0;
  // The value of the file's CodePage key and its line (0, 0: none); an unknown value is kept
  // here too, for the checker, though it changes nothing.
  uint32_t declaredCodePage = 0;
  uint32_t declaredLine = 0;
  // Lines (from 1) on which bytes that are no character of the encoding became U+FFFD, in
  // order, the first kMaxReplacedLines of them.
  std::vector<uint32_t> replacedLines;
};

constexpr size_t kMaxReplacedLines = 64;

// Decides the encoding from the bytes, in this order: a UTF-16LE byte order mark; a UTF-8 one;
// valid UTF-8 holding a byte above 0x7F; pure ASCII; otherwise the code page of the file's
// CodePage key (in [global], else the first section that has one) when it is a known one,
// else the system's. A NUL in a line of a UTF-16 file is kept (the reader ends the line's text
// there, as for other files); an odd last byte and unpaired surrogates become U+FFFD.
DecodedText DecodeText(std::string_view bytes);

// Code pages a file may declare: 874, 932, 936, 949, 950 and 1250 to 1258.
bool IsKnownCodePage(uint32_t codePage);

// "UTF-8", "UTF-8 with BOM", "UTF-16LE with BOM", "ASCII" or "code page N" (N the code page
// read, the system's when none is declared), for authors.
std::string EncodingName(const DecodedText& decoded);

// UTF-16LE bytes as UTF-8 (an odd last byte and unpaired surrogates become U+FFFD); offsets in
// out of those replacements go to replaced when it is not null.
std::string Utf16LeToUtf8(std::string_view bytes, std::vector<size_t>* replaced = nullptr);

// UTF-8 with every byte that starts no well-formed sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);
