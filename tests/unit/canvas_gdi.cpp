// The test canvases on GDI: a memory device context with a 32-bit top-down DIB section
// selected, its bits read back directly. Tests only; needs GDI.
#include <windows.h>

#include "platform/win32/win32_handles.h"
#include "tests/unit/test_canvas.h"

struct Canvas::Pixels {
  HDC dc;
  HBITMAP section;
  HGDIOBJ original;  // the device context's own bitmap
  uint32_t* bits;    // 0x00RRGGBB, top row first
  int width;
};

Canvas::Canvas(int width, int height, uint32_t background) : pixels_(new Pixels{}) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  pixels_->section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  pixels_->bits = static_cast<uint32_t*>(bits);
  pixels_->width = width;
  for (int i = 0; i < width * height; ++i) pixels_->bits[i] = background;
  pixels_->dc = CreateCompatibleDC(nullptr);
  pixels_->original = SelectObject(pixels_->dc, pixels_->section);
  target_ = ToTarget(pixels_->dc);
}

Canvas::~Canvas() {
  SelectObject(pixels_->dc, pixels_->original);
  DeleteDC(pixels_->dc);
  DeleteObject(pixels_->section);
  delete pixels_;
}

uint32_t Canvas::At(int x, int y) const {
  GdiFlush();  // drawing may still be queued
  return pixels_->bits[y * pixels_->width + x] & 0xFFFFFF;
}

// No palette display: the memory device contexts belong to the true-colour screen.
struct PaletteDisplay::Pixels {};

PaletteDisplay::PaletteDisplay() = default;
PaletteDisplay::~PaletteDisplay() { delete pixels_; }

uint32_t PaletteDisplay::Entry(int) const { return 0; }
