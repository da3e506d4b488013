// The one writer of .bmp files for unit tests, fuzz targets and benchmarks: every header field a
// test may vary, the rest worked out. Tests only; plain C++, no system header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorel_test {

// The fields of a .bmp file. As they stand: a 2 x 2 24-bit bottom-up image behind a 40-byte
// header, with no colour table and no rows.
struct BmpFile {
  uint32_t headerSize = 40;  // 12: the core header, whose sizes are 16 bits
  int32_t width = 2;
  int32_t height = 2;  // negative: top-down
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  uint32_t colorsUsed = 0;
  std::vector<uint8_t> table;   // bit masks and colour table, right behind the header
  std::vector<uint8_t> pixels;  // the rows as stored (or the compressed data)
  uint32_t offBits = 0;         // where the rows start; 0: right behind the table
};

// Bytes of one stored row of width pixels at bitCount bits: rows are padded to 4 bytes.
uint32_t BmpRowBytes(int32_t width, int bitCount);

// A bottom-up 24-bit image of width x height pixels all of colour (0x00BBGGRR).
BmpFile SolidBmp(int32_t width, int32_t height, uint32_t colour);

// The file's bytes. The file-size field is always the true length; every other field is as
// bmp says, so a test that needs a damaged header sets the field (or patches the bytes after).
std::vector<uint8_t> EncodeBmp(const BmpFile& bmp);

// Writes EncodeBmp(bmp) to path; false when it cannot be written whole.
bool WriteBmp(const std::string& path, const BmpFile& bmp);

}  // namespace quorel_test
