// Drawing services through GDI: bitmaps, memory device contexts, fonts and text.
#include <windows.h>

#include "platform/draw.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

BlitObserver blitObserver = nullptr;

ImageHandle CreateImage(int32_t width, int32_t height, int32_t bitsPerPixel,
                        const void* initialBits) {
  if (width <= 0 || height <= 0) return nullptr;
  return ToImage(CreateBitmap(width, height, 1, static_cast<UINT>(bitsPerPixel), initialBits));
}

void DeleteImage(ImageHandle image) {
  if (image != nullptr) DeleteObject(ToBitmap(image));
}

ImageHandle LoadImageResource(int resourceId) {
  return ToImage(LoadBitmapA(ProgramModule(), MAKEINTRESOURCEA(resourceId)));
}

DrawTarget* CreateImageTarget(DrawTarget* compatibleWith) {
  return ToTarget(CreateCompatibleDC(ToDc(compatibleWith)));
}

void DeleteImageTarget(DrawTarget* target) {
  if (target != nullptr) DeleteDC(ToDc(target));
}

ImageHandle SelectImage(DrawTarget* target, ImageHandle image) {
  return reinterpret_cast<ImageHandle>(SelectObject(ToDc(target), ToBitmap(image)));
}

int BlitImage(DrawTarget* target, int32_t x, int32_t y, int32_t width, int32_t height,
              DrawTarget* source, int32_t xSrc, int32_t ySrc) {
  if (blitObserver != nullptr) blitObserver(target, x, y, width, height);
  return BitBlt(ToDc(target), x, y, width, height, ToDc(source), xSrc, ySrc, SRCCOPY) ? 1 : 0;
}

void LimitDrawing(DrawTarget* target, const Rect* rect) {
  if (rect == nullptr) {
    SelectClipRgn(ToDc(target), nullptr);
    return;
  }
  IntersectClipRect(ToDc(target), rect->left, rect->top, rect->right, rect->bottom);
}

int32_t TargetBitsPerPixel(DrawTarget* target) { return GetDeviceCaps(ToDc(target), BITSPIXEL); }

FontHandle CreateFontFor(const FontRequest& request) {
  const DWORD quality = static_cast<DWORD>(request.quality);
  return ToFontHandle(
      CreateFontA(request.height, 0, 0, 0, request.weight, static_cast<DWORD>(request.italic),
                  static_cast<DWORD>(request.underline), 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH | FF_ROMAN, ""));
}

void DeleteFont(FontHandle font) {
  if (font != nullptr) DeleteObject(ToFont(font));
}

FontHandle SelectFont(DrawTarget* target, FontHandle font) {
  return ToFontHandle(SelectObject(ToDc(target), ToFont(font)));
}

int MeasureText(DrawTarget* target, const char* text, int32_t count, TextExtent* extent) {
  if (count < 0 || extent == nullptr) return 0;
  SIZE size{0, 0};
  // Counts are bytes of UTF-8; the calls take the characters they stand for.
  BOOL ok = FALSE;
  if (WideSystem()) {
    const std::wstring wide = WideOf(text != nullptr ? text : "", count);
    ok = QUOREL_WIDE("gdi32.dll", GetTextExtentPoint32W)(ToDc(target), wide.c_str(),
                                                         static_cast<int>(wide.size()), &size);
  } else {
    const std::string ansi = AnsiOf(text != nullptr ? text : "", count);
    ok = GetTextExtentPoint32A(ToDc(target), ansi.c_str(), static_cast<int>(ansi.size()), &size);
  }
  if (!ok) return 0;
  extent->cx = size.cx;
  extent->cy = size.cy;
  return 1;
}

int32_t DrawTextIn(DrawTarget* target, const char* text, int32_t count, const Rect& rect,
                   uint32_t format) {
  if (text == nullptr) return 0;
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  if (WideSystem()) {
    const std::wstring wide = WideOf(text, count);
    return QUOREL_WIDE("user32.dll", DrawTextW)(ToDc(target), wide.c_str(),
                                                static_cast<int>(wide.size()), &r, format);
  }
  const std::string ansi = AnsiOf(text, count);
  return DrawTextA(ToDc(target), ansi.c_str(), static_cast<int>(ansi.size()), &r, format);
}

void DrawTextAt(DrawTarget* target, int32_t x, int32_t y, const char* text) {
  if (text == nullptr) return;
  if (WideSystem()) {
    const std::wstring wide = WideOf(text);
    QUOREL_WIDE("gdi32.dll", TextOutW)
    (ToDc(target), x, y, wide.c_str(), static_cast<int>(wide.size()));
    return;
  }
  const std::string ansi = AnsiOf(text);
  TextOutA(ToDc(target), x, y, ansi.c_str(), static_cast<int>(ansi.size()));
}

// GDI's font linking picks faces for characters the selected font lacks.
int CanDrawCharacter(uint32_t) { return 1; }

ColorRef SetTextColour(DrawTarget* target, ColorRef colour) {
  return SetTextColor(ToDc(target), colour);
}

int32_t SetBackgroundMode(DrawTarget* target, int32_t mode) {
  return SetBkMode(ToDc(target), mode);
}

void DrawFocusFrame(DrawTarget* target, const Rect& rect) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  DrawFocusRect(ToDc(target), &r);
}
