// Trimming of one or two given characters at either end of a text (CProfile::ExpandText is
// declared in profile.h). Standard library only.
#pragma once

// First character of text that is neither c1 nor (when c2 is not NUL) c2; the terminating NUL
// when there is none. Null text gives null.
const char* SkipLeading(const char* text, char c1, char c2);
inline char* SkipLeading(char* text, char c1, char c2) {
  return const_cast<char*>(SkipLeading(static_cast<const char*>(text), c1, c2));
}

// Overwrites with NUL, from the end backwards, every c1 or (when c2 is not NUL) c2, stopping at
// the first other character. Returns how many were removed; c1 NUL or null text gives 0.
int TrimTrailing(char* text, char c1, char c2);
