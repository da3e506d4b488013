// Texts of definition files (bytes in the Western Windows code page) as UTF-8, for SDL_ttf and
// for output that must be valid Unicode. Standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Bytes below 0x80 stay as they are; 0xA0-0xFF are Latin-1; 0x80-0x9F are the code page's
// extras (the five undefined ones map to the control characters of the same number).
std::string CodePageToUtf8(std::string_view text);

// Length of the well-formed UTF-8 sequence that starts at text[at] (1 for ASCII); 0 when none
// does (a stray or overlong byte, a surrogate, a code point past U+10FFFF, a cut sequence).
size_t Utf8SequenceLength(std::string_view text, size_t at);

// The code point of the well-formed sequence of length bytes (Utf8SequenceLength's) at text[at].
uint32_t Utf8CodePoint(std::string_view text, size_t at, size_t length);

// Appends code point code (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(uint32_t code, std::string* out);
