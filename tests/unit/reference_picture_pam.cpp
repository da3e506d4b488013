// Reference pictures read from the RGBA PAM copies that the build made of the PNG files, in
// QUOREL_REFERENCE_PICTURE_DIR under the same name. Tests only; for builds without libpng.
#include <fstream>
#include <sstream>
#include <string>

#include "tests/unit/reference_picture.h"

#ifndef QUOREL_REFERENCE_PICTURE_DIR
#define QUOREL_REFERENCE_PICTURE_DIR ""
#endif

bool ReadReferencePicture(const std::filesystem::path& png, Picture* picture) {
  const std::filesystem::path pam =
      std::filesystem::path(QUOREL_REFERENCE_PICTURE_DIR) / png.stem().concat(".pam");
  std::ifstream in(pam, std::ios::binary);
  // The header, one field a line, as png_to_pam.py writes it.
  std::string line, field;
  int width = 0, height = 0, depth = 0, maxValue = 0;
  while (std::getline(in, line) && line != "ENDHDR") {
    std::istringstream words(line);
    words >> field;
    if (field == "WIDTH") words >> width;
    if (field == "HEIGHT") words >> height;
    if (field == "DEPTH") words >> depth;
    if (field == "MAXVAL") words >> maxValue;
  }
  if (!in || width <= 0 || height <= 0 || depth != 4 || maxValue != 255) return false;
  picture->width = width;
  picture->height = height;
  picture->rgba.resize(static_cast<size_t>(width) * height * 4);
  in.read(reinterpret_cast<char*>(picture->rgba.data()),
          static_cast<std::streamsize>(picture->rgba.size()));
  return static_cast<size_t>(in.gcount()) == picture->rgba.size();
}
