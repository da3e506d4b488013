// Findings of `quorel-tool check`: order, repeats, exit code, and the human form.
#include "tools/check_findings.h"

#include <tuple>

#include "tools/native_path.h"
#include "tools/shown_text.h"

bool operator<(const Finding& a, const Finding& b) {
  return std::tie(a.file, a.line, a.code, a.message) < std::tie(b.file, b.line, b.code, b.message);
}

void CheckReport::Add(Finding finding) {
  // The same finding from another language or release pass keeps its first severity.
  if (finding.line <= 0) finding.line = 1;
  findings_.insert(std::move(finding));
}

std::vector<Finding> CheckReport::Sorted(bool withNotes) const {
  std::vector<Finding> sorted;
  for (const Finding& finding : findings_) {
    if (withNotes || finding.severity != Severity::kNote) sorted.push_back(finding);
  }
  return sorted;
}

size_t CheckReport::Count(Severity severity) const {
  size_t count = 0;
  for (const Finding& finding : findings_) count += finding.severity == severity;
  return count;
}

int CheckReport::ExitCode() const {
  if (Count(Severity::kError) > 0) return 2;
  return Count(Severity::kWarning) > 0 ? 1 : 0;
}

std::string FormatFinding(const Finding& finding) {
  std::string text = TerminalSafe(PrintedPath(finding.file)) + ":";
  if (finding.line > 0) text += std::to_string(finding.line) + ":";
  return text + " " + SeverityName(finding.severity) + ": " +
         TerminalSafe(ShownUtf8(finding.message));
}

std::string FormatSummary(const CheckReport& report) {
  return Counted(report.Count(Severity::kError), "error", "errors") + ", " +
         Counted(report.Count(Severity::kWarning), "warning", "warnings") + " in " +
         Counted(report.FileCount(), "file", "files");
}
