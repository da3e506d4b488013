// Time as the core relies on it: a pause that blocks the calling thread (Sleep), so that a
// backend without a screen can record pauses instead of waiting. No OS headers here.
#pragma once

#include <cstdint>

// Blocks the calling thread for about milliseconds (Sleep).
void SleepMs(uint32_t milliseconds);
