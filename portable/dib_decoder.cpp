// Turning a packed device-independent bitmap into 32-bit pixels: plain rows of 1 to 32 bits,
// bit fields and RLE. Pure computation: no SDL and no OS headers.
#include "portable/dib_decoder.h"

#include <algorithm>
#include <cstring>

#include "platform/dib_format.h"

namespace {

using namespace dib_format;

bool IsKnownHeaderSize(uint32_t size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

bool BitCountFits(uint32_t compression, uint32_t bitCount) {
  switch (compression) {
    case kCompressionRgb:
      return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
             bitCount == 32;
    case kCompressionRle8:
      return bitCount == 8;
    case kCompressionRle4:
      return bitCount == 4;
    case kCompressionBitFields:
      return bitCount == 16 || bitCount == 32;
    default:
      return false;
  }
}

// One colour channel of a bit-field pixel, scaled to 0..255 whatever its width.
struct Channel {
  uint32_t mask;
  uint32_t shift;
  uint64_t max;  // the channel's largest value, 0 for an empty mask

  explicit Channel(uint32_t m) : mask(m), shift(0), max(0) {
    if (m == 0) return;
    while (((m >> shift) & 1u) == 0) ++shift;
    max = m >> shift;
  }
  uint32_t Scale(uint32_t pixel) const {
    if (max == 0) return 0;
    const uint64_t value = (pixel & mask) >> shift;
    return static_cast<uint32_t>((value * 255 + max / 2) / max);
  }
};

struct Channels {
  Channel red, green, blue;
  explicit Channels(const DibLayout& layout)
      : red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]) {}
  uint32_t Color(uint32_t pixel) const {
    return kDibPixelSet | (red.Scale(pixel) << 16) | (green.Scale(pixel) << 8) | blue.Scale(pixel);
  }
};

