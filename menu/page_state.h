// A definition file's page and visited marks, remembered in the session file under a section
// named by PageStateKey. Core headers and platform/*.h only.
#pragma once

#include <cstdint>

#include "menu/menu_page.h"
#include "profile/profile.h"

// Room for the longest key ("ffffffff") and its NUL.
constexpr uint32_t kPageStateKeySize = 9;

// The sum over path's bytes (each read as a signed 8-bit value) of 3 * byte, leaving out bytes
// that are multiples of 9, in signed 32-bit arithmetic that wraps. A null path counts as empty.
int32_t PageStateSum(const char* path);

// PageStateSum(path) as lower-case hexadecimal of its 32-bit two's-complement value, without
// leading zeros ("0" for 0), into out (cut to size - 1 characters). Returns the count placed.
uint32_t PageStateKey(const char* path, char* out, uint32_t size);

// Writes page's number ("Page") and its items' visited marks ("Selected", " %x" per group of 32
// items) under definitionFile's key in sessionFile. The profile names its own file again after.
// An empty sessionFile (a run that keeps no session) writes nothing.
void WritePageState(CProfile& profile, const CMenuPage& page, const char* definitionFile,
                    const char* sessionFile);
// Reads them back into page for the definition file fullPath: the page number unchecked, the
// marks group by group (items past the last group keep theirs). An empty sessionFile gives page 0
// and leaves the marks.
void ReadPageState(CProfile& profile, CMenuPage& page, const char* fullPath,
                   const char* sessionFile);
