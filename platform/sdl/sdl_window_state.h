// The one SDL main window as the window services and the event loop share it: the SDL window,
// the area waiting to be painted and the drawing targets handed out on it. SDL only; the core
// sees PlatformWindow as an opaque type.
#pragma once

#include <SDL.h>

#include "platform/handles.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/sdl/sdl_update_area.h"

struct PlatformWindow {
  SDL_Window* sdl = nullptr;
  Uint32 id = 0;       // SDL's window id, to tell its events from a destroyed one's
  bool erase = false;  // the background is filled before painting (WM_ERASEBKGND)
  UpdateArea invalid;  // what waits to be painted, in client coordinates
  // The window shows the picture enlarged scale times. Client coordinates are the picture's
  // pixels; above 1 the picture is drawn on picture and enlarged onto the window's surface.
  int scale = 1;
  OwnedSurface picture;
};

// The main window that handle names, or null when it is not the live main window.
PlatformWindow* KnownWindow(WindowHandle handle);
// The main window, or null when there is none (not made yet, or destroyed).
PlatformWindow* MainWindow();
// The SDL window behind handle, or null; for message boxes that take a parent.
SDL_Window* SdlWindowOf(WindowHandle handle);

// The surface the client area is drawn on: the window's own (SDL_GetWindowSurface) at scale 1,
// else the picture that PresentWindow enlarges onto it; made anew after a size change. Null when
// it cannot be had or the client area is larger than any image may be (nothing is drawn then).
SDL_Surface* WindowSurface(PlatformWindow* window);
// The client area's size in the picture's pixels: the window's size divided by its scale.
void ClientSize(const PlatformWindow* window, int* width, int* height);
// Shows on the screen what was drawn in rects (client coordinates; null: all of it), enlarged
// with nearest-neighbour pixels when the window is scaled.
void PresentWindow(PlatformWindow* window, const SDL_Rect* rects, int count);

// The whole client area waits to be painted, its background erased first, as when the system
// invalidates a window that is shown, uncovered or sized.
void InvalidateWithErase(PlatformWindow* window);
// Takes the area waiting to be painted into area (each rectangle cut to the client area) and
// whether its background is to be erased; false when there is none. Nothing waits afterwards.
bool TakeInvalidArea(PlatformWindow* window, UpdateArea* area, bool* erase);
// The client area changed size (SDL_WINDOWEVENT_SIZE_CHANGED): targets held on the window draw
// on its new surface, and all of it waits to be painted.
void WindowSurfaceChanged(PlatformWindow* window);
// Destroys the SDL window; targets still held on it draw on nothing afterwards.
void DestroySdlWindow(PlatformWindow* window);
