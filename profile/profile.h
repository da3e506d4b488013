// CProfile, the reader of INI-format definition and session files, with the Windows-release
// and country rules for choosing sections. Depends only on the standard library and the
// platform seam headers (profile store, file system, OS information).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/handles.h"
#include "platform/os_info.h"

// The Windows release the program runs on; each has a section-name suffix.
enum WindowsVariant : int32_t {
  VariantOther = 0,  // no suffix
  VariantNT4 = 1,    // ".WINNT4"
  Variant2000 = 2,   // ".WIN2K"
  VariantXP = 3,     // ".WINXP"
  Variant95 = 4,     // ".WIN95"
  Variant98 = 5,     // ".WIN98"
  Variant98SE = 6,   // ".WIN98SE"
  VariantME = 7,     // ".WINME"
};

// Maps a platform id and version numbers to the release they stand for.
WindowsVariant VariantFromVersion(const OsVersion& version);

// Section-name suffix of a variant; "" for any value outside 1 to 7.
const char* VariantSuffix(int32_t variant);

// 1 if path can be opened for reading (read sharing allowed), else 0. Null gives 0.
int FileExists(const char* path);

// Reads "R G B" (decimal, single spaces) into a colour; stores it in *out when out is not
// null and returns it. Each component keeps its low 8 bits; missing or unreadable ones are 0.
ColorRef ParseColor(const char* text, ColorRef* out);

// Lower-cases 'A'..'Z' in place (other bytes stay) and returns the length. Null gives 0.
int LowerAscii(char* text);

class CProfile {
 public:
  static constexpr uint32_t kSectionBufferSize = 32767;
  static constexpr uint32_t kSectionNameSize = 64;
  static constexpr uint32_t kPathSize = ::kPathSize;

  // Detects the variant from the running system; the country is the user's (UserCountryCode),
  // asked once here.
  CProfile();
  // Fixes the variant instead of asking the system (previews of other releases, tests).
  explicit CProfile(WindowsVariant fixedVariant);
  ~CProfile();

  CProfile(const CProfile&) = delete;
  CProfile& operator=(const CProfile&) = delete;

  // Makes path the current file and chooses the string section anew. With mustExist
  // non-zero a file without data is refused: 0 and nothing changes. Null path gives 0.
  int SetFile(const char* path, int mustExist);
  // Copies the current file's path into out (cut to size - 1 characters).
  void GetFile(char* out, uint32_t size) const;

  // Chooses the current section: with withSuffix == 1 the name plus the variant suffix is
  // preferred. 1 if a section with lines was found, else 0 and the section stays.
  int SelectSection(const char* name, int withSuffix);
  void GetSectionName(char* out, uint32_t size) const;

  // Chooses the string section: the given name, or "String.<country>" when name is null.
  // 1 if the file has that section or a "String" section, else 0 and nothing changes.
  int SelectStringSection(const char* name);

  // Reads the current section's lines into sectionBuffer; returns the count (0 if missing).
  uint32_t LoadSection();
  // Releases sectionBuffer; 1 if there was one.
  int FreeSection();
  // The value of the index-th line (from 0) of the loaded section that contains the key in
  // lower case followed by '=' anywhere. 1 and the value (cut) in out, or 0.
  int FindNthKey(const char* key, int32_t index, char* out, uint32_t size) const;

  // Value of key in the current / the named section of the current file, or the default;
  // returns the count placed in out (cut to size - 1 characters).
  uint32_t GetString(const char* key, const char* defaultValue, char* out, uint32_t size) const;
  uint32_t GetSectionString(const char* section, const char* key, const char* defaultValue,
                            char* out, uint32_t size) const;
  // Writes key=value into the named section of the current file; the store's result.
  int PutSectionString(const char* section, const char* key, const char* value);

  // Integer value (atol rules), or the default when the key is missing or empty.
  int32_t GetInt(const char* key, int32_t defaultValue) const;
  int32_t GetSectionInt(const char* section, const char* key, int32_t defaultValue) const;
  int PutSectionInt(const char* section, const char* key, int32_t value);

  // 1 and the parsed colour in *out, or 0 and *out = defaultColor when the key is missing.
  int GetColor(const char* key, ColorRef* out, ColorRef defaultColor) const;

  // Copies the variant's section-name suffix into out.
  void GetVariantSuffix(char* out, uint32_t size) const;

  // 1 if path can be opened for reading and its size is not 0 (an unknown size counts as
  // not 0), else 0.
  static int FileHasData(const char* path);

  // Replaces %name% references in text by values from the string sections (and include
  // files); writes at most size - 1 characters and a NUL to out and returns the count.
  // out may be text itself. Defined in expand.cpp.
  uint32_t ExpandText(char* out, uint32_t size, const char* text);

  // One loading operation: while a scope is open (scopes nest), the store reads each file
  // once (see BeginProfileBatch), and the profile keeps what it learnt about files (which have
  // data, which sections have lines, the full paths of include names) instead of
  // asking again, so the operation sees its files in one state. A write through the profile
  // forgets all of it. The current directory must not change while a scope is open.
  class LoadScope {
   public:
    explicit LoadScope(CProfile& profile);
    ~LoadScope();
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

   private:
    CProfile& profile_;
  };

  WindowsVariant variant;
  // The country whose "String.<country>" section SetFile chooses: a parameter of every load,
  // which previews and the checker set to the country they show.
  int32_t country;
  std::unique_ptr<char[]> sectionBuffer;
  char sectionName[kSectionNameSize];
  char stringSectionName[kSectionNameSize];
  char filePath[kPathSize];

 private:
  class LoadMemo;

  // Where the last successful FindNthKey stopped in the block LoadSection placed, so that
  // asking for the items one after the other walks the block once in all, not once per item.
  struct FindCursor {
    // Budget: one pattern. FindNthKey looks for at most this many characters of a key.
    static constexpr size_t kMaxKey = 254;
    std::string pattern;
    int32_t index = -1;  // of the last match; -1: none to go on from
    size_t next = 0;     // offset of the line after it
  };

  // FileHasData, GetFullPath and "the section has lines in the current file", answered from the
  // memo while a LoadScope is open.
  int HasData(const char* path);
  uint32_t FullPathOf(const char* name, char* out, uint32_t size);
  bool SectionHasLines(const char* section);
  LoadMemo* Memo();

  uint32_t ExpandAtDepth(char* out, uint32_t size, const char* text, int depth);
  void ResolveName(const char* name, const char* reference, char* value, int depth);
  int ExpandFromInclude(const char* includeName, const char* reference, char* value, int depth);

  std::unique_ptr<LoadMemo> memo_;
  int loadDepth_ = 0;
  mutable FindCursor findCursor_;
};
