// Device-independent bitmaps and logical palettes through GDI.
#include <windows.h>

#include <vector>

#include "platform/dib_draw.h"
#include "platform/win32/win32_handles.h"

int DrawDibBits(DrawTarget* target, int xDest, int yDest, uint32_t width, uint32_t height, int xSrc,
                int ySrc, uint32_t startScan, uint32_t scanCount, const void* bits, size_t,
                const void* info, size_t) {
  return SetDIBitsToDevice(ToDc(target), xDest, yDest, width, height, xSrc, ySrc, startScan,
                           scanCount, bits, static_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS);
}

PaletteHandle CreatePaletteFrom(const PaletteColor* colors, int count) {
  if (colors == nullptr || count <= 0 || count > 65535) return nullptr;
  std::vector<unsigned char> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
  LOGPALETTE* palette = reinterpret_cast<LOGPALETTE*>(block.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(count);
  for (int i = 0; i < count; ++i) {
    palette->palPalEntry[i].peRed = colors[i].red;
    palette->palPalEntry[i].peGreen = colors[i].green;
    palette->palPalEntry[i].peBlue = colors[i].blue;
    palette->palPalEntry[i].peFlags = colors[i].flags;
  }
  return ToPaletteHandle(CreatePalette(palette));
}

void DeletePalette(PaletteHandle palette) {
  if (palette != nullptr) DeleteObject(ToPalette(palette));
}

PaletteHandle SelectPaletteInto(DrawTarget* target, PaletteHandle palette, int forceBackground) {
  return ToPaletteHandle(SelectPalette(ToDc(target), ToPalette(palette), forceBackground));
}

uint32_t RealizePaletteOf(DrawTarget* target) {
  const UINT mapped = RealizePalette(ToDc(target));
  return mapped == GDI_ERROR ? 0 : mapped;
}
