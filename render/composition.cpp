// Putting a settings record in force (fonts, background, layout, hint and title rectangles,
// window size) and composing and painting the menu window. Core headers and platform/*.h only.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "app/menu_app.h"
#include "platform/copy_text.h"
#include "platform/draw.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "res/resource_ids.h"

namespace {

// Geometry is 32-bit two's-complement arithmetic: what leaves the range wraps around as in
// 32-bit registers instead of being undefined.
int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

FontHandle MakeFont(const TextStyle& style) {
  FontRequest request;
  request.height = style.size;
  request.weight = (style.flags & StyleBold) ? FontWeightBold : FontWeightNormal;
  request.italic = (style.flags & StyleItalic) ? 1 : 0;
  request.underline = (style.flags & StyleUnderline) ? 1 : 0;
  request.quality = (style.flags & StyleAntiAlias) ? FontQualityAntialiased : FontQualityPlain;
  return CreateFontFor(request);
}

// Bytes of an image of width x height at bitsPerPixel with rows padded to 4 bytes: enough for
// any device's row alignment. 0 for sizes that make no image.
uint64_t ImageBytes(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return 0;
  const uint64_t rowBytes = (uint64_t(width) * uint64_t(bitsPerPixel) + 31) / 32 * 4;
  return rowBytes * uint64_t(height);
}

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

// Characters of the title to measure and draw; never beyond its buffer.
int32_t TitleCount(const MenuSettings& settings) {
  const int32_t limit = static_cast<int32_t>(sizeof settings.titleText) - 1;
  if (settings.titleLength < 0) return 0;
  return settings.titleLength < limit ? settings.titleLength : limit;
}

}  // namespace

