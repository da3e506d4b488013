// Checks of how a level's files (its own, its settings include, its string sections' includes)
// are read as text: the encoding found (a note), bytes that are no UTF-8 in a file read as
// UTF-8, a CodePage value no build knows, and characters no installed font draws. Reads what
// SourceFile found; draws nothing.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/ascii_case.h"
#include "platform/draw.h"
#include "platform/file_system.h"
#include "portable/code_page.h"
#include "tools/check_menu.h"
#include "tools/check_pass.h"
#include "tools/shown_text.h"

namespace {

void CheckFileEncoding(const LevelPass& pass, const std::string& shown, const SourceFile& file) {
  const DecodedText& decoding = file.decoding;
  pass.Add(shown, 0, Severity::kNote, "encoding", "read as " + EncodingName(decoding));
  for (const uint32_t line : decoding.replacedLines) {
    pass.Add(shown, static_cast<int>(line), Severity::kWarning, "invalid-utf8",
             "bytes that are no UTF-8 in a file read as UTF-8; they show as U+FFFD");
  }
  if (decoding.declaredLine != 0 && !IsKnownCodePage(decoding.declaredCodePage)) {
    pass.Add(shown, static_cast<int>(decoding.declaredLine), Severity::kWarning,
             "unknown-code-page",
             "unknown CodePage value; known are 874, 932, 936, 949, 950 and 1250 to 1258 (a "
             "file that is no UTF-8 is read in the system's code page)");
  }
  // One finding per line: the first character there that no font has.
  for (const PortableLine& line : file.lines) {
    if (line.kind == PortableLineKind::kBlank || line.kind == PortableLineKind::kComment) continue;
    for (const std::string_view text : {line.name, line.value}) {
      bool found = false;
      for (size_t at = 0; at < text.size() && !found;) {
        const size_t length = Utf8SequenceLength(text, at);
        const uint32_t code = length > 1 ? Utf8CodePoint(text, at, length) : 0;
        at += length == 0 ? 1 : length;
        if (code < 0xA0 || code == 0xFFFD || CanDrawCharacter(code) != 0) continue;
        char number[16];
        std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(code));
        pass.Add(shown, static_cast<int>(line.number), Severity::kWarning, "no-font",
                 std::string("no installed font has ") + number +
                     "; it shows as a box (install a font for its script)");
        found = true;
      }
      if (found) break;
    }
  }
}

}  // namespace

void CheckEncodings(const LevelPass& pass) {
  CheckFileEncoding(pass, pass.level->shown, *pass.source);
  if (pass.settingsFile != nullptr && pass.settingsFile != pass.source) {
    CheckFileEncoding(pass, pass.settingsShown, *pass.settingsFile);
  }
  // The include files of the string sections, where a menu's texts in many languages live.
  for (const SourceFile::Section& section : pass.source->sections) {
    const bool strings =
        SameName(section.name, "String") ||
        (section.name.size() > 7 && SameName(section.name.substr(0, 7), "String."));
    if (!strings) continue;
    for (const PortableLine* line : section.entries) {
      if (line->kind != PortableLineKind::kKey || !SameName(line->name, "#include")) continue;
      const std::string name(line->value);
      char full[CProfile::kPathSize];
      const uint32_t length = GetFullPath(name.c_str(), full, sizeof full);
      if (length == 0 || length >= sizeof full) continue;
      const std::shared_ptr<const SourceFile> included = SourceFile::Read(full);
      // One that cannot be read is the unreadable-include finding's.
      if (included->state == SourceFile::State::kRead) {
        const std::string shown = ShownPath(full);
        pass.report->CountFile(shown);
        CheckFileEncoding(pass, shown, *included);
      }
    }
  }
}
