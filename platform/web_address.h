// Which item targets are addresses for the shell rather than files: the one rule for the menu,
// the checker, dist and the launchers. Header-only and free of any OS dependency.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/ascii_case.h"

// A scheme (a letter, then letters, digits, '+', '-' or '.'; two characters at least, so that a
// drive letter is no scheme) followed by "://" and more ("https://...", "ftp://...",
// "file:///..."), or "mailto:" and more. Such a target is handed to the shell as written: no
// full path is made of it and no file is looked for.
inline bool IsWebAddress(std::string_view text) {
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  const auto schemeChar = [&](char c) {
    return letter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  };
  size_t end = 0;
  while (end < text.size() && (end == 0 ? letter(text[end]) : schemeChar(text[end]))) ++end;
  if (end < 2 || end >= text.size() || text[end] != ':') return false;
  const std::string_view rest = text.substr(end + 1);
  if (SameName(text.substr(0, end), "mailto")) return !rest.empty();
  return rest.size() > 2 && rest.substr(0, 2) == "//";
}

inline bool IsWebAddress(const char* target) {
  return target != nullptr && IsWebAddress(std::string_view(target));
}
