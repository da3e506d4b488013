// A definition or include file's lines as the INI store reads them, so that findings can name
// the line an author has to change. Standard library and the store's line listing only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii_case.h"
#include "portable/portable_profile.h"
#include "portable/text_decoding.h"

class SourceFile {
 public:
  enum class State { kRead, kMissing, kUnreadable, kTooLarge };

  // The first section of a name (later ones of the same name are not read by the menu).
  struct Section {
    std::string name;
    int headerLine = 0;
    std::vector<const PortableLine*> entries;  // key lines and lines without '=', in order
  };

  // Reads path (a file on disk only; never waits on a FIFO or device).
  static std::shared_ptr<const SourceFile> Read(const std::string& path);

  State state = State::kMissing;
  std::string content;   // the text as UTF-8
  DecodedText decoding;  // how it was read (its utf8 is moved to content)
  std::vector<PortableLine> lines;
  std::vector<Section> sections;

  // Section of that name (letter case ignored) with at least one entry line, as the menu's
  // section choice counts them; null when there is none.
  const Section* Find(std::string_view name) const;
  // Line of the first key of that name in section, or 0.
  int KeyLine(const Section* section, std::string_view key) const;
  // The listing entry of a line as the section listing gives it: "key=value" or the text.
  static std::string EntryText(const PortableLine& line);
};
