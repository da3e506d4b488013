// The one rule for letter case in names: section and key names, verbs and file names compare
// with 'A'..'Z' folded to 'a'..'z' and every other byte as it is (the system folds by its code
// page, which byte-oriented code cannot know). Header-only and free of any OS dependency, so
// the core, portable/, the backends and the tools share it.
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
