// Pauses on Windows: the kernel's Sleep. A scaled window's picture is shown first.
#include <windows.h>

#include "platform/clock.h"
#include "platform/win32/win32_window_scale.h"

// An effect pauses between its steps: a scaled window shows the step drawn on its picture.
void SleepMs(uint32_t milliseconds) {
  ShowPictureNow();
  Sleep(milliseconds);
}
