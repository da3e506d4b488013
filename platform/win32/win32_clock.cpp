// Pauses on Windows: the kernel's Sleep. Needs the kernel only.
#include <windows.h>

#include "platform/clock.h"

void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }
