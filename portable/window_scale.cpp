// The window's whole-number scale factor: parsing the asked-for values and fitting the area.
#include "portable/window_scale.h"

#include <algorithm>
#include <cstdint>

int WholeNumberIn(const char* text) {
  if (text == nullptr) return -1;
  while (*text == ' ' || *text == '\t') ++text;
  int value = 0;
  int digits = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (++digits > 4) return -1;
    value = value * 10 + (*text - '0');
  }
  while (*text == ' ' || *text == '\t') ++text;
  return digits > 0 && *text == '\0' ? value : -1;
}

int OwnScale(const char* quorelScale) {
  const int own = WholeNumberIn(quorelScale);
  return own >= 1 && own <= kLargestScale ? own : 0;
}

int ScaleForDpi(int dpi) { return dpi > 0 ? std::clamp(dpi / kBaseDpi, 1, kLargestScale) : 1; }

int WantedWindowsScale(const char* quorelScale, int dpi) {
  const int own = OwnScale(quorelScale);
  return own > 0 ? own : ScaleForDpi(dpi);
}

int FittingScale(int wanted, int width, int height, int areaWidth, int areaHeight) {
  if (areaWidth <= 0 || areaHeight <= 0) return 1;
  for (int scale = std::min(wanted, kLargestScale); scale > 1; --scale) {
    if (int64_t{width} * scale <= areaWidth && int64_t{height} * scale <= areaHeight) return scale;
  }
  return 1;
}
