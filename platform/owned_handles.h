// Owners of the drawing objects the core makes for itself, fonts and images: each is freed
// once, when its owner is reset or goes. Built on platform/draw.h only.
#pragma once

#include <memory>

#include "platform/draw.h"

struct FontDeleter {
  void operator()(PlatformFont* font) const { DeleteFont(font); }
};
using OwnedFont = std::unique_ptr<PlatformFont, FontDeleter>;

struct ImageDeleter {
  void operator()(PlatformImage* image) const { DeleteImage(image); }
};
using OwnedImage = std::unique_ptr<PlatformImage, ImageDeleter>;
