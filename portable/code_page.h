// Texts of definition files (bytes in the Western Windows code page) as UTF-8, for SDL_ttf and
// for output that must be valid Unicode. Standard library only.
#pragma once

#include <string>
#include <string_view>

// Bytes below 0x80 stay as they are; 0xA0-0xFF are Latin-1; 0x80-0x9F are the code page's
// extras (the five undefined ones map to the control characters of the same number).
std::string CodePageToUtf8(std::string_view text);
