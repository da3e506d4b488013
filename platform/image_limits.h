// Limits on image sizes shared by the bitmap reader, images and window client areas, so that
// whatever one of them accepts the others can hold. No OS headers here.
#pragma once

#include <cstdint>

// Largest width or height in pixels. No menu background comes near it.
constexpr int32_t kMaxImageSide = 32767;
// Largest number of pixels of one image (4096 x 4096): 64 MiB at 32 bits per pixel, so that the
// bitmap, its copy at the screen's depth, the window and the off-screen image stay near 256 MiB.
constexpr int64_t kMaxImagePixels = int64_t{16} * 1024 * 1024;
