// Writing the headless window's picture to a PNG file, through the tool's safe output file.
// Linux uses libpng; the Windows build, which has no PNG library, writes stored (uncompressed)
// deflate blocks. Nothing of the core.
#pragma once

#include <string>

#include "platform/headless/headless_control.h"

// Writes picture as an 8-bit RGB PNG to path, by a temporary name and a rename (an existing
// link at path is replaced, not written through). true on success; otherwise false with the
// reason in *error, and path as it was.
bool WritePng(const HeadlessPicture& picture, const std::string& path, std::string* error);
