// CMenuPicture: the menu window's picture composed from the settings in force, the page, the
// background and the fonts, painted into the window directly or through the kept off-screen
// image, with a transition effect when one is pending. Core headers and platform/*.h only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "menu/menu_page.h"
#include "platform/handles.h"
#include "profile/menu_settings.h"
#include "render/dib.h"
#include "render/offscreen_image.h"

// Screens of 16 colours or fewer (4 bits per pixel and below) draw the background from the
// bitmap file itself at every paint, always whole; deeper screens copy it from the image made
// at their depth when the settings were applied.
constexpr int32_t kSixteenColourDepth = 4;
constexpr bool SixteenColoursOrFewer(int32_t screenDepth) {
  return screenDepth <= kSixteenColourDepth;
}

// What the picture is drawn from, as it stands at one paint.
struct PictureSources {
  const MenuSettings& settings;
  CMenuPage& page;
  CDib& backgroundDib;
  ImageHandle screenBitmap;  // the background at the screen's depth; null when none
  int32_t bitmapWidth;
  int32_t bitmapHeight;
  int32_t screenDepth;
  FontHandle titleFont;
  FontHandle itemFont;
  FontHandle hintFont;
  Rect hintRect;  // right and bottom exclusive
  // The screen-sized buffer an off-screen image may start from, and its bytes.
  const uint8_t* offscreenBuffer;
  size_t offscreenSize;
};

class CMenuPicture {
 public:
  // Paints the picture into target: straight into it when drawDirect is true, else through the
  // kept image (right and bottom of paintRect exclusive; null: all, with the palette realised).
  // A pending effect (*pendingEffect other than EffectNone) reveals the whole picture and is
  // then cleared.
  void Paint(const PictureSources& sources, DrawTarget* target, const Rect* paintRect,
             bool drawDirect, int32_t* pendingEffect);
  // Draws background, title, the entries meeting the region, and the hint into target.
  void Compose(const PictureSources& sources, DrawTarget* target, int32_t x, int32_t y,
               int32_t width, int32_t height);
  // Lets go of the kept image: what it shows belongs to settings no longer in force.
  void Release() { offscreenImage_.Release(); }

 private:
  // The kept image at the background's size and the screen's depth; null when none can be had.
  ImageHandle KeptImage(const PictureSources& sources);
  // Brings region of the kept image, selected into memory, up to date with scene: only what
  // changed since it was composed is drawn again.
  void ComposeRegion(const PictureSources& sources, DrawTarget* memory, const Rect& region,
                     PictureScene&& scene);
  // Compose as one copy from the kept image, where that gives the target the same pixels and
  // the same copies; false (nothing done) where it does not.
  bool CopyComposedImage(const PictureSources& sources, DrawTarget* target, int32_t x, int32_t y,
                         int32_t width, int32_t height);

  // The image paints compose into, kept between paints.
  COffscreenImage offscreenImage_;
};

// What the picture is drawn from now, part by part: the title, the entries, the hint.
PictureScene DescribePicture(const PictureSources& sources);
// Draws background, title, the entries meeting the region and the hint into target; false
// when the background could not be drawn.
bool DrawComposition(const PictureSources& sources, DrawTarget* target, int32_t x, int32_t y,
                     int32_t width, int32_t height);
// Draws the title of settings in its title rectangle (with the title font selected).
void PaintTitle(const MenuSettings& settings, DrawTarget* target);
// Realises the background's palette, then selects it as a background palette; the number of
// entries realised, 0 without a palette.
int RealizeBackgroundPalette(CDib& background, DrawTarget* target);
