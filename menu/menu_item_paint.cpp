// CMenuItem's rectangle tests and drawing, used by the page's layout, pointer code and paint.
// Standard library, profile/ and platform/*.h only.
#include "platform/draw.h"
#include "platform/geometry.h"
#include "platform/selected_image.h"
#include "profile/menu_item.h"
#include "profile/menu_settings.h"

int CMenuItem::ContainsPoint(int32_t x, int32_t y) const {
  return left <= x && x <= right && top <= y && y <= bottom ? 1 : 0;
}

int CMenuItem::Intersects(int32_t x, int32_t y, int32_t width, int32_t height) const {
  // Compared exactly in 64 bits, so a huge region never wraps around and misses.
  if (int64_t{x} + width - 1 < left || right < x) return 0;
  if (int64_t{y} + height - 1 < top || bottom < y) return 0;
  return 1;
}

Rect CMenuItem::PictureArea() const {
  return Rect{left, top, Wrap(int64_t{right} + 1), Wrap(int64_t{bottom} + 1)};
}

TextDraw CMenuItem::CaptionDraw(const TextStyle& style) const {
  return TextDraw{text, textLength, Rect{left, top, right, bottom},
                  (style.flags & StyleShadow) != 0};
}

int CMenuItem::Paint(DrawTarget* dc, const TextStyle& style, int32_t state) const {
  if (bitmap != nullptr) {
    // The picture is copied opaquely from its top-left corner over the whole rectangle.
    const SelectedImage memory(dc, bitmap);
    const Rect area = PictureArea();
    if (memory.target() != nullptr) {
      BlitImage(dc, area.left, area.top, Wrap(int64_t{area.right} - area.left),
                Wrap(int64_t{area.bottom} - area.top), memory.target(), 0, 0);
    }
  }
  const TextDraw caption = CaptionDraw(style);
  if (caption.text == nullptr) return 0;

  bool coloured = false;
  ColorRef previousColour = 0;
  if (caption.shadow) {
    previousColour = SetTextColour(dc, style.shadowColor);
    coloured = true;
    DrawTextIn(dc, caption.text, caption.count, ShadowOf(caption.rect), 0);
  }
  // Any other state keeps the colour in the target (the shadow colour after a shadow).
  const ColorRef* stateColour = nullptr;
  if (state == ItemStateNormal) stateColour = &style.color;
  if (state == ItemStateHovered) stateColour = &style.highlightColor;
  if (state == ItemStateVisited) stateColour = &style.selectedColor;
  if (stateColour != nullptr) {
    const ColorRef before = SetTextColour(dc, *stateColour);
    if (!coloured) previousColour = before;
    coloured = true;
  }
  DrawTextIn(dc, caption.text, caption.count, caption.rect, 0);
  if (coloured) SetTextColour(dc, previousColour);
  return 1;
}
