// Names that open on this system but are not files on disk (a FIFO, a device), for tests that
// such names are refused without waiting. special_files_posix.cpp and special_files_win32.cpp
// implement it; the build picks one. No OS headers here.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct SpecialFile {
  std::string name;  // as a program would be given it; relative names are relative to folder
  std::string full;  // the full path the system makes of it (GetFullPath)
};

// Makes in folder whatever must be made first (a FIFO without a writer) and returns the names;
// none when that fails.
std::vector<SpecialFile> MakeSpecialFiles(const std::filesystem::path& folder);
