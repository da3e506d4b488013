// The one rule for letter case in names (sections, keys, verbs, file names): 'A'..'Z' fold to
// 'a'..'z', every other byte stays, as byte-oriented code cannot know the system's code page.
// Header-only and free of any OS dependency: the core, portable/, backends and tools share it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// c with 'A'..'Z' made lower case; every other byte unchanged.
constexpr char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether a and b are the same name: equal length, equal bytes once folded.
constexpr bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// text with every 'A'..'Z' made lower case, for comparing and keying names as the rule does.
inline std::string FoldedName(std::string text) {
  for (char& c : text) c = FoldAscii(c);
  return text;
}
