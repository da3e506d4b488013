// The whole-text form of the tool's output file, on either system's WriteOutputFile.
#include <cerrno>
#include <cstring>

#include "tools/output_file.h"

bool WriteOutputText(const std::string& path, const std::string& text, unsigned mode,
                     std::string* error) {
  return WriteOutputFile(
      path, mode,
      [&](std::FILE* file, std::string* why) {
        if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) return true;
        *why = std::strerror(errno);
        return false;
      },
      error);
}
