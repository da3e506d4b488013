// The one interface through which every window backend (the Windows window procedure, the SDL
// event loop, the headless window) hands the main window's events to the program: one call per
// message, with the message's own numbers. The program sets its receiver before the window is
// made. No OS headers here.
#pragma once

#include <cstdint>

#include "platform/handles.h"

// Pointer messages, as the window procedure numbers them.
constexpr uint32_t MessageMouseMove = 0x200;
constexpr uint32_t MessageButtonDown = 0x201;
constexpr uint32_t MessageButtonUp = 0x202;
constexpr uint32_t MessageDoubleClick = 0x203;

// Commands of the accelerators and the system menu.
constexpr int CommandAbout = 104;
constexpr int CommandExit = 105;

class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  // WM_CREATE: the window was made.
  virtual void OnCreate(WindowHandle created) = 0;
  // WM_DESTROY.
  virtual void OnDestroy() = 0;
  // WM_PAINT: paintRect right and bottom exclusive, or null for the whole client area.
  virtual void OnPaint(DrawTarget* target, const Rect* paintRect) = 0;
  // WM_CLOSE: 1 when the window was destroyed.
  virtual int OnClose() = 0;
  // WM_ENDSESSION.
  virtual void OnEndSession(int ending) = 0;
  // WM_DISPLAYCHANGE: the new depth, and the size as the message's two 16-bit halves.
  virtual void DisplayChanged(int32_t bitsPerPixel, int32_t screenWidth, int32_t screenHeight) = 0;
  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN (platform/keys.h); 0 leaves a system key to the
  // default processing.
  virtual int OnKey(uint32_t message, uintptr_t key, intptr_t flags) = 0;
  // WM_COMMAND (the command's number) and WM_SYSCOMMAND (the whole value); 0 for default
  // processing.
  virtual int OnCommand(int command) = 0;
  virtual int OnSysCommand(uintptr_t command) = 0;
  // Pointer messages at x, y of the client area with the key-state flags.
  virtual void OnMouse(uint32_t message, uint32_t x, uint32_t y, uintptr_t keyState) = 0;
  // WM_TIMER: a timer of StartWindowTimer fired. Only a receiver that starts timers answers.
  virtual void OnTimer(uintptr_t id) { (void)id; }
};

// Sets what receives the main window's events from now on; null: nothing does (the backend
// then answers as the system's default would). Implemented by each window backend.
void SetWindowEvents(WindowEvents* events);
