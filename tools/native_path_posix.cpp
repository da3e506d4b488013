// Paths are bytes on Linux: nothing to convert.
#include "tools/native_path.h"

std::filesystem::path NativePath(const std::string& text) { return std::filesystem::path(text); }

std::string NativeText(const std::filesystem::path& path) { return path.string(); }

std::string PrintedPath(const std::string& text) { return text; }
