// Writing a picture to a PNG file with libpng's simplified API, through the tool's safe output
// file.
#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tools/output_file.h"
#include "tools/png_writer.h"

bool WritePng(const HeadlessPicture& picture, const std::string& path, std::string* error) {
  if (picture.width <= 0 || picture.height <= 0) {
    *error = "there is no image to write";
    return false;
  }
  // Red, green, blue in memory order, which is what PNG_FORMAT_RGB reads.
  std::vector<uint8_t> rgb;
  rgb.reserve(picture.rgb.size() * 3);
  for (const uint32_t pixel : picture.rgb) {
    rgb.push_back(static_cast<uint8_t>(pixel >> 16));
    rgb.push_back(static_cast<uint8_t>(pixel >> 8));
    rgb.push_back(static_cast<uint8_t>(pixel));
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  return WriteOutputFile(
      path, 0666,
      [&](std::FILE* file, std::string* why) {
        const int done = png_image_write_to_stdio(
            &image, file, 0, rgb.data(), static_cast<png_int_32>(picture.width * 3), nullptr);
        if (!done) *why = image.message;
        png_image_free(&image);
        return done != 0;
      },
      error);
}
