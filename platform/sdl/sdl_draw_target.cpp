// Letting go of what a drawing target holds selected, so deleting an image or font later
// never reaches a target that is gone; the list of targets handed out on a surface.
// Needs SDL only.
#include "platform/sdl/sdl_draw_target.h"

#include <algorithm>
#include <new>

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

DrawTarget* HandOutTarget(HandedTargets* targets, SDL_Surface* surface, int32_t bitsPerPixel) {
  auto target = std::unique_ptr<DrawTarget>(new (std::nothrow) DrawTarget{});
  if (!target) return nullptr;
  target->surface = surface;
  target->bitsPerPixel = bitsPerPixel;
  targets->push_back(std::move(target));
  return targets->back().get();
}

bool TakeBackTarget(HandedTargets* targets, DrawTarget* target) {
  auto found = std::find_if(targets->begin(), targets->end(),
                            [target](const auto& held) { return held.get() == target; });
  if (found == targets->end()) return false;
  targets->erase(found);
  return true;
}