int CMenuApp::ApplySettings(MenuSettings* newSettings, int centre) {
  if (newSettings == nullptr || newSettings->recordSize < kMenuSettingsSize) return 0;

  // Below the first level the exit button's place holds the return button.
  CMenuItem* exitOrReturn = &page.exitButton;
  const char* exitOrReturnHint = newSettings->hintExit;
  if (sessionIndex >= 1) {
    exitOrReturn = &page.returnButton;
    exitOrReturnHint = newSettings->hintReturn;
  }
  page.exitOrReturnButton = exitOrReturn;
  const struct {
    CMenuItem* button;
    const char* hint;
  } hints[] = {{exitOrReturn, exitOrReturnHint},
               {&page.backwardButton, newSettings->hintBackward},
               {&page.forwardButton, newSettings->hintForward}};
  for (const auto& h : hints) {
    if (h.button->hint != nullptr) CopyText(h.button->hint, CMenuPage::kButtonHintSize, h.hint);
  }

  busy = 1;
  // What the kept image shows belongs to the settings before; it is made afresh at the next
  // paint, and its memory is not held meanwhile.
  offscreenImage.Release();
  PlayMenuSound(SoundResourceName(IDW_PAGE), SoundResource | SoundAsync);
  if (newSettings != &settings) settings = *newSettings;

  DeleteFont(itemFont);
  // Kept extents are keyed by the font handle, which the new font may reuse.
  page.ForgetMeasures();
  itemFont = MakeFont(settings.itemStyle);
  DeleteFont(hintFont);
  hintFont = MakeFont(settings.hintStyle);
  DeleteFont(titleFont);
  titleFont = MakeFont(settings.titleStyle);

  // A relative name is taken from the current directory: the working directory of the level.
  if (!backgroundDib.LoadFromFile(settings.background)) {
    // CDib has shown its message. The items are those of the new file already, so only the
    // exit-or-return button is left to answer the pointer: it leads back to the level shown
    // before (or asks the exit question), and pointer input must not stay blocked for it.
    page.KeepExitOrReturnOnly();
    busy = 0;
    return 0;
  }
  const DibExtent extent = backgroundDib.ImageExtent();
  const int32_t width = extent.width;
  const int32_t height = extent.height;

  DrawTarget* windowTarget = GetWindowTarget(window);
  page.Layout(settings.itemArea[0], settings.itemArea[1], settings.itemArea[2],
              settings.itemArea[3], height, itemFont, windowTarget, settings.columns,
              settings.itemsPerColumn, page.currentPage);
  // A file without items lays out nothing; the buttons of the level before must not stay.
  if (page.itemCount == 0) page.KeepExitOrReturnOnly();

  // The hint line: below the items unless its place is given. Without HintEndX it reaches
  // one pixel past the background's right and bottom edges.
  const int32_t* hintArea = settings.hintArea;
  if (hintArea[0] < 0 || hintArea[1] < 0 || hintArea[3] < 0) {
    int64_t lineHeight = int64_t{settings.hintStyle.size} + 1;
    if (settings.hintStyle.flags & StyleUnderline) ++lineHeight;
    hintRect[0] = 10;
    hintRect[1] = Wrap(int64_t{height} - lineHeight - 8);
    hintRect[2] = Wrap(int64_t{width} - 20);
    hintRect[3] = Wrap(lineHeight);
  } else {
    hintRect[0] = hintArea[0];
    hintRect[1] = hintArea[1];
    if (hintArea[2] >= 0) {
      hintRect[2] = Wrap(int64_t{hintArea[2]} - hintArea[0] + 1);
      hintRect[3] = Wrap(int64_t{hintArea[3]} - hintArea[1] + 1);
    } else {
      hintRect[2] = Wrap(int64_t{width} - hintArea[0] + 1);
      hintRect[3] = Wrap(int64_t{height} - hintArea[1] + 1);
    }
  }

  // The title rectangle: all four computed as soon as one is missing, centred at the top.
  int32_t* titleArea = settings.titleArea;
  if (titleArea[0] < 0 || titleArea[1] < 0 || titleArea[2] < 0 || titleArea[3] < 0) {
    const FontHandle previous = SelectFont(windowTarget, titleFont);
    TextExtent measured{0, 0};
    if (!MeasureText(windowTarget, settings.titleText, TitleCount(settings), &measured)) {
      measured = TextExtent{0, 0};
    }
    SelectFont(windowTarget, previous);
    const int64_t cx = int64_t{measured.cx} + 4;
    const int64_t cy = measured.cy;
    titleArea[0] = Wrap((int64_t{width} - cx) / 2);
    titleArea[1] = 20;
    titleArea[2] = Wrap(int64_t{titleArea[0]} + cx - 1);
    titleArea[3] = Wrap(cy + 20 + ((settings.titleStyle.flags & StyleUnderline) ? 1 : 0));
  }

  bitmapWidth = width;
  bitmapHeight = height;

  // The background once at the screen's depth, so that painting copies instead of
  // converting. The initial content is never shown; when no buffer can be had for it the
  // image is made without initial bits.
  screenBits.reset();
  screenBitsSize = 0;
  DeleteImage(screenBitmap);
  const uint64_t bitsSize = ImageBytes(width, height, screenDepth);
  if (bitsSize != 0 && bitsSize <= SIZE_MAX) {
    screenBits.reset(new (std::nothrow) uint8_t[static_cast<size_t>(bitsSize)]);
    if (screenBits) screenBitsSize = static_cast<size_t>(bitsSize);
  }
  screenBitmap = CreateImage(width, height, screenDepth, screenBits.get());
  if (screenBitmap != nullptr) {
    DrawTarget* memory = CreateImageTarget(windowTarget);
    if (memory != nullptr) {
      const ImageHandle before = SelectImage(memory, screenBitmap);
      backgroundDib.ApplyPalette(memory, 0);
      backgroundDib.PaintImage(memory, 0, 0, static_cast<uint32_t>(width),
                               static_cast<uint32_t>(height), 0, 0);
      SelectImage(memory, before);
      DeleteImageTarget(memory);
    }
  }
  ReleaseWindowTarget(window, windowTarget);

  SizeWindowForClient(window, width, height);
  if (centre) CenterWindow();
  ShowWindowNow(window);
  SetWindowCaption(window, newSettings->titleText);
  busy = 0;
  return 1;
}

