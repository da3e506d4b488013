// Paths between the core's text and std::filesystem. The core, the command line and the file
// calls the tool makes take paths as narrow text: bytes on Linux, UTF-8 on Windows (whose
// std::filesystem keeps wide names). One file per system: native_path_posix.cpp,
// native_path_win32.cpp.
#pragma once

#include <filesystem>
#include <string>

// The path that the text names.
std::filesystem::path NativePath(const std::string& text);
// The text for path.
std::string NativeText(const std::filesystem::path& path);
// A path's text as printed: unchanged (on Linux names are bytes; printing escapes what is no
// UTF-8).
std::string PrintedPath(const std::string& text);
