// PNG without compression: signature, IHDR, one IDAT of stored deflate blocks, IEND.
#include "tools/png_stored.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kStoredBlock = 65535;  // the most one stored deflate block holds

void PutBig32(uint32_t value, std::string* out) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
}

void Chunk(const char* type, const std::string& data, std::string* out) {
  PutBig32(static_cast<uint32_t>(data.size()), out);
  const std::string typed = std::string(type, 4) + data;
  out->append(typed);
  PutBig32(Crc32(reinterpret_cast<const uint8_t*>(typed.data()), typed.size()), out);
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
  static const std::vector<uint32_t> table = [] {
    std::vector<uint32_t> entries(256);
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler) {
  uint32_t a = adler & 0xFFFF;
  uint32_t b = adler >> 16;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

std::string StoredPng(int32_t width, int32_t height, const uint32_t* pixels) {
  // The filtered rows: filter type 0 (none) and red, green, blue per pixel.
  std::string raw;
  raw.reserve(static_cast<size_t>(height) * (1 + static_cast<size_t>(width) * 3));
  for (int32_t y = 0; y < height; ++y) {
    raw.push_back('\0');
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t pixel = pixels[static_cast<size_t>(y) * width + x];
      raw.push_back(static_cast<char>(pixel >> 16));
      raw.push_back(static_cast<char>(pixel >> 8));
      raw.push_back(static_cast<char>(pixel));
    }
  }
  // zlib header (deflate, 32 KiB window, no dictionary, fastest), stored blocks, Adler-32.
  std::string zlib = "\x78\x01";
  size_t at = 0;
  do {
    const size_t length = std::min(kStoredBlock, raw.size() - at);
    const bool last = at + length == raw.size();
    zlib.push_back(last ? '\x01' : '\x00');
    zlib.push_back(static_cast<char>(length & 0xFF));
    zlib.push_back(static_cast<char>(length >> 8));
    zlib.push_back(static_cast<char>(~length & 0xFF));
    zlib.push_back(static_cast<char>((~length >> 8) & 0xFF));
    zlib.append(raw, at, length);
    at += length;
  } while (at < raw.size());
  PutBig32(Adler32(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()), &zlib);

  std::string header;
  PutBig32(static_cast<uint32_t>(width), &header);
  PutBig32(static_cast<uint32_t>(height), &header);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, deflate, adaptive, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  Chunk("IHDR", header, &png);
  Chunk("IDAT", zlib, &png);
  Chunk("IEND", std::string(), &png);
  return png;
}
