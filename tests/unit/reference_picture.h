// Reading the PNG reference pictures of third-party image suites as RGBA, for tests.
// reference_picture_png.cpp reads them through libpng; reference_picture_pam.cpp reads the PAM
// copies the build made of them (tests/wine/png_to_pam.py) where there is no libpng.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // rows top first, 4 bytes a pixel
};

// False when the picture cannot be read.
bool ReadReferencePicture(const std::filesystem::path& png, Picture* picture);
