// Facts of the device-independent bitmap format shared by the bitmap reader and the portable
// drawing code: header sizes, compression codes and little-endian field reads. No OS headers.
#pragma once

#include <cstdint>

namespace dib_format {

constexpr uint32_t kCoreHeaderSize = 12;  // the old 12-byte header with 16-bit sizes
constexpr uint32_t kInfoHeaderSize = 40;

constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;

inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace dib_format
