// Writing a picture to a PNG file of stored deflate blocks, through the tool's safe output file
// (the Windows build, which has no PNG library).
#include "tools/output_file.h"
#include "tools/png_stored.h"
#include "tools/png_writer.h"

bool WritePng(const HeadlessPicture& picture, const std::string& path, std::string* error) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() != static_cast<size_t>(picture.width) * picture.height) {
    *error = "there is no image to write";
    return false;
  }
  return WriteOutputText(path, StoredPng(picture.width, picture.height, picture.rgb.data()), 0666,
                         error);
}
