// CMenuApp's picture: putting a settings record in force (fonts, background, layout, hint and
// title rectangles, the background at the screen's depth, window size) and painting, by the
// render code. Core headers and platform/*.h only.
#include <cstdint>
#include <new>

#include "app/menu_app.h"
#include "platform/copy_text.h"
#include "platform/draw.h"
#include "platform/selected_image.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "render/picture_layout.h"
#include "render/transition.h"
#include "res/resource_ids.h"

PictureSources CMenuApp::PictureInputs() {
  return PictureSources{settings,       page,           backgroundDib, screenBitmap.get(),
                        bitmapWidth,    bitmapHeight,   screenDepth,   titleFont.get(),
                        itemFont.get(), hintFont.get(), hintRect,      offscreenBuffer.get(),
                        offscreenSize};
}

int CMenuApp::ApplySettings(MenuSettings* newSettings, int centre) {
  if (newSettings == nullptr || newSettings->recordSize < kMenuSettingsSize) return 0;
  SetButtonHints(*newSettings);

  busy = 1;
  // What the kept image shows belongs to the settings before; it is made afresh at the next
  // paint, and its memory is not held meanwhile.
  picture.Release();
  PlayMenuSound(SoundResourceName(IDW_PAGE), SoundResource | SoundAsync);
  if (newSettings != &settings) settings = *newSettings;
  MakeFonts();

  // A relative name is taken from the current directory: the working directory of the level.
  if (!backgroundDib.LoadFromFile(settings.background, findings_)) {
    // CDib has told what went wrong. The items are those of the new file already, so only the
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
  page.Layout(PageFrameOf(settings, height, itemFont.get(), windowTarget), page.currentPage);
  // A file without items lays out nothing; the buttons of the level before must not stay.
  if (page.itemCount == 0) page.KeepExitOrReturnOnly();

  hintRect = HintRectFor(settings, width, height);
  PlaceTitle(&settings, titleFont.get(), windowTarget, width);

  bitmapWidth = width;
  bitmapHeight = height;
  MakeScreenBitmap(windowTarget, width, height);
  ReleaseWindowTarget(window, windowTarget);

  SizeWindowForClient(window, width, height);
  if (centre) CenterWindow();
  ShowWindowNow(window);
  SetWindowCaption(window, newSettings->titleText);
  busy = 0;
  return 1;
}

void CMenuApp::SetButtonHints(const MenuSettings& newSettings) {
  // Below the first level the exit button's place holds the return button.
  CMenuItem* exitOrReturn = &page.exitButton;
  const char* exitOrReturnHint = newSettings.hintExit;
  if (sessionIndex >= 1) {
    exitOrReturn = &page.returnButton;
    exitOrReturnHint = newSettings.hintReturn;
  }
  page.exitOrReturnButton = exitOrReturn;
  const struct {
    CMenuItem* button;
    const char* hint;
  } hints[] = {{exitOrReturn, exitOrReturnHint},
               {&page.backwardButton, newSettings.hintBackward},
               {&page.forwardButton, newSettings.hintForward}};
  for (const auto& h : hints) {
    if (h.button->hint != nullptr) CopyText(h.button->hint, CMenuPage::kButtonHintSize, h.hint);
  }
}

void CMenuApp::MakeFonts() {
  // Each font is freed before its successor is made.
  itemFont.reset();
  // Kept extents are keyed by the font handle, which the new font may reuse.
  page.ForgetMeasures();
  itemFont.reset(MakeFont(settings.itemStyle));
  hintFont.reset();
  hintFont.reset(MakeFont(settings.hintStyle));
  titleFont.reset();
  titleFont.reset(MakeFont(settings.titleStyle));
}

void CMenuApp::MakeScreenBitmap(DrawTarget* windowTarget, int32_t width, int32_t height) {
  // The background once at the screen's depth, so that painting copies instead of
  // converting. The initial content is never shown; when no buffer can be had for it the
  // image is made without initial bits.
  screenBits.reset();
  screenBitsSize = 0;
  screenBitmap.reset();
  const uint64_t bitsSize = ImageBytes(width, height, screenDepth);
  if (bitsSize != 0 && bitsSize <= SIZE_MAX) {
    screenBits.reset(new (std::nothrow) uint8_t[static_cast<size_t>(bitsSize)]);
    if (screenBits) screenBitsSize = static_cast<size_t>(bitsSize);
  }
  screenBitmap.reset(CreateImage(width, height, screenDepth, screenBits.get()));
  if (screenBitmap == nullptr) return;
  const SelectedImage memory(windowTarget, screenBitmap.get());
  if (memory.target() == nullptr) return;
  backgroundDib.ApplyPalette(memory.target(), 0);
  backgroundDib.PaintImage(memory.target(), 0, 0, static_cast<uint32_t>(width),
                           static_cast<uint32_t>(height), 0, 0);
}

int CMenuApp::PaintWindow(DrawTarget* target, const Rect* paintRect) {
  if (!settings.loaded) return 0;
  // Releases of the 95 family at 16 colours or fewer draw straight into the window.
  const int32_t variant = profile.variant;
  const bool windows9x = variant == Variant95 || variant == Variant98 || variant == Variant98SE ||
                         variant == VariantME;
  picture.Paint(PictureInputs(), target, paintRect, SixteenColoursOrFewer(screenDepth) && windows9x,
                &pendingEffect);
  return 1;
}

void CMenuApp::ComposeImage(DrawTarget* target, int32_t x, int32_t y, int32_t width,
                            int32_t height) {
  picture.Compose(PictureInputs(), target, x, y, width, height);
}

void CMenuApp::PaintTitle(DrawTarget* target) { ::PaintTitle(settings, target); }

int CMenuApp::RealizeBackgroundPalette(DrawTarget* target) {
  return ::RealizeBackgroundPalette(backgroundDib, target);
}

void CMenuApp::RunTransition(int32_t effect, DrawTarget* windowTarget, DrawTarget* imageTarget) {
  RealizeBackgroundPalette(windowTarget);
  RevealPicture(effect, windowTarget, imageTarget, TransitionArea());
}

void CMenuApp::TransitionInterlace(DrawTarget* windowTarget, DrawTarget* imageTarget) {
  RevealInterlace(windowTarget, imageTarget, TransitionArea());
}

TransitionFrame CMenuApp::TransitionArea() const {
  return TransitionFrame{bitmapWidth, bitmapHeight, screenDepth};
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
