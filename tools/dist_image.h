// Writing the ISO 9660 image of a disc folder: through xorriso on Linux
// (dist_image_xorriso.cpp); the Windows tool writes none (dist_image_win32.cpp).
#pragma once

#include <functional>
#include <ostream>
#include <string>

// Writes folder as an image with Joliet and Rock Ridge to file, under a temporary name first;
// progress lines go to err. On failure nothing is left under either name and *problem says why.
bool WriteImage(const std::string& folder, const std::string& file, const std::string& volumeId,
                std::ostream& err, std::string* problem);

// Why this build writes no image (told before anything is copied); empty when it does.
std::string NoImageWriter();
