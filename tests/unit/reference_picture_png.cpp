// Reference pictures read from their PNG files through libpng's simplified reader. Tests only.
#include <png.h>

#include "tests/unit/reference_picture.h"

bool ReadReferencePicture(const std::filesystem::path& png, Picture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, png.string().c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  picture->rgba.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, picture->rgba.data(), 0, nullptr) != 0;
}
