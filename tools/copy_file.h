// Copying one file of a disc folder to a new name, for dist. One file per system:
// copy_file_posix.cpp (with the permission bits), copy_file_win32.cpp.
#pragma once

#include <string>

// Copies from to to, which may not exist yet (nothing already there is opened or replaced).
// false on failure, with *where naming the file it happened on (from or to), *reason what the
// system said (a full disk, say), and no partial file left under to.
bool CopyNewFile(const std::string& from, const std::string& to, std::string* where,
                 std::string* reason);
