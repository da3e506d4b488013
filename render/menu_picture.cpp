// Composing and painting the menu window's picture: through the kept off-screen image where
// that saves work, straight into the target where it cannot. Core headers and platform/*.h only.
#include "render/menu_picture.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/draw.h"
#include "platform/geometry.h"
#include "platform/selected_image.h"
#include "render/picture_layout.h"
#include "render/transition.h"

namespace {

// The bytes of value appended to out, for comparing what two pictures are drawn from.
template <typename T>
void Put(std::string* out, const T& value) {
  out->append(reinterpret_cast<const char*>(&value), sizeof value);
}

// count bytes of text (negative: up to the NUL), never past a NUL, with their number.
void PutText(std::string* out, const char* text, int32_t count) {
  size_t length = 0;
  while ((count < 0 || length < static_cast<size_t>(count)) && text[length] != '\0') ++length;
  Put(out, length);
  out->append(text, length);
}

// Widens the area of part by the pixels that drawing into rect (right and bottom exclusive)
// can reach. A turned-round rectangle is taken to reach everywhere.
void Reach(PicturePart* part, const Rect& rect) {
  if (rect.right < rect.left || rect.bottom < rect.top) {
    part->left = part->top = INT64_MIN;
    part->right = part->bottom = INT64_MAX;
    return;
  }
  if (rect.right == rect.left || rect.bottom == rect.top) return;
  if (part->left >= part->right || part->top >= part->bottom) {
    part->left = rect.left;
    part->top = rect.top;
    part->right = rect.right;
    part->bottom = rect.bottom;
    return;
  }
  part->left = std::min<int64_t>(part->left, rect.left);
  part->top = std::min<int64_t>(part->top, rect.top);
  part->right = std::max<int64_t>(part->right, rect.right);
  part->bottom = std::max<int64_t>(part->bottom, rect.bottom);
}

// Reach of a text as it is drawn, with its shadow when it has one; nothing without a text.
void ReachText(PicturePart* part, const TextDraw& text) {
  if (text.text == nullptr) return;
  Reach(part, text.rect);
  if (text.shadow) Reach(part, ShadowOf(text.rect));
}

}  // namespace

void CMenuPicture::Paint(const PictureSources& sources, DrawTarget* target, const Rect* paintRect,
                         bool drawDirect, int32_t* pendingEffect) {
  const int32_t width = sources.bitmapWidth;
  const int32_t height = sources.bitmapHeight;
  if (drawDirect) {
    Compose(sources, target, 0, 0, width, height);
    return;
  }

  ImageHandle offscreen = nullptr;
  if (sources.offscreenBuffer != nullptr) offscreen = KeptImage(sources);
  if (offscreen != nullptr) {
    const SelectedImage memory(target, offscreen);
    if (memory.target() == nullptr) return;
    if (*pendingEffect == EffectNone) {
      int32_t x = 0, y = 0, w = width, h = height;
      Rect region{0, 0, width, height};
      if (paintRect != nullptr) {
        x = paintRect->left;
        y = paintRect->top;
        w = Wrap(int64_t{paintRect->right} - paintRect->left);
        h = Wrap(int64_t{paintRect->bottom} - paintRect->top);
        region = *paintRect;
      } else {
        RealizeBackgroundPalette(sources.backgroundDib, target);
      }
      ComposeRegion(sources, memory.target(), region, DescribePicture(sources));
      BlitImage(target, x, y, w, h, memory.target(), x, y);
    } else {
      // The whole picture is composed first; the effect only reveals it.
      ComposeRegion(sources, memory.target(), Rect{0, 0, width, height}, DescribePicture(sources));
      RealizeBackgroundPalette(sources.backgroundDib, target);
      RevealPicture(*pendingEffect, target, memory.target(),
                    TransitionFrame{width, height, sources.screenDepth});
      *pendingEffect = EffectNone;
    }
    return;
  }

  RealizeBackgroundPalette(sources.backgroundDib, target);
  Compose(sources, target, 0, 0, width, height);
}

void CMenuPicture::Compose(const PictureSources& sources, DrawTarget* target, int32_t x, int32_t y,
                           int32_t width, int32_t height) {
  if (!CopyComposedImage(sources, target, x, y, width, height)) {
    DrawComposition(sources, target, x, y, width, height);
  }
}

ImageHandle CMenuPicture::KeptImage(const PictureSources& sources) {
  // The buffer is sized from the screen; a background larger than the screen gets an image
  // without initial bits instead of one read past the buffer's end. What the image starts
  // with never shows: every paint copies only what was composed.
  const uint64_t needed =
      ImageBytes(sources.bitmapWidth, sources.bitmapHeight, sources.screenDepth);
  const void* initial =
      (sources.offscreenBuffer != nullptr && needed != 0 && needed <= sources.offscreenSize)
          ? sources.offscreenBuffer
          : nullptr;
  return offscreenImage_.Obtain(sources.bitmapWidth, sources.bitmapHeight, sources.screenDepth,
                                initial);
}

