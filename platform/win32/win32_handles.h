// How the Win32 backend maps the seam's opaque handles onto GDI and USER handles.
// Only platform/win32 files include this.
#pragma once

#include <windows.h>

#include "platform/handles.h"

inline HDC ToDc(DrawTarget* target) { return reinterpret_cast<HDC>(target); }
inline DrawTarget* ToTarget(HDC dc) { return reinterpret_cast<DrawTarget*>(dc); }
inline HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle ToWindowHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }
inline HBITMAP ToBitmap(ImageHandle image) { return reinterpret_cast<HBITMAP>(image); }
inline ImageHandle ToImage(HBITMAP bitmap) { return reinterpret_cast<ImageHandle>(bitmap); }
inline HFONT ToFont(FontHandle font) { return reinterpret_cast<HFONT>(font); }
inline FontHandle ToFontHandle(HGDIOBJ font) { return reinterpret_cast<FontHandle>(font); }
inline HPALETTE ToPalette(PaletteHandle palette) { return reinterpret_cast<HPALETTE>(palette); }
inline PaletteHandle ToPaletteHandle(HPALETTE palette) {
  return reinterpret_cast<PaletteHandle>(palette);
}
inline HCURSOR ToCursor(CursorHandle cursor) { return reinterpret_cast<HCURSOR>(cursor); }
inline CursorHandle ToCursorHandle(HCURSOR cursor) { return reinterpret_cast<CursorHandle>(cursor); }

// The program's module, for resource loads.
inline HINSTANCE ProgramModule() { return GetModuleHandleA(nullptr); }

// Sees every copy asked of BlitImage before it is made, so that a backend without a screen can
// record what reaches its window; null (the default): nothing sees them.
using BlitObserver = void (*)(DrawTarget* target, int32_t x, int32_t y, int32_t width,
                              int32_t height);
extern BlitObserver blitObserver;
