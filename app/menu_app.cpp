// CMenuApp's construction, initialisation and destruction, and its small services: centring
// the window, changing the cursor, playing a sound, asking for a repaint with an effect.
// Standard library, the core's own headers and platform/*.h only.
#include "app/menu_app.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/copy_text.h"
#include "platform/cursor.h"
#include "platform/draw.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "res/resource_ids.h"

namespace {

// Bytes for a screen of width x height at bitsPerPixel: ((depth + 7) * height * width) / 8,
// the whole product divided with the remainder dropped. 0 for sizes that make no buffer.
uint64_t ScreenBufferSize(int64_t bitsPerPixel, int64_t width, int64_t height) {
  if (bitsPerPixel + 7 <= 0 || width <= 0 || height <= 0) return 0;
  return static_cast<uint64_t>(bitsPerPixel + 7) * static_cast<uint64_t>(height) *
         static_cast<uint64_t>(width) / 8;
}

}  // namespace

// Declaration order gives the construction order page, profile, backgroundDib, and the
// reverse at destruction.
CMenuApp::CMenuApp()
    : bitmapWidth(0),
      bitmapHeight(0),
      pendingEffect(EffectNone),
      busy(0),
      sessionIndex(-1),
      pressCursor(nullptr),
      currentCursor(nullptr),
      arrowCursor(nullptr),
      waitCursor(nullptr),
      handCursor(nullptr),
      screenDepth(0),
      hintRect{0, 0, 0, 0},
      window(nullptr),
      instance(nullptr),
      countrySuffix{},
      settings(),
      offscreenSize(0),
      screenBitsSize(0) {
  ReportFindingsTo(nullptr);
  std::memset(sessions, 0, sizeof sessions);
  std::memset(&settings, 0, sizeof settings);
}

CMenuApp::~CMenuApp() {
  // In this order, ahead of the page, the profile and the background.
  offscreenBuffer.reset();
  offscreenSize = 0;
  screenBits.reset();
  screenBitsSize = 0;
  screenBitmap.reset();
  itemFont.reset();
  hintFont.reset();
  titleFont.reset();
  // Cursors are loaded once and never destroyed.
}

int CMenuApp::Initialize(void* moduleInstance, WindowHandle mainWindow) {
  // At the first call the window is not stored yet, which gives the screen's target.
  DrawTarget* target = GetWindowTarget(window);
  screenDepth = TargetBitsPerPixel(target);
  ReleaseWindowTarget(window, target);

  const int32_t width = ScreenWidth();
  const int32_t height = ScreenHeight();

  offscreenBuffer.reset();
  offscreenSize = 0;
  const uint64_t size = ScreenBufferSize(screenDepth, width, height);
  if (size == 0 || size > SIZE_MAX) return 0;
  offscreenBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
  if (!offscreenBuffer) return 0;
  offscreenSize = static_cast<size_t>(size);

  window = mainWindow;
  instance = moduleInstance;

  // The country code the profile loads with, cut so that it fits behind the point.
  char country[16];
  std::snprintf(country, sizeof country, "%d", static_cast<int>(profile.country));
  countrySuffix[0] = '.';
  CopyText(countrySuffix + 1, sizeof countrySuffix - 1, country);
  // The profile holds no file yet, so this normally keeps the string section as it is; the
  // first definition file chooses its own.
  char stringSection[CProfile::kSectionNameSize];
  CopyText(stringSection, sizeof stringSection, "String");
  CopyText(stringSection + 6, sizeof stringSection - 6, countrySuffix);
  profile.SelectStringSection(stringSection);

  arrowCursor = LoadStandardCursor(StandardCursor::Arrow);
  currentCursor = arrowCursor;
  waitCursor = LoadStandardCursor(StandardCursor::Wait);
  handCursor = LoadCursorResource(IDC_HAND);
  pressCursor = LoadCursorResource(IDC_PRESS);

  page.InitButtons();
  return 1;
}

void CMenuApp::CenterWindow() {
  if (window == nullptr) return;
  Rect bounds{0, 0, 0, 0};
  if (!GetWindowBounds(window, &bounds)) return;
  const int64_t w = int64_t{bounds.right} - bounds.left;
  const int64_t h = int64_t{bounds.bottom} - bounds.top;
  // A window larger than the screen ends at negative coordinates; division truncates
  // toward zero.
  const int64_t x = (int64_t{ScreenWidth()} - w - 1) / 2;
  const int64_t y = (int64_t{ScreenHeight()} - h - 1) / 2;
  MoveWindowToTop(window, static_cast<int32_t>(x), static_cast<int32_t>(y));
}

void CMenuApp::ChangeCursor(CursorHandle cursor) {
  if (cursor == currentCursor) return;
  ShowCursorShape(cursor);
  currentCursor = cursor;
}

int CMenuApp::PlayMenuSound(const char* name, uint32_t flags) {
  // Without either resource bit the name is a file, which must exist.
  if ((flags & SoundResource) == 0 && !FileExists(name)) return 0;
  return PlaySoundNamed(name, flags);
}

void CMenuApp::RedrawWithEffect(int32_t effect) {
  pendingEffect = effect;
  InvalidateArea(window, nullptr);
}
