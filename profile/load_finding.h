// What reading a menu finds wrong, as one typed record that the definition-file loader and the
// bitmap reader hand on as they find it: the menu shows it as a message box, the checker files
// it as a finding. Nothing downstream reads captions. Standard library only.
#pragma once

#include <functional>
#include <string>

enum class Severity { kNote, kWarning, kError };

// The word a finding's line carries: "note", "warning" or "error".
inline const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kNote:
      return "note";
    case Severity::kWarning:
      return "warning";
    case Severity::kError:
      break;
  }
  return "error";
}

enum class LoadFindingCode {
  kBitmapNotFound,  // the bitmap reader: the file cannot be opened (file: as the text names it)
  kBitmapInvalid,   // the bitmap reader: the file is opened but cannot be read or trusted
  kSectionMissing   // the loader: a "SameAs" names a section the file does not have
};

struct LoadFinding {
  LoadFindingCode code;
  std::string file;  // the file it is about, as the reader was given it
  int line;          // from 1; 0 where the reader does not know lines
  Severity severity;
  std::string text;  // what the menu tells the user
};

// Where findings go, each as soon as it is found (before the reader goes on or gives up).
using FindingSink = std::function<void(const LoadFinding&)>;