// The pixel at column x of a plain stored row of available bytes; 0 where the row's data
// ends before the pixel.
uint32_t PlainPixel(const DibLayout& layout, const Channels& channels, const uint8_t* row,
                    uint64_t available, uint64_t x) {
  switch (layout.bitCount) {
    case 1:
      if (x / 8 >= available) return 0;
      return kDibPixelSet | layout.colors[(row[x / 8] >> (7 - x % 8)) & 1];
    case 4:
      if (x / 2 >= available) return 0;
      return kDibPixelSet | layout.colors[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
    case 8:
      if (x >= available) return 0;
      return kDibPixelSet | layout.colors[row[x]];
    case 16:
      if (x * 2 + 2 > available) return 0;
      return channels.Color(ReadU16(row + x * 2));
    case 24: {
      if (x * 3 + 3 > available) return 0;
      const uint8_t* p = row + x * 3;  // blue, green, red
      return kDibPixelSet | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    case 32:
      if (x * 4 + 4 > available) return 0;
      return channels.Color(ReadU32(row + x * 4));
    default:
      return 0;
  }
}

void DecodePlainArea(const DibLayout& layout, const uint8_t* bits, size_t bitsSize,
                     uint32_t firstScan, uint32_t scanCount, const DibRect& area, uint32_t* out) {
  const Channels channels(layout);
  for (int32_t j = 0; j < area.height; ++j) {
    uint32_t* line = out + static_cast<size_t>(j) * static_cast<size_t>(area.width);
    const int64_t row = static_cast<int64_t>(area.y) + j;
    const int64_t scan = layout.topDown ? row : layout.height - 1 - row;
    if (scan < firstScan || scan - firstScan >= scanCount) continue;
    const uint64_t start = static_cast<uint64_t>(scan - firstScan) * layout.rowBytes;
    if (start >= bitsSize) continue;
    const uint8_t* data = bits + start;
    const uint64_t available = bitsSize - start;
    for (int32_t i = 0; i < area.width; ++i) {
      line[i] = PlainPixel(layout, channels, data, available, static_cast<uint64_t>(area.x) + i);
    }
  }
}

// Where RLE pixels land: drops every pixel outside the area, the image or the scan lines
// asked for.
class RleCanvas {
 public:
  RleCanvas(const DibLayout& layout, uint32_t firstScan, uint32_t scanCount, const DibRect& area,
            uint32_t* out)
      : layout_(layout),
        firstScan_(firstScan),
        endScan_(static_cast<int64_t>(firstScan) + scanCount),
        area_(area),
        out_(out) {}

  // The columns of [x, x + count) that land inside the area on the row of scan, as
  // [*from, *to); false when none does.
  bool Span(int64_t scan, int64_t x, int64_t count, int64_t* from, int64_t* to) const {
    if (scan < firstScan_ || scan >= endScan_ || scan >= layout_.height) return false;
    const int64_t row = layout_.height - 1 - scan;  // RLE rows are stored bottom-up
    if (row < area_.y || row >= static_cast<int64_t>(area_.y) + area_.height) return false;
    *from = std::max<int64_t>(x, area_.x);
    *to = std::min<int64_t>(x + count, static_cast<int64_t>(area_.x) + area_.width);
    return *from < *to;
  }
  void Put(int64_t scan, int64_t x, uint32_t index) {
    const int64_t row = layout_.height - 1 - scan - area_.y;
    out_[row * area_.width + (x - area_.x)] = kDibPixelSet | layout_.colors[index & 0xFF];
  }

 private:
  const DibLayout& layout_;
  int64_t firstScan_;
  int64_t endScan_;
  DibRect area_;
  uint32_t* out_;
};

// Index of pixel k of a run whose colour byte is value: RLE8 repeats the byte, RLE4
// alternates its high and low halves.
uint32_t RunIndex(bool four, uint8_t value, int64_t k) {
  if (!four) return value;
  return k % 2 == 0 ? value >> 4 : value & 0xF;
}

// Index of pixel k of an absolute run starting at data.
uint32_t AbsoluteIndex(bool four, const uint8_t* data, int64_t k) {
  if (!four) return data[k];
  return k % 2 == 0 ? data[k / 2] >> 4 : data[k / 2] & 0xF;
}

// RLE8 and RLE4 streams: pairs of (count, colour) or an escape (0, code): 0 end of line,
// 1 end of bitmap, 2 delta (right, up), 3 and more an absolute run padded to 16 bits.
// Pixels past the end of a row are dropped; the stream ends at its last byte at the latest.
void DecodeRleArea(const DibLayout& layout, const uint8_t* bits, size_t bitsSize,
                   uint32_t firstScan, uint32_t scanCount, const DibRect& area, uint32_t* out) {
  const bool four = layout.compression == kCompressionRle4;
  RleCanvas canvas(layout, firstScan, scanCount, area, out);
  size_t p = 0;
  int64_t x = 0;
  int64_t scan = 0;
  int64_t from = 0;
  int64_t to = 0;
  while (p + 2 <= bitsSize && scan < layout.height) {
    const uint8_t count = bits[p];
    const uint8_t code = bits[p + 1];
    p += 2;
    if (count > 0) {
      if (canvas.Span(scan, x, count, &from, &to)) {
        for (int64_t k = from; k < to; ++k) canvas.Put(scan, k, RunIndex(four, code, k - x));
      }
      x += count;
    } else if (code == 0) {
      x = 0;
      ++scan;
    } else if (code == 1) {
      return;
    } else if (code == 2) {
      if (p + 2 > bitsSize) return;
      x += bits[p];
      scan += bits[p + 1];
      p += 2;
    } else {
      const size_t bytes = four ? (code + 1u) / 2 : code;
      const size_t available = std::min(bytes, bitsSize - p);
      const int64_t pixels = four ? std::min<int64_t>(code, 2 * static_cast<int64_t>(available))
                                  : static_cast<int64_t>(available);
      if (canvas.Span(scan, x, pixels, &from, &to)) {
        for (int64_t k = from; k < to; ++k) {
          canvas.Put(scan, k, AbsoluteIndex(four, bits + p, k - x));
        }
      }
      if (available < bytes) return;
      x += code;
      p += bytes + (bytes & 1);
    }
  }
}

}  // namespace

bool ReadDibLayout(const void* info, size_t infoSize, DibLayout* layout) {
  if (info == nullptr || layout == nullptr || infoSize < 4) return false;
  const uint8_t* block = static_cast<const uint8_t*>(info);
  const uint32_t headerSize = ReadU32(block);
  if (!IsKnownHeaderSize(headerSize) || headerSize > infoSize) return false;

  DibLayout l{};
  int64_t height;
  uint32_t colorsUsed = 0;
  uint64_t tableOffset = headerSize;
  uint32_t entrySize = 4;
  if (headerSize == kCoreHeaderSize) {
    l.width = ReadU16(block + 4);
    height = ReadU16(block + 6);
    l.bitCount = ReadU16(block + 10);
    l.compression = kCompressionRgb;
    entrySize = 3;
    if (l.bitCount == 16 || l.bitCount == 32) return false;
  } else {
    l.width = static_cast<int32_t>(ReadU32(block + 4));
    height = static_cast<int32_t>(ReadU32(block + 8));
    l.bitCount = ReadU16(block + 14);
    l.compression = ReadU32(block + 16);
    colorsUsed = ReadU32(block + 32);
  }
  if (!BitCountFits(l.compression, l.bitCount)) return false;
  if (l.width <= 0 || height == 0 || height < -INT32_MAX) return false;
  l.topDown = height < 0;
  l.height = static_cast<int32_t>(l.topDown ? -height : height);
  if (l.topDown && (l.compression == kCompressionRle8 || l.compression == kCompressionRle4))
    return false;
  l.rowBytes = (static_cast<uint64_t>(l.bitCount) * static_cast<uint64_t>(l.width) + 31) / 32 * 4;

  if (l.compression == kCompressionBitFields) {
    // The masks follow a 40-byte header; larger headers hold them at the same place.
    if (static_cast<uint64_t>(kInfoHeaderSize) + 12 > infoSize) return false;
    for (int i = 0; i < 3; ++i) l.masks[i] = ReadU32(block + kInfoHeaderSize + 4 * i);
    if (headerSize == kInfoHeaderSize) tableOffset += 12;
  } else if (l.bitCount == 16) {
    l.masks[0] = 0x7C00;
    l.masks[1] = 0x03E0;
    l.masks[2] = 0x001F;
  } else {
    l.masks[0] = 0xFF0000;
    l.masks[1] = 0x00FF00;
    l.masks[2] = 0x0000FF;
  }

  if (l.bitCount <= 8) {
    uint64_t entries = uint64_t{1} << l.bitCount;
    if (colorsUsed != 0 && colorsUsed < entries) entries = colorsUsed;
    const uint64_t room = tableOffset < infoSize ? (infoSize - tableOffset) / entrySize : 0;
    entries = std::min(entries, room);
    for (uint64_t i = 0; i < entries; ++i) {
      const uint8_t* e = block + tableOffset + i * entrySize;  // blue, green, red
      l.colors[i] = (uint32_t{e[2]} << 16) | (uint32_t{e[1]} << 8) | e[0];
    }
  }
  *layout = l;
  return true;
}

void DecodeDibArea(const DibLayout& layout, const uint8_t* bits, size_t bitsSize,
                   uint32_t firstScan, uint32_t scanCount, const DibRect& area, uint32_t* out) {
  if (area.width <= 0 || area.height <= 0) return;
  std::fill(out, out + static_cast<size_t>(area.width) * static_cast<size_t>(area.height), 0u);
  if (bits == nullptr) bitsSize = 0;
  if (layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4) {
    DecodeRleArea(layout, bits, bitsSize, firstScan, scanCount, area, out);
  } else {
    DecodePlainArea(layout, bits, bitsSize, firstScan, scanCount, area, out);
  }
}
