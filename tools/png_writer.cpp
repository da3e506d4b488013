// Writing an SDL surface to a PNG file with libpng's simplified API, through the tool's safe
// output file. Needs SDL and libpng; nothing of the core.
#include "tools/png_writer.h"

#include <SDL.h>
#include <png.h>

#include <cstring>
#include <memory>

#include "tools/output_file.h"

namespace {

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

}  // namespace

bool WritePng(SDL_Surface* surface, const std::string& path, std::string* error) {
  if (surface == nullptr || surface->w <= 0 || surface->h <= 0) {
    *error = "there is no image to write";
    return false;
  }
  // RGB24 is red, green, blue in memory order, which is what PNG_FORMAT_RGB reads.
  std::unique_ptr<SDL_Surface, SurfaceDeleter> rgb(
      SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB24, 0));
  if (!rgb) {
    *error = std::string("cannot convert the image: ") + SDL_GetError();
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(rgb->w);
  image.height = static_cast<png_uint_32>(rgb->h);
  image.format = PNG_FORMAT_RGB;
  const bool locked = SDL_MUSTLOCK(rgb.get()) && SDL_LockSurface(rgb.get()) == 0;
  const bool written = WriteOutputFile(
      path, 0666,
      [&](std::FILE* file, std::string* why) {
        const int done = png_image_write_to_stdio(&image, file, 0, rgb->pixels,
                                                  static_cast<png_int_32>(rgb->pitch), nullptr);
        if (!done) *why = image.message;
        png_image_free(&image);
        return done != 0;
      },
      error);
  if (locked) SDL_UnlockSurface(rgb.get());
  return written;
}
