// What `quorel-tool check` found: findings with file, line, severity and code, kept sorted and
// free of repeats, and their human and summary forms. Standard library and the core's Severity.
#pragma once

#include <cstddef>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "profile/load_finding.h"

struct Finding {
  std::string file;  // as shown to the author (relative to where the tool was started)
  int line;  // from 1 (a finding of check about a file as a whole is at line 1); 0 for a finding
             // about a path that is no text file (dist's refusals of folders and links)
  Severity severity;
  std::string code;  // stable short name of the family, for CI filters and tests
  std::string message;
};

bool operator<(const Finding& a, const Finding& b);

class CheckReport {
 public:
  // Adds a finding unless the same one (file, line, code, message) is already there. One about
  // the file as a whole (line 0) is put at line 1, where editors and CI can point to it.
  void Add(Finding finding);
  // Notes that a file was read, for the summary.
  void CountFile(const std::string& file) { files_.insert(file); }

  // Findings sorted by file, then line; notes only when withNotes.
  std::vector<Finding> Sorted(bool withNotes) const;
  size_t Count(Severity severity) const;
  size_t FileCount() const { return files_.size(); }
  // 0 nothing found, 1 warnings only, 2 at least one error (notes do not count).
  int ExitCode() const;

 private:
  std::set<Finding> findings_;
  std::set<std::string> files_;
};

// "file:line: severity: message" (line left out when it is 0), the message as UTF-8; the
// file's and the message's control characters escaped (TerminalSafe): no file's bytes can
// steer the terminal.
std::string FormatFinding(const Finding& finding);
// "2 errors, 3 warnings in 4 files".
std::string FormatSummary(const CheckReport& report);
