// Writing the ISO 9660 image of a disc folder through xorriso.
#pragma once

#include <functional>
#include <ostream>
#include <string>

// Writes folder as an image with Joliet and Rock Ridge to file, under a temporary name first;
// progress lines go to err. On failure nothing is left under either name and *problem says why.
bool WriteImage(const std::string& folder, const std::string& file, const std::string& volumeId,
                std::ostream& err, std::string* problem);
