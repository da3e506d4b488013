// CDib: one device-independent bitmap read from a .bmp file, its palette, and drawing it.
// Depends only on the standard library and the platform seam headers.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/handles.h"
#include "profile/load_finding.h"

// Width and height of an image in pixels.
struct DibExtent {
  int32_t width;
  int32_t height;
};

class CDib {
 public:
  CDib();
  ~CDib();
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;

  // Reads the whole file. 1 on success; 0 after a failure, which has been reported in a
  // message box. When the file cannot be opened the image held before stays; after any
  // other failure the object holds no image.
  int LoadFromFile(const char* path);
  // The same, with the failure handed to findings instead of shown: kBitmapNotFound for a file
  // that cannot be opened, else kBitmapInvalid, each with the text ReportError would show.
  int LoadFromFile(const char* path, const FindingSink& findings);

  // Frees everything held and zeroes every field.
  void ReleaseAll();

  // Width and height in pixels (height as a positive number of rows, whatever the row
  // order); (0, 0) when no image is held.
  DibExtent ImageExtent() const;

  // Selects the palette (as a background palette when forceBackground is non-zero) and
  // realises it; returns the number of entries realised, 0 without a palette.
  int ApplyPalette(DrawTarget* target, int forceBackground);

  // Selects the palette as a background palette without realising it.
  void PaletteToBackground(DrawTarget* target);

  // Draws the source rectangle (measured from the image's origin, see DrawDibBits) at
  // xDest, yDest using every scan line. 0 without an image, else 1 whatever the drawing did.
  int PaintImage(DrawTarget* target, int xDest, int yDest, uint32_t width, uint32_t height,
                 int xSrc, int ySrc);

  // The same with the caller's scan-line range.
  int PaintScanRange(DrawTarget* target, int xDest, int yDest, uint32_t width, uint32_t height,
                     int xSrc, int ySrc, uint32_t startScan, uint32_t scanCount);

  // Builds a palette of the colour-table entries in use into out: 1, or 0 (out untouched)
  // when the image has no colour table.
  int BuildPalette(PaletteHandle* out) const;

  // Deletes the palette held, then builds it again.
  void RefreshPalette();

  // Shows text in a message box captioned "class CDib" and waits until it is closed.
  static void ReportError(const char* text);

  // Start of the colour table inside the info block (just behind the header and, for
  // bit-field images with a 40-byte header, the three masks).
  uint8_t* colorTable;
  // The pixel rows as stored in the file; imageSize bytes, zero-filled where a truncated
  // file ended early.
  std::unique_ptr<uint8_t[]> bits;
  // The info header and colour table as stored in the file: the infoSize bytes between the
  // file header and the pixel rows.
  std::unique_ptr<uint8_t[]> info;
  uint32_t infoSize;
  uint32_t imageSize;
  // Colour-table entries in use; 0 for images without a palette.
  int32_t colorCount;
  PaletteHandle palette;
};
