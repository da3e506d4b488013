// The scaled main window: its factor, its picture and the picture's enlargement.
#include "platform/win32/win32_window_scale.h"

#include "platform/win32/win32_dpi.h"
#include "portable/window_scale.h"

namespace {

struct ScaleState {
  HWND window = nullptr;
  int scale = 1;
  int width = 0;  // the client size asked for, in the picture's pixels
  int height = 0;
  HDC picture = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ firstBitmap = nullptr;  // selected into picture before bitmap
};

ScaleState state;

void DropPicture() {
  if (state.picture != nullptr) {
    SelectObject(state.picture, state.firstBitmap);
    DeleteDC(state.picture);
  }
  if (state.bitmap != nullptr) DeleteObject(state.bitmap);
  state.picture = nullptr;
  state.bitmap = nullptr;
  state.firstBitmap = nullptr;
}

// A picture of width x height like the window's pixels; false when none can be had.
bool MakePicture(HWND window, int width, int height) {
  DropPicture();
  HDC windowDc = GetDC(window);
  if (windowDc == nullptr) return false;
  state.picture = CreateCompatibleDC(windowDc);
  state.bitmap = CreateCompatibleBitmap(windowDc, width, height);
  ReleaseDC(window, windowDc);
  if (state.picture == nullptr || state.bitmap == nullptr) {
    DropPicture();
    return false;
  }
  state.firstBitmap = SelectObject(state.picture, state.bitmap);
  return true;
}

// QUOREL_SCALE, or null when it is not set (or longer than any factor).
const char* OwnScaleText(char* buffer, DWORD size) {
  const DWORD length = GetEnvironmentVariableA("QUOREL_SCALE", buffer, size);
  return length > 0 && length < size ? buffer : nullptr;
}

// The dialog frame, caption and border the window adds to its client area.
SIZE FrameSize() {
  return SIZE{2 * GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYSIZE) +
                                                       2 * GetSystemMetrics(SM_CYDLGFRAME) +
                                                       GetSystemMetrics(SM_CYBORDER)};
}

// Sizes the window for a client area of width x height, top of the z-order, not moved; when
// the frame is not what the metrics say (other styles, another DPI), sized again by the
// difference, so that the picture maps onto the client area exactly.
void SizeOuter(HWND window, int width, int height, bool exact) {
  const SIZE frame = FrameSize();
  SetWindowPos(window, HWND_TOP, 0, 0, width + frame.cx, height + frame.cy, SWP_NOMOVE);
  RECT client{};
  if (!exact || !GetClientRect(window, &client)) return;
  const int dx = width - (client.right - client.left);
  const int dy = height - (client.bottom - client.top);
  if (dx == 0 && dy == 0) return;
  RECT outer{};
  if (!GetWindowRect(window, &outer)) return;
  SetWindowPos(window, HWND_TOP, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
               SWP_NOMOVE);
}

void Scale(HWND window, int width, int height, int dpi) {
  state.window = window;
  state.width = width;
  state.height = height;
  char text[16];
  const int wanted = WantedWindowsScale(OwnScaleText(text, sizeof text), dpi);
  RECT work{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) work = RECT{};
  const SIZE frame = FrameSize();
  int scale = FittingScale(wanted, width, height, work.right - work.left - frame.cx,
                           work.bottom - work.top - frame.cy);
  if (scale > 1 && !MakePicture(window, width, height)) scale = 1;
  if (scale == 1) DropPicture();
  state.scale = scale;
  SizeOuter(window, width * scale, height * scale, scale > 1);
}

}  // namespace

int WindowScale() { return state.scale; }

void ScaleWindowFor(HWND window, int width, int height) {
  Scale(window, width, height, WindowDpi(window));
}

void RescaleWindow(HWND window, int dpi) {
  if (state.window != window || state.width <= 0 || state.height <= 0) return;
  Scale(window, state.width, state.height, dpi);
  InvalidateRect(window, nullptr, FALSE);
}

void ForgetWindowScale() {
  DropPicture();
  state = ScaleState{};
}

HDC TakePicture(HWND window) {
  if (state.picture == nullptr || window != state.window) return nullptr;
  SaveDC(state.picture);
  return state.picture;
}

void ReleasePicture(HWND window) {
  if (state.picture == nullptr || window != state.window) return;
  RestoreDC(state.picture, -1);
}

bool IsPicture(HDC target) { return target != nullptr && target == state.picture; }

void ShowPicture(HDC target, const RECT* area) {
  if (state.picture == nullptr || target == nullptr) return;
  const RECT whole{0, 0, state.width, state.height};
  const RECT& part = area != nullptr ? *area : whole;
  const int scale = state.scale;
  const int oldMode = SetStretchBltMode(target, COLORONCOLOR);
  StretchBlt(target, part.left * scale, part.top * scale, (part.right - part.left) * scale,
             (part.bottom - part.top) * scale, state.picture, part.left, part.top,
             part.right - part.left, part.bottom - part.top, SRCCOPY);
  if (oldMode != 0) SetStretchBltMode(target, oldMode);
}

void ShowPictureNow() {
  if (state.picture == nullptr) return;
  HDC windowDc = GetDC(state.window);
  if (windowDc == nullptr) return;
  ShowPicture(windowDc, nullptr);
  ReleaseDC(state.window, windowDc);
}

RECT ToPicture(const RECT& windowArea) {
  const int scale = state.scale;
  return RECT{windowArea.left / scale, windowArea.top / scale,
              (windowArea.right + scale - 1) / scale, (windowArea.bottom + scale - 1) / scale};
}
