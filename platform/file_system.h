// Files and directories as the core needs them: open tests, sizes, paths.
// No OS headers here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Bytes of a path buffer: a path holds 259 characters and the NUL.
constexpr uint32_t kPathSize = 260;

// Result of opening a file for reading with read sharing.
struct FileProbeResult {
  int opened;     // 1 when the file could be opened for reading
  int sizeKnown;  // 1 when the size query succeeded
  uint64_t size;  // size in bytes when sizeKnown
};

// Opens path for reading (existing file, read access, read sharing) and closes
// it again at once. Only a file on disk counts: a folder, a FIFO, a device or a
// socket is not opened (and nothing waits for one).
FileProbeResult ProbeFile(const char* path);

// Opens the file path (taken as given) for reading in binary mode, without
// waiting for anything; only a file on disk is opened, as by ProbeFile. The
// caller closes it with std::fclose. Null on failure; *missing (when given) is
// then 1 when no such file exists, 0 when it exists but cannot be opened.
std::FILE* OpenFileForReading(const char* path, int* missing);

// Full path of name, relative to the current directory. Returns the length
// placed in out; when out is too small, the size needed (with the NUL) and out
// is not filled; 0 on failure. '\' is accepted as a separator.
uint32_t GetFullPath(const char* name, char* out, uint32_t size);

// Current directory into out; returns its length, or the size needed when out
// is too small, or 0 on failure.
uint32_t GetCurrentDir(char* out, uint32_t size);

// Makes path the current directory; 1 on success, 0 on failure.
int SetCurrentDir(const char* path);

// The Windows directory (on Linux the directory that stands in for it, which need not exist
// yet: asking makes nothing). Returns its length, or the size needed, or 0 on failure.
uint32_t GetWindowsDir(char* out, uint32_t size);

// Makes the Windows directory exist before something is kept there: on Windows it always
// does; on Linux it is made (mode 0700) when missing. 1 when it exists.
int MakeWindowsDir();

// The separator this system puts between a folder and a name: '\\' on Windows (which the
// Windows 95 family needs, at a drive root too), '/' on Linux.
extern const char kPathSeparator;

// Deletes the file path, taken as given (on Linux a '\\' is part of a name); 1 on success,
// 0 on failure (a folder is never deleted).
int DeleteFileAt(const char* path);

// Full path of the running program into out (GetModuleFileNameA; /proc/self/exe on Linux).
// Returns its length, or 0 on failure or when it does not fit.
uint32_t GetProgramPath(char* out, uint32_t size);

// Creates the file path (taken as given) for writing, replacing an existing one, not shared with
// other openers, and writes size bytes in one write (a program file: mode 0755 on Linux). 1 when
// every byte was written, 0 otherwise (on Windows a file that is running or locked stays as
// it was; on Linux the new file takes the name and a running copy keeps its own).
int WriteProgramFile(const char* path, const unsigned char* bytes, size_t size);