int CMenuApp::PaintWindow(DrawTarget* target, const Rect* paintRect) {
  if (!settings.loaded) return 0;
  const int32_t width = bitmapWidth;
  const int32_t height = bitmapHeight;
  const int32_t depth = screenDepth;

  // Releases of the 95 family at 16 colours or fewer draw straight into the window.
  const int32_t variant = profile.variant;
  const bool windows9x = variant == Variant95 || variant == Variant98 || variant == Variant98SE ||
                         variant == VariantME;
  if (depth <= 4 && windows9x) {
    ComposeImage(target, 0, 0, width, height);
    return 1;
  }

  ImageHandle offscreen = nullptr;
  if (offscreenBuffer) offscreen = KeptImage();
  if (offscreen != nullptr) {
    DrawTarget* memory = CreateImageTarget(target);
    if (memory == nullptr) return 1;
    const ImageHandle before = SelectImage(memory, offscreen);
    if (pendingEffect == -1) {
      int32_t x = 0, y = 0, w = width, h = height;
      Rect region{0, 0, width, height};
      if (paintRect != nullptr) {
        x = paintRect->left;
        y = paintRect->top;
        w = Wrap(int64_t{paintRect->right} - paintRect->left);
        h = Wrap(int64_t{paintRect->bottom} - paintRect->top);
        region = *paintRect;
      } else {
        RealizeBackgroundPalette(target);
      }
      ComposeRegion(memory, region, DescribePicture());
      BlitImage(target, x, y, w, h, memory, x, y);
    } else {
      // The whole picture is composed first; the effect only reveals it.
      ComposeRegion(memory, Rect{0, 0, width, height}, DescribePicture());
      RunTransition(pendingEffect, target, memory);
      pendingEffect = -1;
    }
    SelectImage(memory, before);
    DeleteImageTarget(memory);
    return 1;
  }

  RealizeBackgroundPalette(target);
  ComposeImage(target, 0, 0, width, height);
  return 1;
}

void CMenuApp::ComposeImage(DrawTarget* target, int32_t x, int32_t y, int32_t width,
                            int32_t height) {
  if (!CopyComposedImage(target, x, y, width, height)) DrawComposition(target, x, y, width, height);
}

ImageHandle CMenuApp::KeptImage() {
  // The buffer is sized from the screen; a background larger than the screen gets an image
  // without initial bits instead of one read past the buffer's end. What the image starts
  // with never shows: every paint copies only what was composed.
  const uint64_t needed = ImageBytes(bitmapWidth, bitmapHeight, screenDepth);
  const void* initial =
      (offscreenBuffer && needed != 0 && needed <= offscreenSize) ? offscreenBuffer.get() : nullptr;
  return offscreenImage.Obtain(bitmapWidth, bitmapHeight, screenDepth, initial);
}

void CMenuApp::ComposeRegion(DrawTarget* memory, const Rect& region, PictureScene&& scene) {
  // Palette screens draw the bitmap file itself, and without a background at the screen's
  // depth what lies under the text is not the picture's: neither is kept.
  if (screenDepth < 5 || screenBitmap == nullptr) {
    offscreenImage.Forget();
    LimitDrawing(memory, &region);
    DrawComposition(memory, region.left, region.top, Wrap(int64_t{region.right} - region.left),
                    Wrap(int64_t{region.bottom} - region.top));
    LimitDrawing(memory, nullptr);
    return;
  }
  offscreenImage.Update(std::move(scene));
  // Each rectangle is drawn as the whole picture would be, with drawing stopped at its edges:
  // the title and the hint, drawn whole, cost no more than the part of them inside.
  for (const Rect& stale : offscreenImage.TakeOutOfDate(region)) {
    LimitDrawing(memory, &stale);
    const bool drawn = DrawComposition(memory, stale.left, stale.top, stale.right - stale.left,
                                       stale.bottom - stale.top);
    LimitDrawing(memory, nullptr);
    // Without its background a rectangle shows no picture; it is composed again next time.
    if (!drawn) offscreenImage.Forget();
  }
}

