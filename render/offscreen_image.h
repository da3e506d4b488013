// COffscreenImage: the off-screen image that painting composes into, kept from one paint to the
// next, with a record of which parts of it still show the picture as it is now, so that a paint
// composes only what changed. Core headers and platform/*.h only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"

// One thing drawn into the picture (title, entry, hint): the area its drawing can reach and
// every input that decides its pixels, so that two parts described alike draw alike.
struct PicturePart {
  int64_t left = 0;  // the area, right and bottom exclusive; empty: it draws nothing
  int64_t top = 0;
  int64_t right = 0;
  int64_t bottom = 0;
  std::string inputs;

  bool operator==(const PicturePart& other) const {
    return left == other.left && top == other.top && right == other.right &&
           bottom == other.bottom && inputs == other.inputs;
  }
  bool operator!=(const PicturePart& other) const { return !(*this == other); }
};

// The whole picture: what every part depends on (size, depth, background, fonts, styles), and
// the parts in drawing order.
struct PictureScene {
  std::string common;
  std::vector<PicturePart> parts;
};

class COffscreenImage {
 public:
  COffscreenImage() = default;
  ~COffscreenImage();
  COffscreenImage(const COffscreenImage&) = delete;
  COffscreenImage& operator=(const COffscreenImage&) = delete;

  // An image of width x height at bitsPerPixel: the one kept when it has that size and depth,
  // else a new one made from initialBits (null: none) that is kept from then on, with nothing
  // of it up to date. Null when none can be made. The image stays owned here.
  ImageHandle Obtain(int32_t width, int32_t height, int32_t bitsPerPixel, const void* initialBits);
  // Frees the image kept, if any.
  void Release();
  // Takes nothing of the image as up to date any more.
  void Forget();

  // scene is the picture as it is now: every part of the image that showed something else is
  // out of date from here on.
  void Update(PictureScene&& scene);
  // The out-of-date parts of region (right and bottom exclusive; clipped to the image), as
  // rectangles of whole tiles, which are taken as up to date from here on: the caller composes
  // them now. Empty without an image.
  std::vector<Rect> TakeOutOfDate(const Rect& region);

 private:
  // Composing works in tiles of this size: small enough that a hover recomposes little more
  // than the entry and the hint, large enough that a region is a few rectangles. Budget: the
  // image (the background's size at the screen's depth) and one byte per tile of it.
  static constexpr int32_t kTileWidth = 32;
  static constexpr int32_t kTileHeight = 16;

  void MarkOutOfDate(const PicturePart& part);

  ImageHandle image_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t bitsPerPixel_ = 0;
  int32_t columns_ = 0;            // tiles across
  int32_t rows_ = 0;               // tiles down
  std::vector<uint8_t> upToDate_;  // per tile, row by row: 1 when it shows scene_
  PictureScene scene_;             // what the up-to-date tiles show
};
