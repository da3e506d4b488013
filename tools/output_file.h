// The tool's one way to write a file: under a temporary name in the target's folder, renamed
// over the target only when complete. An existing link at the target is replaced, never
// written through; a failure leaves the target as it was and no temporary file. One file per
// system: output_file_posix.cpp, output_file_win32.cpp.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Writes path with fill, which gets the open temporary file and returns false (with *error
// set) when it could not write it all. mode: the permission bits before the umask (Windows
// files have none). Returns false with *error telling why.
bool WriteOutputFile(const std::string& path, unsigned mode,
                     const std::function<bool(std::FILE*, std::string*)>& fill, std::string* error);

// Writes text as the whole of path, as WriteOutputFile does.
bool WriteOutputText(const std::string& path, const std::string& text, unsigned mode,
                     std::string* error);

// Gives path the permission bits mode whatever the umask; nothing on Windows. false with
// *error set (what the system said) when refused.
bool ForceFileMode(const std::string& path, unsigned mode, std::string* error);
