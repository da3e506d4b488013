// Letting go of what a drawing target holds selected, so deleting an image or font later
// never reaches a target that is gone. Needs SDL only.
#include "platform/sdl/sdl_draw_target.h"

#include "platform/sdl/sdl_font.h"
#include "platform/sdl/sdl_image.h"

void DetachTarget(DrawTarget* target) {
  if (target == nullptr) return;
  if (target->selectedImage != nullptr) {
    target->selectedImage->selectedIn = nullptr;
    target->selectedImage = nullptr;
    target->surface = nullptr;
  }
  if (target->selectedFont != nullptr) {
    ForgetFontTarget(target->selectedFont, target);
    target->selectedFont = nullptr;
  }
}

DrawTarget::~DrawTarget() { DetachTarget(this); }