bool CMenuApp::CopyComposedImage(DrawTarget* target, int32_t x, int32_t y, int32_t width,
                                 int32_t height) {
  if (screenDepth < 5 || screenBitmap == nullptr) return false;
  // The copy gives the target what composing gives it only when the region holds the whole
  // image and nothing is drawn outside the image.
  const int64_t w = bitmapWidth;
  const int64_t h = bitmapHeight;
  if (x > 0 || y > 0 || int64_t{x} + width < w || int64_t{y} + height < h) return false;
  PictureScene scene = DescribePicture();
  for (const PicturePart& part : scene.parts) {
    const bool empty = part.left >= part.right || part.top >= part.bottom;
    if (!empty && (part.left < 0 || part.top < 0 || part.right > w || part.bottom > h)) {
      return false;
    }
  }
  // Page buttons are copied onto the target as the entries are drawn; they are copied again
  // after the picture, which is the same only when they carry no text and nothing drawn after
  // them reaches them. Parts: the title, the entries in order, the hint.
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
  const ImageHandle kept = KeptImage();
  if (kept == nullptr) return false;
  DrawTarget* memory = CreateImageTarget(target);
  if (memory == nullptr) return false;
  const ImageHandle before = SelectImage(memory, kept);
  ComposeRegion(memory, Rect{0, 0, bitmapWidth, bitmapHeight}, std::move(scene));
  BlitImage(target, x, y, width, height, memory, x, y);
  SelectImage(memory, before);
  DeleteImageTarget(memory);
  for (VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
    CMenuItem* entry = node->entry;
    if (entry->bitmap != nullptr && entry->Intersects(x, y, width, height)) {
      entry->Paint(target, page.itemStyle, 0);
    }
  }
  return true;
}

PictureScene CMenuApp::DescribePicture() const {
  PictureScene scene;
  Put(&scene.common, bitmapWidth);
  Put(&scene.common, bitmapHeight);
  Put(&scene.common, screenDepth);
  Put(&scene.common, reinterpret_cast<uintptr_t>(screenBitmap));
  Put(&scene.common, reinterpret_cast<uintptr_t>(titleFont));
  Put(&scene.common, reinterpret_cast<uintptr_t>(itemFont));
  Put(&scene.common, reinterpret_cast<uintptr_t>(hintFont));
  Put(&scene.common, settings.titleStyle);
  Put(&scene.common, page.itemStyle);
  Put(&scene.common, page.hintStyle);
  const auto withShadow = [](PicturePart* part, const Rect& rect, bool shadow) {
    Reach(part, rect);
    if (shadow) {
      Reach(part, Rect{Wrap(int64_t{rect.left} + 2), Wrap(int64_t{rect.top} + 1), rect.right,
                       Wrap(int64_t{rect.bottom} + 1)});
    }
  };

  // As PaintTitle draws it.
  PicturePart title;
  const int32_t count = TitleCount(settings);
  if (settings.drawTitle != 0 && count != 0) {
    const int32_t* area = settings.titleArea;
    const Rect rect{area[0], area[1], area[2], area[3]};
    withShadow(&title, rect, (settings.titleStyle.flags & StyleShadow) != 0);
    Put(&title.inputs, rect);
    Put(&title.inputs, count);
    PutText(&title.inputs, settings.titleText, count);
  }
  scene.parts.push_back(std::move(title));

  // As PaintItems draws them.
  for (VisibleNode* node = page.firstVisible; node != nullptr; node = node->next) {
    const CMenuItem* entry = node->entry;
    PicturePart part;
    const Rect rect{entry->left, entry->top, entry->right, entry->bottom};
    if (entry->bitmap != nullptr) {
      Reach(&part, Rect{entry->left, entry->top, Wrap(int64_t{entry->right} + 1),
                        Wrap(int64_t{entry->bottom} + 1)});
    }
    if (entry->text != nullptr) withShadow(&part, rect, (page.itemStyle.flags & StyleShadow) != 0);
    const int32_t state = entry == page.hoveredItem ? 1 : entry->visited ? 2 : 0;
    const bool focus = state == 1 && page.focusShown != 0;
    if (focus) Reach(&part, CMenuPage::FocusFrameOf(*entry));
    Put(&part.inputs, rect);
    Put(&part.inputs, focus);
    Put(&part.inputs, reinterpret_cast<uintptr_t>(entry->bitmap));
    Put(&part.inputs, state);
    Put(&part.inputs, entry->text != nullptr);
    Put(&part.inputs, entry->textLength);
    if (entry->text != nullptr) PutText(&part.inputs, entry->text, entry->textLength);
    scene.parts.push_back(std::move(part));
  }

  // As PaintHint draws it in hintRect.
  PicturePart hint;
  const CMenuItem* hovered = page.hoveredItem;
  if (hovered != nullptr && hovered->hint != nullptr) {
    const Rect rect{hintRect[0], hintRect[1], Wrap(int64_t{hintRect[0]} + hintRect[2] - 1),
                    Wrap(int64_t{hintRect[1]} + hintRect[3] - 1)};
    withShadow(&hint, rect, (page.hintStyle.flags & StyleShadow) != 0);
    Put(&hint.inputs, rect);
    PutText(&hint.inputs, hovered->hint, -1);
  }
  scene.parts.push_back(std::move(hint));
  return scene;
}

