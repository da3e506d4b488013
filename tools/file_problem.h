// What keeps a path from being read as a file, told as it is: a FIFO, a folder, a link loop,
// no permission. POSIX.
#pragma once

#include <string>

// Empty when path is a regular file that can be opened for reading and holds data; otherwise
// "no such file", "symbolic link to nothing", "symbolic link loop", "is a folder, not a file",
// "is a FIFO, not a file", "is a device, not a file", "is a socket, not a file", "is empty",
// or "cannot be read: " and what the system said.
std::string FileProblem(const std::string& path);
