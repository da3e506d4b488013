// Scratch files for the fuzz targets: one private folder per process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes bytes to name inside the process's scratch folder; returns the full path.
std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size);

// Splits fuzz input into pieces at the byte 0x01 (at most count pieces; the last
// takes the rest).
struct FuzzPieces {
  std::string piece[8];
};
FuzzPieces SplitFuzzInput(const uint8_t* data, size_t size, int count);
