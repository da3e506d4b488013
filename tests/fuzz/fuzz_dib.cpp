// libFuzzer target: CDib::LoadFromFile on arbitrary file contents, then drawing what loaded
// onto small SDL surfaces (no display needed) and realising its palette.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sdl/sdl_draw_target.h"
#include "render/dib.h"
#include "tests/fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SDL_Surface* const screen =
      SDL_CreateRGBSurfaceWithFormat(0, 64, 48, 32, SDL_PIXELFORMAT_ARGB8888);
  static SDL_Surface* const indexed =
      SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 8, SDL_PIXELFORMAT_INDEX8);
  const std::string path = WriteFuzzFile("image.bmp", data, size);
  CDib dib;
  if (dib.LoadFromFile(path.c_str()) != 1) return 0;
  const DibExtent extent = dib.ImageExtent();
  DrawTarget target{screen};
  dib.PaintImage(&target, -3, -2, extent.width, extent.height, 0, 0);
  // A band of scan lines and a source rectangle that starts inside the image.
  dib.PaintScanRange(&target, 5, 5, 40, 30, 2, 1, 1, 7);
  DrawTarget small{indexed};
  dib.ApplyPalette(&small, 0);
  dib.PaletteToBackground(&small);
  dib.PaintImage(&small, 0, 0, extent.width, extent.height, 0, 0);
  return 0;
}
