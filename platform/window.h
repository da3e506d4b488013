// Window and screen services the core relies on: drawing targets of the window, screen
// metrics, placing, sizing, showing, captions and repaint requests. No OS headers here.
#pragma once

#include <cstdint>

#include "platform/handles.h"

// The window's drawing target (GetDC); a null window gives the screen's. Release it with
// ReleaseWindowTarget.
DrawTarget* GetWindowTarget(WindowHandle window);
void ReleaseWindowTarget(WindowHandle window, DrawTarget* target);

// Screen size in pixels (GetSystemMetrics SM_CXSCREEN, SM_CYSCREEN).
int32_t ScreenWidth();
int32_t ScreenHeight();

// The window's outer rectangle in screen coordinates (GetWindowRect); 1 or 0.
int GetWindowBounds(WindowHandle window, Rect* bounds);
// Moves the window to x, y without resizing it, at the top of the z-order, and shows it.
void MoveWindowToTop(WindowHandle window, int32_t x, int32_t y);
// Sizes the window so that its client area is width x height (the outer size adds the
// dialog frame, caption and border), brings it to the top and activates it.
void SizeWindowForClient(WindowHandle window, int32_t width, int32_t height);
// Shows the window (ShowWindow SW_SHOW).
void ShowWindowNow(WindowHandle window);
// Sets the caption (SetWindowTextA).
void SetWindowCaption(WindowHandle window, const char* caption);
// Asks for OnTimer(id) on the window's event receiver about every milliseconds from now on
// (SetTimer); a second call with the same id changes the period. 1, or 0 when refused.
int StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t milliseconds);
// Asks for a repaint of rect (right and bottom exclusive), or of the whole client area when
// rect is null, without erasing the background (InvalidateRect with FALSE).
void InvalidateArea(WindowHandle window, const Rect* rect);
