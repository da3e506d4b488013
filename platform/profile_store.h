// The INI store: reads and writes of definition and session files with the
// observable contract of the Windows profile calls. No OS headers here.
#pragma once

#include <cstdint>

// Value of key in section, cut to size - 1 characters and terminated; returns
// the count placed. A missing file, section or key places the default, without its trailing spaces
// (a null default is ""). size 0 returns 0 and leaves out untouched. Names match without regard to
// case; blanks around values and one outer pair of matching quotes are removed. A file name without
// '\' or '/' means the Windows directory.
uint32_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                           char* out, uint32_t size, const char* file);

// The section's lines as "key=value" texts, each followed by a NUL, the list
// ended by one more NUL. Cut so the block still ends with two NULs; returns the
// count without the final NUL (0 and a leading NUL for a missing or empty section).
uint32_t ReadProfileSection(const char* section, char* out, uint32_t size, const char* file);

// Creates or replaces key=value, creating section and file as needed. A null
// value deletes the key; a null key deletes the section. Returns 1 or 0.
int WriteProfileValue(const char* section, const char* key, const char* value, const char* file);

// Opens and closes a read batch on the calling thread: one operation's reads (loading one
// definition file), during which a store may answer from a file as it read it earlier in the
// batch, so the operation sees each file in the state it first found. A change by another
// program is seen by the first read after the batch. Batches nest; hold one in a scope object
// so that its End is never missed.
void BeginProfileBatch();
void EndProfileBatch();