void CMenuPicture::ComposeRegion(const PictureSources& sources, DrawTarget* memory,
                                 const Rect& region, PictureScene&& scene) {
  // Screens of 16 colours or fewer draw the bitmap file itself, and without a background at the
  // screen's depth what lies under the text is not the picture's: neither is kept.
  if (SixteenColoursOrFewer(sources.screenDepth) || sources.screenBitmap == nullptr) {
    offscreenImage_.Forget();
    LimitDrawing(memory, &region);
    DrawComposition(sources, memory, region.left, region.top,
                    Wrap(int64_t{region.right} - region.left),
                    Wrap(int64_t{region.bottom} - region.top));
    LimitDrawing(memory, nullptr);
    return;
  }
  offscreenImage_.Update(std::move(scene));
  // Each rectangle is drawn as the whole picture would be, with drawing stopped at its edges:
  // the title and the hint, drawn whole, cost no more than the part of them inside.
  for (const Rect& stale : offscreenImage_.TakeOutOfDate(region)) {
    LimitDrawing(memory, &stale);
    const bool drawn = DrawComposition(sources, memory, stale.left, stale.top,
                                       stale.right - stale.left, stale.bottom - stale.top);
    LimitDrawing(memory, nullptr);
    // Without its background a rectangle shows no picture; it is composed again next time.
    if (!drawn) offscreenImage_.Forget();
  }
}

bool CMenuPicture::CopyComposedImage(const PictureSources& sources, DrawTarget* target, int32_t x,
                                     int32_t y, int32_t width, int32_t height) {
  if (SixteenColoursOrFewer(sources.screenDepth) || sources.screenBitmap == nullptr) return false;
  // The copy gives the target what composing gives it only when the region holds the whole
  // image and nothing is drawn outside the image.
  const int64_t w = sources.bitmapWidth;
  const int64_t h = sources.bitmapHeight;
  if (x > 0 || y > 0 || int64_t{x} + width < w || int64_t{y} + height < h) return false;
  PictureScene scene = DescribePicture(sources);
  for (const PicturePart& part : scene.parts) {
    const bool empty = part.left >= part.right || part.top >= part.bottom;
    if (!empty && (part.left < 0 || part.top < 0 || part.right > w || part.bottom > h)) {
      return false;
    }
  }
  // Page buttons are copied onto the target as the entries are drawn; they are copied again
  // after the picture, which is the same only when they carry no text and nothing drawn after
  // them reaches them. Parts: the title, the entries in order, the hint.
  const CMenuPage& page = sources.page;
  size_t index = 1;
  for (VisibleNode* node = page.firstVisible; node != nullptr; node = node->next, ++index) {
    if (node->entry->bitmap == nullptr) continue;
    if (node->entry->text != nullptr) return false;
    // The copy again would wipe the focus frame drawn over the button.
    if (node->entry == page.hoveredItem && page.focusShown != 0) return false;
    const PicturePart& button = scene.parts[index];
    for (size_t later = index + 1; later < scene.parts.size(); ++later) {
      const PicturePart& part = scene.parts[later];
      if (part.left < button.right && button.left < part.right && part.top < button.bottom &&
          button.top < part.bottom) {
        return false;
      }
    }
  }
  const ImageHandle kept = KeptImage(sources);
  if (kept == nullptr) return false;
  {
    const SelectedImage memory(target, kept);
    if (memory.target() == nullptr) return false;
    ComposeRegion(sources, memory.target(), Rect{0, 0, sources.bitmapWidth, sources.bitmapHeight},
                  std::move(scene));
    BlitImage(target, x, y, width, height, memory.target(), x, y);
  }
  for (VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
    CMenuItem* entry = node->entry;
    if (entry->bitmap != nullptr && entry->Intersects(x, y, width, height)) {
      entry->Paint(target, page.itemStyle, 0);
    }
  }
  return true;
}