bool CMenuApp::DrawComposition(DrawTarget* target, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
  bool background = false;
  if (screenDepth < 5) {
    // Palette screens convert the bitmap file itself, always whole.
    backgroundDib.PaintScanRange(target, 0, 0, static_cast<uint32_t>(bitmapWidth),
                                 static_cast<uint32_t>(bitmapHeight), 0, 0, 0,
                                 static_cast<uint32_t>(bitmapHeight));
    background = true;
    x = 0;
    y = 0;
    width = bitmapWidth;
    height = bitmapHeight;
  } else if (screenBitmap != nullptr) {
    // Without a memory target the background is skipped and the rest still drawn.
    DrawTarget* memory = CreateImageTarget(target);
    if (memory != nullptr) {
      const ImageHandle before = SelectImage(memory, screenBitmap);
      BlitImage(target, x, y, width, height, memory, x, y);
      background = true;
      SelectImage(memory, before);
      DeleteImageTarget(memory);
    }
  }

  // Only the entries are tested against the region; title and hint are drawn whole.
  const FontHandle previous = SelectFont(target, titleFont);
  PaintTitle(target);
  SelectFont(target, itemFont);
  page.PaintItems(target, x, y, width, height);
  SelectFont(target, hintFont);
  page.PaintHint(target, hintRect[0], hintRect[1], hintRect[2], hintRect[3]);
  // The fonts are replaced at the next apply; none stays selected where it could outlive it.
  SelectFont(target, previous);
  return background;
}

void CMenuApp::PaintTitle(DrawTarget* target) {
  const int32_t count = TitleCount(settings);
  if (settings.drawTitle == 0 || count == 0) return;
  const int32_t* area = settings.titleArea;
  const Rect rect{area[0], area[1], area[2], area[3]};
  const int32_t previousMode = SetBackgroundMode(target, BackgroundTransparent);
  const ColorRef previousColour = SetTextColour(target, settings.titleStyle.color);
  if (settings.titleStyle.flags & StyleShadow) {
    SetTextColour(target, settings.titleStyle.shadowColor);
    const Rect shadow{Wrap(int64_t{rect.left} + 2), Wrap(int64_t{rect.top} + 1), rect.right,
                      Wrap(int64_t{rect.bottom} + 1)};
    DrawTextIn(target, settings.titleText, count, shadow, TextWordBreak | TextCenter);
  }
  SetTextColour(target, settings.titleStyle.color);
  DrawTextIn(target, settings.titleText, count, rect, TextWordBreak | TextCenter);
  SetTextColour(target, previousColour);
  SetBackgroundMode(target, previousMode);
}

int CMenuApp::RealizeBackgroundPalette(DrawTarget* target) {
  const int realised = backgroundDib.ApplyPalette(target, 0);
  backgroundDib.PaletteToBackground(target);
  return realised;
}

void CMenuApp::DisplayChanged(int32_t bitsPerPixel, int32_t screenWidth, int32_t screenHeight) {
  screenDepth = bitsPerPixel;
  // The size arrives as two 16-bit halves of one message value.
  const uint64_t width = static_cast<uint16_t>(screenWidth);
  const uint64_t height = static_cast<uint16_t>(screenHeight);
  offscreenBuffer.reset();
  offscreenSize = 0;
  const int64_t depthBytes = int64_t{bitsPerPixel} + 7;
  if (depthBytes > 0) {
    const uint64_t size = uint64_t(depthBytes) * width * height / 8;
    if (size != 0 && size <= SIZE_MAX) {
      offscreenBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
      if (offscreenBuffer) offscreenSize = static_cast<size_t>(size);
    }
  }
  if (ApplySettings(&settings, 0)) InvalidateArea(window, nullptr);
}
