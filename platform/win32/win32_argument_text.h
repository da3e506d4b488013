// A program's argument text, taken from its whole command line as the usual start-up code
// hands it to WinMain: for the menu program (from the wide command line) and the reload
// program. No C runtime: the reload program has none.
#pragma once

// The text after the program's own name (quoted, or up to the first blank) and the blanks
// that follow it; the rest is one argument, blanks and all (a session file path may hold
// them). Never null for a command line that is not null.
inline const char* ReloadArgumentText(const char* commandLine) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p > ' ') ++p;
  }
  while (*p != '\0' && *p <= ' ') ++p;
  return reinterpret_cast<const char*>(p);
}
