// Pauses on the SDL window: what has been drawn on the main window's surface is shown first,
// so each piece of a transition effect reaches the screen as it is made. SDL only.
#include <SDL.h>

#include "platform/clock.h"
#include "platform/sdl/sdl_window_state.h"

void SleepMs(uint32_t milliseconds) {
  // Drawing on a window surface shows only once the surface is presented.
  PlatformWindow* window = MainWindow();
  if (window != nullptr) PresentWindow(window, nullptr, 0);
  SDL_Delay(milliseconds);
}
