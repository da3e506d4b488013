// Paths between the system's own text and std::filesystem. The core, the command line and the
// file calls the tool makes take paths as the system's narrow text: bytes on Linux, the ANSI
// code page on Windows, where std::filesystem reads narrow text as UTF-8 instead. One file per
// system: native_path_posix.cpp, native_path_win32.cpp.
#pragma once

#include <filesystem>
#include <string>

// The path that the system's text names (on Windows "Men\xfc" is "Menü", not an error).
std::filesystem::path NativePath(const std::string& text);
// The system's text for path; characters the code page lacks become '?'.
std::string NativeText(const std::filesystem::path& path);
// A path in the system's text as printed: unchanged on Linux (names are bytes; printing
// escapes what is no UTF-8), from the ANSI code page to UTF-8 on Windows.
std::string PrintedPath(const std::string& text);
