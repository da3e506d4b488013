// The main window enlarged by a whole factor on screens of high density: the menu draws on a
// picture at its own size, which is shown on the window with each pixel a factor x factor
// block (StretchBlt, COLORONCOLOR). At factor 1 there is no picture and the menu draws on the
// window itself. platform/win32 only.
#pragma once

#include <windows.h>

// The factor the main window is shown at (1 when it is not scaled).
int WindowScale();

// Sizes window so that its client area is width x height times the factor that QUOREL_SCALE or
// the window's DPI asks for (portable/window_scale.h), cut to the largest that fits the work
// area, and makes the picture for it. Falls back to factor 1 when no picture can be had.
void ScaleWindowFor(HWND window, int width, int height);
// Chooses the factor again for dpi (WM_DPICHANGED) at the size last asked for.
void RescaleWindow(HWND window, int dpi);
// Lets go of the picture (the window is destroyed); the factor is 1 afterwards.
void ForgetWindowScale();

// The picture's drawing target when window is scaled, with its state saved (SaveDC); null at
// factor 1. Hand it back with ReleasePicture, which restores the state.
HDC TakePicture(HWND window);
void ReleasePicture(HWND window);
// Whether target is the picture.
bool IsPicture(HDC target);
// Shows area of the picture (its own pixels; null: all of it) enlarged on target, window's DC.
void ShowPicture(HDC target, const RECT* area);
// Shows the whole picture on the window when it is scaled (between the steps of an effect).
void ShowPictureNow();

// A rectangle of the window's pixels as the picture's pixels that cover it (rounded outwards).
RECT ToPicture(const RECT& windowArea);
