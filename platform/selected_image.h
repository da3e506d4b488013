// An image target holding one image for the length of a scope: made compatible with a target,
// the image selected into it, and at the end the earlier selection put back and the target
// freed. Built on platform/draw.h only.
#pragma once

#include "platform/draw.h"

class SelectedImage {
 public:
  SelectedImage(DrawTarget* compatibleWith, ImageHandle image)
      : memory_(CreateImageTarget(compatibleWith)),
        before_(memory_ != nullptr ? SelectImage(memory_, image) : nullptr) {}
  ~SelectedImage() {
    if (memory_ == nullptr) return;
    SelectImage(memory_, before_);
    DeleteImageTarget(memory_);
  }
  SelectedImage(const SelectedImage&) = delete;
  SelectedImage& operator=(const SelectedImage&) = delete;

  // The target with the image selected; null when none could be made.
  DrawTarget* target() const { return memory_; }

 private:
  DrawTarget* memory_;
  ImageHandle before_;
};
