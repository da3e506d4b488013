#include "tests/support/bmp_writer.h"

#include <algorithm>
#include <fstream>

namespace quorel_test {

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr uint32_t kFileHeaderSize = 14;

}  // namespace

uint32_t BmpRowBytes(int32_t width, int bitCount) {
  return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bitCount) + 31) / 32 * 4;
}

BmpFile SolidBmp(int32_t width, int32_t height, uint32_t colour) {
  BmpFile bmp;
  bmp.width = width;
  bmp.height = height;
  const uint32_t rowBytes = BmpRowBytes(width, 24);
  bmp.pixels.assign(size_t{rowBytes} * static_cast<uint32_t>(height), 0);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bmp.pixels.data() + size_t{rowBytes} * static_cast<uint32_t>(y);
    for (int32_t x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>(colour >> 16);  // stored blue, green, red
      row[x * 3 + 1] = static_cast<uint8_t>(colour >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(colour);
    }
  }
  return bmp;
}

std::vector<uint8_t> EncodeBmp(const BmpFile& bmp) {
  const uint32_t headersEnd = kFileHeaderSize + bmp.headerSize;
  const uint32_t offBits =
      bmp.offBits != 0 ? bmp.offBits : headersEnd + static_cast<uint32_t>(bmp.table.size());
  // Room for the 40-byte header's fields; a shorter header keeps those that fit.
  std::vector<uint8_t> out(std::max(headersEnd, kFileHeaderSize + 40), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(headersEnd + bmp.table.size() + bmp.pixels.size()));
  Put32(out, 10, offBits);
  Put32(out, 14, bmp.headerSize);
  if (bmp.headerSize == 12) {
    Put16(out, 18, static_cast<uint32_t>(bmp.width));
    Put16(out, 20, static_cast<uint32_t>(bmp.height));
    Put16(out, 22, bmp.planes);
    Put16(out, 24, bmp.bitCount);
  } else {
    Put32(out, 18, static_cast<uint32_t>(bmp.width));
    Put32(out, 22, static_cast<uint32_t>(bmp.height));
    Put16(out, 26, bmp.planes);
    Put16(out, 28, bmp.bitCount);
    Put32(out, 30, bmp.compression);
    Put32(out, 34, bmp.sizeImage);
    Put32(out, 46, bmp.colorsUsed);
  }
  out.resize(headersEnd);
  out.insert(out.end(), bmp.table.begin(), bmp.table.end());
  out.insert(out.end(), bmp.pixels.begin(), bmp.pixels.end());
  return out;
}

bool WriteBmp(const std::string& path, const BmpFile& bmp) {
  const std::vector<uint8_t> bytes = EncodeBmp(bmp);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace quorel_test
