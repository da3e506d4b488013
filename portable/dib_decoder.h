// Turning a packed device-independent bitmap (info block and pixel rows) into 32-bit pixels.
// Pure computation: no SDL and no OS headers, so it can be tested and fuzzed on its own.
#pragma once

#include <cstddef>
#include <cstdint>

// How the pixel rows of a bitmap are laid out and coloured, read from its info block.
struct DibLayout {
  int32_t width;         // pixels per row, above 0
  int32_t height;        // rows, above 0
  bool topDown;          // the first stored row is the top one
  uint32_t bitCount;     // 1, 4, 8, 16, 24 or 32
  uint32_t compression;  // 0 plain rows, 1 RLE8, 2 RLE4, 3 bit fields
  uint64_t rowBytes;     // bytes per stored row of plain rows, padded to 32 bits
  uint32_t masks[3];     // red, green and blue bits of 16- and 32-bit pixels
  uint32_t colors[256];  // the colour table as 0x00RRGGBB; entries the table lacks are black
};

// A pixel as decoded: 0xFFRRGGBB for a pixel the bitmap sets, 0 for one it leaves alone
// (skipped by an RLE delta or end-of-line code, outside the scan lines given, or beyond the
// end of the data). Drawing leaves those untouched, as the display shows its background
// there.
constexpr uint32_t kDibPixelSet = 0xFF000000u;

// Reads the layout from an info block of infoSize bytes: a 12-byte core header, or a 40-,
// 52-, 56-, 108- or 124-byte header, followed by the masks (bit fields with a 40-byte
// header) and the colour table. false when the header is not one of those, does not fit, or
// describes something that cannot be drawn (other compressions or bit counts, top-down RLE,
// empty sizes).
bool ReadDibLayout(const void* info, size_t infoSize, DibLayout* layout);

// A rectangle of the image in display order: x from the left, y from the top row.
struct DibRect {
  int32_t x, y, width, height;
};

// Decodes the pixels of area into out (area.width * area.height values, rows from the top).
// bits holds bitsSize bytes: for plain rows the stored rows from scan line firstScan on (scan
// lines count from the first row stored), of which scanCount are to be used; for RLE the
// whole compressed stream, of which only the scan lines firstScan to firstScan + scanCount - 1
// are used. Reads nothing outside bits; area must lie inside the image.
void DecodeDibArea(const DibLayout& layout, const uint8_t* bits, size_t bitsSize,
                   uint32_t firstScan, uint32_t scanCount, const DibRect& area, uint32_t* out);
