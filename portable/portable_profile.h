// The portable INI store: the Windows profile calls' results, counts and cutting, from standard
// C++ file access only. Built for Linux and for Windows (to compare it with the real calls).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Value of key in the first section named section, cut to size - 1 characters and terminated;
// returns the count placed. Names match without regard to ASCII case, after leading and
// trailing spaces (only spaces) of the arguments are removed; an empty name is a name like any
// other ("[]" is the empty section, "=v" a key with the empty name). Blanks around the value
// and one outer pair of matching ' or " are removed. When the file, section or key is missing,
// or section, key or file is null or file is empty, the default without its trailing spaces is
// placed (a null default is ""). size 0 returns 0 and leaves out untouched. A file name
// without '\' or '/' means the Windows directory. Every call reads the file as it is then (inside
// a read batch: as it was at the batch's first read of it). A file larger than 64 MiB reads as
// one that cannot be opened.
uint32_t PortableReadProfileString(const char* section, const char* key, const char* defaultValue,
                                   char* out, uint32_t size, const char* file);

// Every entry line of the first section named section as "key=value" (key and value without
// surrounding blanks, quotes kept) or, for a line without '=', the line itself; comment and
// blank lines are left out. Each entry is followed by a NUL and the list by one more NUL;
// returns the count without that final NUL. When the list does not fit, it is cut so the block
// still ends with two NULs and size - 2 is returned. A missing or empty section places one NUL
// and returns 0; size 0 returns 0 and leaves out untouched.
uint32_t PortableReadProfileSection(const char* section, char* out, uint32_t size,
                                    const char* file);

// Sets key=value in the first section named section (argument spaces removed as for reads),
// keeping the spelling of names already in the file; a new key goes after the section's last
// entry line, a new section at the end of the file, with CRLF line ends. A null value deletes
// the key, a null key deletes every section of that name (comment and blank lines stay).
// Every other byte of the file is kept. The new content replaces the file only once it is
// completely written. Returns 1, or 0 when section or file is null, file is empty, a name or
// the value holds a CR or LF, or the file cannot be read or written.
int PortableWriteProfileString(const char* section, const char* key, const char* value,
                               const char* file);

// A read batch: one operation's many reads of a few files (loading one definition file) on the
// calling thread. Its first read of a file reads it as every call does; later reads of that
// file in the batch answer from what that read found instead of reading the file again, so the
// operation sees each file in one state, the one it found first. A change that another program
// makes meanwhile is seen by the first read after the batch ends, as if it had come just after
// the operation. A write through the store makes the next read of the file it writes read it
// again. Batches nest; the outermost End ends the batch. A Begin without its End leaves the
// thread's reads answering from old copies, so callers hold a batch in a scope object.
void PortableBeginReadBatch();
void PortableEndReadBatch();

// One line of an INI text as the store reads it, for tools that point authors at lines.
enum class PortableLineKind { kBlank, kComment, kSection, kKey, kText };
struct PortableLine {
  uint32_t number;  // from 1; CR, LF and CRLF each end a line
  PortableLineKind kind;
  std::string_view name;   // section name, key, or the whole text of a line without '='
  std::string_view value;  // kKey: the value, blanks removed, quotes kept
  size_t length;           // bytes of the line without its end
};
// Every line of content (a file's bytes) as the reads above classify it; views point into
// content. A leading UTF-8 byte order mark is skipped as by the reads.
std::vector<PortableLine> PortableListLines(std::string_view content);
