// What keeps a path from being read as a file, told as it is: a FIFO, a folder, a link loop,
// no permission. One file per system: file_problem_posix.cpp, file_problem_win32.cpp.
#pragma once

#include <string>

// Empty when path is a regular file that can be opened for reading and holds data; otherwise
// "no such file", "symbolic link to nothing", "symbolic link loop", "is a folder, not a file",
// "is a FIFO, not a file", "is a device, not a file", "is a socket, not a file", "is empty",
// or "cannot be read: " and what the system said. Windows tells "no such file", "symbolic link
// to nothing", "is a folder, not a file", "is a pipe, not a file", "is a device, not a file"
// (NUL, CON, COM1, ...), "is empty" and "cannot be read: ".
std::string FileProblem(const std::string& path);
