// The headless window's pixels on GDI: the client area's and the screen's pixels are 32-bit
// top-down DIB sections, each target handed out a memory device context drawing on them, and
// resources are the program's own. One of the two places where the headless backend meets a
// drawing backend (the Windows one here). Needs GDI and the kernel; no window is made.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/headless/headless_state.h"
#include "platform/image_limits.h"
#include "platform/win32/win32_handles.h"
#include "platform/window.h"

namespace {

// Pixels that several targets draw on at once. A DIB section can be selected into one device
// context only, so the pixels live in shared memory and each target gets a section of its own
// on it.
struct SharedPixels {
  HANDLE memory = nullptr;  // null: no pixels
  int32_t width = 0;
  int32_t height = 0;
  const uint32_t* bits = nullptr;  // a view for reading back, 0x00RRGGBB
};

struct HeldTarget {
  HDC dc;
  HGDIOBJ original;  // the device context's own bitmap, selected while there are no pixels
  HBITMAP section;   // the section selected; null: none
  bool onWindow;     // else on the screen
};

struct Pixels {
  SharedPixels client;
  SharedPixels screen;  // made when the screen's target is first asked
  std::vector<HeldTarget> targets;
};

Pixels& State() {
  static Pixels pixels;
  return pixels;
}

// Zero-filled (black) pixels of width x height; none when the size is empty or too large.
SharedPixels MakePixels(int32_t width, int32_t height) {
  SharedPixels pixels;
  if (width <= 0 || height <= 0 || int64_t{width} * height > kMaxImagePixels) return pixels;
  const DWORD bytes = static_cast<DWORD>(int64_t{width} * height * 4);
  pixels.memory =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, nullptr);
  if (pixels.memory == nullptr) return pixels;
  pixels.bits = static_cast<const uint32_t*>(MapViewOfFile(pixels.memory, FILE_MAP_READ, 0, 0, 0));
  if (pixels.bits == nullptr) {
    CloseHandle(pixels.memory);
    pixels.memory = nullptr;
    return pixels;
  }
  pixels.width = width;
  pixels.height = height;
  return pixels;
}

void FreePixels(SharedPixels* pixels) {
  if (pixels->bits != nullptr) UnmapViewOfFile(pixels->bits);
  if (pixels->memory != nullptr) CloseHandle(pixels->memory);
  *pixels = SharedPixels{};
}

// Makes target draw on pixels (on its own bitmap, that is on nothing, when there are none).
void Show(HeldTarget* target, const SharedPixels& pixels) {
  HBITMAP section = nullptr;
  if (pixels.memory != nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top-down, as the client area reads
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, pixels.memory, 0);
  }
  SelectObject(target->dc, section != nullptr ? static_cast<HGDIOBJ>(section) : target->original);
  if (target->section != nullptr) DeleteObject(target->section);
  target->section = section;
}

DrawTarget* HandOut(bool onWindow, const SharedPixels& pixels) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return nullptr;
  HeldTarget target{dc, GetCurrentObject(dc, OBJ_BITMAP), nullptr, onWindow};
  Show(&target, pixels);
  State().targets.push_back(target);
  return ToTarget(dc);
}

// Shows the new pixels on every target of the window (or of the screen), then frees the old.
void Replace(SharedPixels* pixels, SharedPixels replacement, bool onWindow) {
  for (HeldTarget& target : State().targets)
    if (target.onWindow == onWindow) Show(&target, replacement);
  FreePixels(pixels);
  *pixels = replacement;
}

}  // namespace

DrawTarget* NewHeadlessTarget(bool onWindow) {
  Pixels& pixels = State();
  blitObserver = &RecordWindowBlit;
  if (onWindow) return HandOut(true, pixels.client);
  if (pixels.screen.memory == nullptr)
    pixels.screen = MakePixels(Headless().screenWidth, Headless().screenHeight);
  return HandOut(false, pixels.screen);
}

bool IsWindowTarget(DrawTarget* target) {
  const std::vector<HeldTarget>& targets = State().targets;
  return std::any_of(targets.begin(), targets.end(), [target](const HeldTarget& held) {
    return held.onWindow && ToTarget(held.dc) == target;
  });
}

void ReleaseWindowTarget(WindowHandle window, DrawTarget* target) {
  (void)window;  // a target is found by itself, whichever window it was asked for
  std::vector<HeldTarget>& targets = State().targets;
  auto found = std::find_if(targets.begin(), targets.end(), [target](const HeldTarget& held) {
    return ToTarget(held.dc) == target;
  });
  if (found == targets.end()) return;
  Show(&*found, SharedPixels{});
  DeleteDC(found->dc);
  targets.erase(found);
}

void ResizeClientPixels(int32_t width, int32_t height) {
  Replace(&State().client, MakePixels(width, height), true);
}

void DropClientPixels() { Replace(&State().client, SharedPixels{}, true); }

void ScreenChanged() { Replace(&State().screen, SharedPixels{}, false); }

bool HasProgramResource(HeadlessResource kind, int id) {
  const char* type = kind == HeadlessResource::Cursor ? MAKEINTRESOURCEA(12)  // RT_GROUP_CURSOR
                                                      : "WAVE";
  return FindResourceA(ProgramModule(), MAKEINTRESOURCEA(id), type) != nullptr;
}

HeadlessPicture HeadlessWindowPicture() {
  HeadlessPicture picture;
  const SharedPixels& client = State().client;
  if (client.bits == nullptr) return picture;
  GdiFlush();  // drawing may still be queued
  picture.width = client.width;
  picture.height = client.height;
  const size_t count = static_cast<size_t>(client.width) * client.height;
  picture.rgb.reserve(count);
  for (size_t i = 0; i < count; ++i) picture.rgb.push_back(client.bits[i] & 0xFFFFFF);
  return picture;
}

int32_t HeadlessNativeDepth() {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return depth;
}

// Device contexts report the depth of the real display, and take images of that depth only.
bool DrawsAtDepth(int32_t bitsPerPixel) { return HeadlessNativeDepth() == bitsPerPixel; }

ColorRef HeadlessWindowPixel(int32_t x, int32_t y) {
  const SharedPixels& client = State().client;
  if (client.bits == nullptr || x < 0 || y < 0 || x >= client.width || y >= client.height) {
    return kHeadlessNoPixel;
  }
  GdiFlush();  // drawing may still be queued
  const uint32_t rgb = client.bits[static_cast<size_t>(y) * client.width + x];
  return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}