PictureScene DescribePicture(const PictureSources& sources) {
  const MenuSettings& settings = sources.settings;
  const CMenuPage& page = sources.page;
  PictureScene scene;
  Put(&scene.common, sources.bitmapWidth);
  Put(&scene.common, sources.bitmapHeight);
  Put(&scene.common, sources.screenDepth);
  Put(&scene.common, reinterpret_cast<uintptr_t>(sources.screenBitmap));
  Put(&scene.common, reinterpret_cast<uintptr_t>(sources.titleFont));
  Put(&scene.common, reinterpret_cast<uintptr_t>(sources.itemFont));
  Put(&scene.common, reinterpret_cast<uintptr_t>(sources.hintFont));
  Put(&scene.common, settings.titleStyle);
  Put(&scene.common, page.itemStyle);
  Put(&scene.common, page.hintStyle);

  // Each part from what its paint draws: the title, each entry of the visible list, the hint.
  PicturePart title;
  const TextDraw titleText = TitleDrawOf(settings);
  ReachText(&title, titleText);
  if (titleText.text != nullptr) {
    Put(&title.inputs, titleText.rect);
    Put(&title.inputs, titleText.count);
    PutText(&title.inputs, titleText.text, titleText.count);
  }
  scene.parts.push_back(std::move(title));

  for (VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
    const CMenuItem& entry = *node->entry;
    PicturePart part;
    if (entry.bitmap != nullptr) Reach(&part, entry.PictureArea());
    const TextDraw caption = entry.CaptionDraw(page.itemStyle);
    ReachText(&part, caption);
    const bool focus = page.FramesFocusOn(entry);
    if (focus) Reach(&part, CMenuPage::FocusFrameOf(entry));
    Put(&part.inputs, caption.rect);
    Put(&part.inputs, focus);
    Put(&part.inputs, reinterpret_cast<uintptr_t>(entry.bitmap));
    Put(&part.inputs, page.PaintStateOf(entry));
    Put(&part.inputs, caption.text != nullptr);
    Put(&part.inputs, caption.count);
    if (caption.text != nullptr) PutText(&part.inputs, caption.text, caption.count);
    scene.parts.push_back(std::move(part));
  }

  // In the rectangle DrawComposition gives PaintHint.
  PicturePart hint;
  const RectExtent hintArea = ExtentOf(sources.hintRect);
  const TextDraw hintText = page.HintDraw(hintArea.x, hintArea.y, hintArea.width, hintArea.height);
  ReachText(&hint, hintText);
  if (hintText.text != nullptr) {
    Put(&hint.inputs, hintText.rect);
    PutText(&hint.inputs, hintText.text, hintText.count);
  }
  scene.parts.push_back(std::move(hint));
  return scene;
}

bool DrawComposition(const PictureSources& sources, DrawTarget* target, int32_t x, int32_t y,
                     int32_t width, int32_t height) {
  bool background = false;
  if (SixteenColoursOrFewer(sources.screenDepth)) {
    // The bitmap file itself, always whole.
    sources.backgroundDib.PaintScanRange(target, 0, 0, static_cast<uint32_t>(sources.bitmapWidth),
                                         static_cast<uint32_t>(sources.bitmapHeight), 0, 0, 0,
                                         static_cast<uint32_t>(sources.bitmapHeight));
    background = true;
    x = 0;
    y = 0;
    width = sources.bitmapWidth;
    height = sources.bitmapHeight;
  } else if (sources.screenBitmap != nullptr) {
    // Without a memory target the background is skipped and the rest still drawn.
    const SelectedImage memory(target, sources.screenBitmap);
    if (memory.target() != nullptr) {
      BlitImage(target, x, y, width, height, memory.target(), x, y);
      background = true;
    }
  }

  // Only the entries are tested against the region; title and hint are drawn whole.
  const RectExtent hint = ExtentOf(sources.hintRect);
  const FontHandle previous = SelectFont(target, sources.titleFont);
  PaintTitle(sources.settings, target);
  SelectFont(target, sources.itemFont);
  sources.page.PaintItems(target, x, y, width, height);
  SelectFont(target, sources.hintFont);
  sources.page.PaintHint(target, hint.x, hint.y, hint.width, hint.height);
  // The fonts are replaced at the next apply; none stays selected where it could outlive it.
  SelectFont(target, previous);
  return background;
}

void PaintTitle(const MenuSettings& settings, DrawTarget* target) {
  const TextDraw title = TitleDrawOf(settings);
  if (title.text == nullptr) return;
  const int32_t previousMode = SetBackgroundMode(target, BackgroundTransparent);
  const ColorRef previousColour = SetTextColour(target, settings.titleStyle.color);
  if (title.shadow) {
    SetTextColour(target, settings.titleStyle.shadowColor);
    DrawTextIn(target, title.text, title.count, ShadowOf(title.rect), TextWordBreak | TextCenter);
  }
  SetTextColour(target, settings.titleStyle.color);
  DrawTextIn(target, title.text, title.count, title.rect, TextWordBreak | TextCenter);
  SetTextColour(target, previousColour);
  SetBackgroundMode(target, previousMode);
}

int RealizeBackgroundPalette(CDib& background, DrawTarget* target) {
  const int realised = background.ApplyPalette(target, 0);
  background.PaletteToBackground(target);
  return realised;
}
