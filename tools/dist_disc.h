// `quorel-tool dist`: a menu folder made into a disc folder that starts itself on Windows and
// Linux (the menu's files, quorel.exe, autorun.inf, autorun.sh and the Linux program under
// linux/), and optionally an ISO 9660 image of it.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct DistOptions {
  std::string menuDir;
  std::string outDir;
  std::string iso;             // empty: no image
  std::string label;           // empty: the first level's title
  std::string windowsProgram;  // quorel.exe to ship
  std::string linuxDir;        // the folder of the portable program, copied as linux/
  bool force = false;          // go on despite errors from check
  bool json = false;           // summary as JSON on standard output
};

struct DistSummary {
  uint64_t files = 0;  // in the disc folder
  uint64_t bytes = 0;
  uint64_t imageBytes = 0;   // 0 without an image
  bool autorunKept = false;  // the menu folder's own autorun.inf went on the disc
};

// Runs the whole job, reporting as file:line: severity: message and progress on err.
// Returns the exit code: 0 done, 1 a refusal or an I/O failure, 2 errors from check.
int RunDist(const DistOptions& options, std::ostream& err, DistSummary* summary);

// The texts written beside the menu. inf is in the Windows code page with CRLF line ends;
// label bytes are code-page text already.
std::string AutorunInf(const std::string& label);
std::string AutorunScript();
// An ISO 9660 volume id from a label: upper case A-Z, 0-9 and '_', at most 32 characters.
std::string VolumeId(const std::string& label);
// Why a file name cannot be kept on the Joliet (Windows) side of an image; empty when it can.
std::string JolietProblem(const std::string& name);
// A UTF-8 text in the Windows code page (characters it lacks become '?'), control
// characters removed.
std::string Utf8ToCodePageLine(const std::string& text);
