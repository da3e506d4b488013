// The off-screen image kept between paints and which of its tiles show the picture as it is
// now. Core headers and platform/*.h only.
#include "render/offscreen_image.h"

#include <algorithm>
#include <utility>

#include "platform/draw.h"

COffscreenImage::~COffscreenImage() { Release(); }

ImageHandle COffscreenImage::Obtain(int32_t width, int32_t height, int32_t bitsPerPixel,
                                    const void* initialBits) {
  if (image_ != nullptr && width == width_ && height == height_ && bitsPerPixel == bitsPerPixel_) {
    return image_;
  }
  Release();
  image_ = CreateImage(width, height, bitsPerPixel, initialBits);
  if (image_ == nullptr) return nullptr;
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  columns_ = static_cast<int32_t>((int64_t{width} + kTileWidth - 1) / kTileWidth);
  rows_ = static_cast<int32_t>((int64_t{height} + kTileHeight - 1) / kTileHeight);
  upToDate_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), 0);
  return image_;
}

void COffscreenImage::Release() {
  DeleteImage(image_);
  image_ = nullptr;
  width_ = 0;
  height_ = 0;
  bitsPerPixel_ = 0;
  columns_ = 0;
  rows_ = 0;
  upToDate_.clear();
  upToDate_.shrink_to_fit();
  scene_ = PictureScene{};
}

void COffscreenImage::Forget() {
  std::fill(upToDate_.begin(), upToDate_.end(), 0);
  scene_ = PictureScene{};
}

void COffscreenImage::MarkOutOfDate(const PicturePart& part) {
  const int64_t left = std::max<int64_t>(part.left, 0);
  const int64_t top = std::max<int64_t>(part.top, 0);
  const int64_t right = std::min<int64_t>(part.right, width_);
  const int64_t bottom = std::min<int64_t>(part.bottom, height_);
  if (left >= right || top >= bottom) return;
  for (int64_t row = top / kTileHeight; row <= (bottom - 1) / kTileHeight; ++row) {
    for (int64_t column = left / kTileWidth; column <= (right - 1) / kTileWidth; ++column) {
      upToDate_[static_cast<size_t>(row * columns_ + column)] = 0;
    }
  }
}

void COffscreenImage::Update(PictureScene&& scene) {
  if (scene.common != scene_.common) {
    Forget();
  } else {
    // A part that changed is out of date where it was and where it is; a tile that no
    // changed part reaches is drawn from the same parts in the same order as before.
    const size_t count = std::max(scene.parts.size(), scene_.parts.size());
    for (size_t i = 0; i < count; ++i) {
      const bool before = i < scene_.parts.size();
      const bool now = i < scene.parts.size();
      if (before && now && scene_.parts[i] == scene.parts[i]) continue;
      if (before) MarkOutOfDate(scene_.parts[i]);
      if (now) MarkOutOfDate(scene.parts[i]);
    }
  }
  scene_ = std::move(scene);
}

std::vector<Rect> COffscreenImage::TakeOutOfDate(const Rect& region) {
  std::vector<Rect> stale;
  if (image_ == nullptr) return stale;
  const int64_t left = std::max<int64_t>(region.left, 0);
  const int64_t top = std::max<int64_t>(region.top, 0);
  const int64_t right = std::min<int64_t>(region.right, width_);
  const int64_t bottom = std::min<int64_t>(region.bottom, height_);
  if (left >= right || top >= bottom) return stale;
  const int32_t firstColumn = static_cast<int32_t>(left / kTileWidth);
  const int32_t lastColumn = static_cast<int32_t>((right - 1) / kTileWidth);
  std::vector<size_t> open;  // rectangles that end where this tile row starts
  std::vector<size_t> stillOpen;
  for (int32_t row = static_cast<int32_t>(top / kTileHeight);
       row <= static_cast<int32_t>((bottom - 1) / kTileHeight); ++row) {
    const int32_t y = row * kTileHeight;
    const int32_t yEnd = std::min(y + kTileHeight, height_);
    stillOpen.clear();
    for (int32_t column = firstColumn; column <= lastColumn;) {
      uint8_t* tile = &upToDate_[static_cast<size_t>(row) * columns_ + column];
      if (*tile) {
        ++column;
        continue;
      }
      // A run of out-of-date tiles along the row is one rectangle, or grows the same run of
      // the row above downwards.
      const int32_t runStart = column;
      while (column <= lastColumn && !*tile) {
        *tile++ = 1;
        ++column;
      }
      const Rect run{runStart * kTileWidth, y, std::min(column * kTileWidth, width_), yEnd};
      auto above = std::find_if(open.begin(), open.end(), [&](size_t i) {
        return stale[i].left == run.left && stale[i].right == run.right;
      });
      if (above != open.end()) {
        stale[*above].bottom = run.bottom;
        stillOpen.push_back(*above);
      } else {
        stillOpen.push_back(stale.size());
        stale.push_back(run);
      }
    }
    open.swap(stillOpen);
  }
  return stale;
}
