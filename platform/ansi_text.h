// Conversion of text in an ANSI code page to UTF-8: iconv on Linux, MultiByteToWideChar on
// Windows. No OS headers here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// bytes in code page codePage (0: the system's; Windows-1252 on Linux) as UTF-8. Bytes that are
// no character there become U+FFFD (on Windows: what the system makes of them).
std::string AnsiToUtf8(uint32_t codePage, std::string_view bytes);

// The code page 0 stands for: the system's ANSI code page (1252 on Linux).
uint32_t SystemCodePage();
